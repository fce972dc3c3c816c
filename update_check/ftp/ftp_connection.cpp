#include "update_check/ftp/ftp_connection.h"

namespace orv {

internet_handle connect_update_server(HINTERNET session, const server_address& server) {
    return internet_handle(::InternetConnectW(session, server.host.c_str(), server.port, nullptr,
                                              nullptr, INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE,
                                              0));
}

}  // namespace orv
