#include "update_check/https/https_connection.h"

namespace orv {
namespace {

constexpr DWORD request_flags = INTERNET_FLAG_SECURE | INTERNET_FLAG_RELOAD |
                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI;

DWORD status_code(HINTERNET request) {
    DWORD status = 0;
    DWORD length = sizeof(status);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &length, nullptr)) {
        return 0;
    }
    return status;
}

// False for a Content-Length that is there but not a number that fits; `value` stays empty
// when there is none. Read as text: the numeric form is 32 bits wide and would wrap.
bool content_length(HINTERNET request, std::optional<std::uint64_t>& value) {
    wchar_t text[32] = {};
    DWORD length = sizeof(text) - sizeof(wchar_t);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr)) {
        return ::GetLastError() == ERROR_HTTP_HEADER_NOT_FOUND;
    }
    std::uint64_t number = 0;
    std::size_t digits = 0;
    for (const wchar_t* c = text; *c != L'\0'; ++c, ++digits) {
        if (*c < L'0' || *c > L'9' || digits == 19) return false;
        number = number * 10 + static_cast<std::uint64_t>(*c - L'0');
    }
    if (digits == 0) return false;
    value = number;
    return true;
}

}  // namespace

std::optional<https_response> https_get(HINTERNET session, const server_address& server,
                                        const std::wstring& request_path) {
    if (server.transport != update_transport::https) return std::nullopt;
    https_response response;
    response.connection = internet_handle(::InternetConnectW(
        session, server.host.c_str(), server.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!response.connection) return std::nullopt;
    response.request =
        internet_handle(::HttpOpenRequestW(response.connection.get(), L"GET", request_path.c_str(),
                                           nullptr, nullptr, nullptr, request_flags, 0));
    if (!response.request) return std::nullopt;
    // Without Accept-Encoding a request takes any encoding, and a server may then send the
    // list or the package compressed: neither would be what was listed.
    static const wchar_t identity[] = L"Accept-Encoding: identity\r\n";
    if (!::HttpSendRequestW(response.request.get(), identity, static_cast<DWORD>(-1), nullptr, 0)) {
        return std::nullopt;
    }
    if (status_code(response.request.get()) != 200) return std::nullopt;
    if (!content_length(response.request.get(), response.content_length)) return std::nullopt;
    return response;
}

}  // namespace orv
