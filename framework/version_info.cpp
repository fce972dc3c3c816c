#include "framework/version_info.h"

#include <cwchar>

#include "framework/version_block.h"

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

std::optional<version_info> version_info::from_block(std::vector<BYTE> block) {
    if (!is_unicode_version_block(block.data(), block.size())) return std::nullopt;
    // Laid out as GetFileVersionInfoW leaves it: the block, then as much room again, which the
    // version functions may use as scratch space.
    std::size_t size = block.size();
    block.resize(2 * size);
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

std::optional<std::wstring> version_info::string(WORD language, WORD code_page,
                                                 const wchar_t* name) const {
    wchar_t query[96] = {};
    std::swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%ls", language, code_page, name);
    void* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block_.data(), query, &text, &length) || !text) return std::nullopt;
    const auto* chars = static_cast<const wchar_t*>(text);
    // The length counts characters and may include the terminator.
    return std::wstring(chars, ::wcsnlen(chars, length));
}

}  // namespace fw
