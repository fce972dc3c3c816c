#include "update_check/list_server_package.h"

#include "update_check/ftp_connection.h"
#include "update_check/https/https_list.h"
#include "update_check/package_selection.h"
#include "update_check/shell_paths.h"

namespace orv {
namespace {

std::optional<std::wstring> list_ftp_package(const server_address& server,
                                             const std::wstring& pattern_base,
                                             const std::wstring& extension) {
    internet_handle session = open_update_session();
    if (!session) return std::nullopt;
    internet_handle connection = connect_update_server(session.get(), server);
    if (!connection) return std::nullopt;

    std::wstring pattern = pattern_base + L"*" + extension;
    WIN32_FIND_DATAW entry{};
    internet_handle find(::FtpFindFirstFileW(connection.get(), pattern.c_str(), &entry, 0, 0));
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

}  // namespace

std::optional<std::wstring> ListServerPackage(const server_address& server,
                                              const std::wstring& pattern_base,
                                              const std::wstring& extension,
                                              std::uint64_t* listed_size) {
    switch (server.transport) {
        case update_transport::ftp:
            return list_ftp_package(server, pattern_base, extension);
        case update_transport::https: {
            std::optional<package_list_entry> entry =
                list_https_package(server, pattern_base, extension);
            if (!entry) return std::nullopt;
            if (listed_size) *listed_size = entry->size;
            return entry->name;
        }
        case update_transport::unusable:
            break;
    }
    return std::nullopt;
}

}  // namespace orv
