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

    // The fixed file information ("\"), or null when the resource lacks it.
    const VS_FIXEDFILEINFO* fixed_info() const;

    // The translation table ("\VarFileInfo\Translation"): pairs of language id and code page.
    // Null when the resource has no such table; `bytes` receives its size.
    const WORD* translations(UINT& bytes) const;

private:
    explicit version_info(std::vector<BYTE> block) : block_(std::move(block)) {}

    // VerQueryValueW takes a non-const block, though it only reads it.
    mutable std::vector<BYTE> block_;
};

}  // namespace fw
