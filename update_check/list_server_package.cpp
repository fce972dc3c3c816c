#include "update_check/list_server_package.h"

#include "update_check/ftp/ftp_list.h"
#include "update_check/https/https_list.h"

namespace orv {

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
