// A file's version resource, read once and queried for its parts. Any thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace fw {

class version_info {
public:
    // The version resource of the file at `path`; nothing when it has none or it cannot be
    // read.
    static std::optional<version_info> read(const std::wstring& path);

    // A version resource already in memory (VS_VERSIONINFO, as the resource section holds it);
    // nothing unless it has the 32-bit layout (is_unicode_version_block).
    static std::optional<version_info> from_block(std::vector<BYTE> block);

    // The fixed file information ("\"), or null when the resource lacks it.
    const VS_FIXEDFILEINFO* fixed_info() const;

    // The translation table ("\VarFileInfo\Translation"): pairs of language id and code page.
    // Null when the resource has no such table; `bytes` receives its size.
    const WORD* translations(UINT& bytes) const;

    // The string `name` ("ProductName") of the translation `language` / `code_page`; nothing
    // when the resource has no such string.
    std::optional<std::wstring> string(WORD language, WORD code_page, const wchar_t* name) const;

private:
    explicit version_info(std::vector<BYTE> block) : block_(std::move(block)) {}

    // VerQueryValueW takes a non-const block, though it only reads it.
    mutable std::vector<BYTE> block_;
};

}  // namespace fw
