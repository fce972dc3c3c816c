// A TCP port on 127.0.0.1 that accepts connections and never says a word: an FTP client
// waits there for the server's greeting, which keeps an update query in its connecting state
// for as long as a test needs to look at it. It also counts who came, for tests that show a
// server was never contacted.
#pragma once

#include <cstdint>
#include <string>

namespace orv_test {

class silent_server {
public:
    silent_server();
    ~silent_server();
    silent_server(const silent_server&) = delete;
    silent_server& operator=(const silent_server&) = delete;

    bool listening() const { return listening_; }
    // How many connections have reached the port so far (those still waiting to be taken up
    // are taken up and counted now, without waiting for more).
    int connections();
    // "127.0.0.1:<port>", for the machine setting "Server".
    std::wstring address() const;

private:
    std::uintptr_t socket_;  // a SOCKET; kept out of this header with winsock2.h
    bool listening_ = false;
    unsigned short port_ = 0;
    int connections_ = 0;
};

}  // namespace orv_test
