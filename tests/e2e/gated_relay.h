// A relay in front of the local FTP server for the screen journeys (Winsock, Windows).
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e_tests {

// Passes connections on to the FTP server, but holds each new one while the gate is shut: the
// library then waits for the server's greeting, and its dialog stays in "connecting" for as
// long as the test needs to look at it.
class gated_relay {
public:
    explicit gated_relay(u_short server_port) : server_port_(server_port) {
        WSADATA data{};
        started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        gate_ = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
        stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = loopback(0);
        int length = sizeof(address);
        if (listener_ == INVALID_SOCKET ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, SOMAXCONN) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { accept_loop(); });
    }

    ~gated_relay() {
        ::SetEvent(stop_);
        if (listener_ != INVALID_SOCKET) ::closesocket(listener_);
        if (acceptor_.joinable()) acceptor_.join();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (SOCKET socket : sockets_) ::shutdown(socket, SD_BOTH);
        }
        for (std::thread& thread : threads_) thread.join();
        for (SOCKET socket : sockets_) ::closesocket(socket);
        ::CloseHandle(gate_);
        ::CloseHandle(stop_);
        if (started_) ::WSACleanup();
    }

    gated_relay(const gated_relay&) = delete;
    gated_relay& operator=(const gated_relay&) = delete;

    bool ready() const { return port_ != 0; }
    std::wstring address() const { return L"127.0.0.1:" + std::to_wstring(port_); }
    void shut() { ::ResetEvent(gate_); }
    void open() { ::SetEvent(gate_); }

private:
    static sockaddr_in loopback(u_short port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        return address;
    }

    void keep(SOCKET socket) {
        std::lock_guard<std::mutex> lock(mutex_);
        sockets_.push_back(socket);
    }

    void accept_loop() {
        for (;;) {
            SOCKET client = ::accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            keep(client);
            std::lock_guard<std::mutex> lock(mutex_);
            threads_.emplace_back([this, client] { serve(client); });
        }
    }

    void serve(SOCKET client) {
        HANDLE events[] = {stop_, gate_};
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
        SOCKET server = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (server == INVALID_SOCKET) return;
        keep(server);
        sockaddr_in address = loopback(server_port_);
        if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::shutdown(client, SD_BOTH);
            return;
        }
        std::thread answers([server, client] { pump(server, client); });
        pump(client, server);
        answers.join();
    }

    static void pump(SOCKET from, SOCKET to) {
        char buffer[16384];
        for (;;) {
            int received = ::recv(from, buffer, sizeof(buffer), 0);
            if (received <= 0) break;
            for (int sent = 0; sent < received;) {
                int now = ::send(to, buffer + sent, received - sent, 0);
                if (now <= 0) return;
                sent += now;
            }
        }
        ::shutdown(to, SD_SEND);
    }

    u_short server_port_;
    u_short port_ = 0;
    bool started_ = false;
    HANDLE gate_ = nullptr;
    HANDLE stop_ = nullptr;
    SOCKET listener_ = INVALID_SOCKET;
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<SOCKET> sockets_;
    std::vector<std::thread> threads_;
};

}  // namespace e2e_tests
