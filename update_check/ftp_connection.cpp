#include "update_check/ftp_connection.h"

namespace orv {

internet_handle open_update_session() {
    return internet_handle(::InternetOpenW(L"Microsoft Internet Explorer",
                                           INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

internet_handle connect_update_server(HINTERNET session, const server_address& server) {
    return internet_handle(::InternetConnectW(session, server.host.c_str(), server.port, nullptr,
                                              nullptr, INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE,
                                              0));
}

}  // namespace orv
