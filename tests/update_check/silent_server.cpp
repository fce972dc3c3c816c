#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/update_check/silent_server.h"

namespace orv_test {

silent_server::silent_server() : socket_(INVALID_SOCKET) {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return;
    socket_ = s;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(s, 16) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    port_ = ntohs(address.sin_port);
    listening_ = true;
}

int silent_server::connections() {
    if (!listening_) return connections_;
    const auto listener = static_cast<SOCKET>(socket_);
    for (;;) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener, &ready);
        timeval now{0, 0};
        if (::select(0, &ready, nullptr, nullptr, &now) != 1) break;
        SOCKET client = ::accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) break;
        ++connections_;
        ::closesocket(client);
    }
    return connections_;
}

silent_server::~silent_server() {
    if (socket_ != INVALID_SOCKET) ::closesocket(static_cast<SOCKET>(socket_));
    ::WSACleanup();
}

std::wstring silent_server::address() const { return L"127.0.0.1:" + std::to_wstring(port_); }

}  // namespace orv_test
