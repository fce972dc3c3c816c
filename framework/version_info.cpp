#include "framework/version_info.h"

namespace fw {

std::optional<version_info> version_info::read(const std::wstring& path) {
    if (path.empty()) return std::nullopt;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return std::nullopt;
    return version_info(std::move(block));
}

const VS_FIXEDFILEINFO* version_info::fixed_info() const {
    void* fixed = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(block_.data(), L"\\", &fixed, &size) || !fixed ||
        size < sizeof(VS_FIXEDFILEINFO)) {
        return nullptr;
    }
    return static_cast<const VS_FIXEDFILEINFO*>(fixed);
}

const WORD* version_info::translations(UINT& bytes) const {
    void* table = nullptr;
    bytes = 0;
    if (!::VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &table, &bytes)) {
        bytes = 0;
        return nullptr;
    }
    return static_cast<const WORD*>(table);
}

}  // namespace fw
