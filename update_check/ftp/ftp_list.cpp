#include "update_check/ftp/ftp_list.h"

#include "update_check/ftp/ftp_connection.h"
#include "update_check/rules/package_selection.h"
#include "update_check/shell_paths.h"
#include "update_check/update_session.h"

namespace orv {

std::optional<std::wstring> list_ftp_package(const server_address& server,
                                             const std::wstring& pattern_base,
                                             const std::wstring& extension) {
    internet_handle session = open_update_session();
    if (!session) return std::nullopt;
    internet_handle connection = connect_update_server(session.get(), server);
    if (!connection) return std::nullopt;

    std::wstring pattern = pattern_base + L"*" + extension;
    WIN32_FIND_DATAW entry{};
    // Asked of the server each time, never answered from (or kept in) the WinINet cache.
    internet_handle find(::FtpFindFirstFileW(connection.get(), pattern.c_str(), &entry,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                             0));
    if (!find) return std::nullopt;

    // The listing is the server's word: the pattern is not relied on, each name is judged
    // again by the base name, the extension and the suffix rule.
    bool first = true;
    return select_listed_package(
        [&](listed_name& listed) {
            if (!first && !::InternetFindNextFileW(find.get(), &entry)) return false;
            first = false;
            listed.name = entry.cFileName;
            listed.stem = path_without_extension(listed.name);
            return true;
        },
        path_file_name(pattern_base), extension);
}

}  // namespace orv
