// Thin wrappers over the shell's path helpers, which work in place on terminated buffers.
// They treat '\', '/' and ':' the way the shell does. Any thread.
#pragma once

#include <string>

namespace orv {

// The extension with its dot (PathFindExtensionW); empty when there is none.
std::wstring path_extension(const std::wstring& path);

// The last path component (PathFindFileNameW).
std::wstring path_file_name(const std::wstring& path);

// The path without its extension (PathRemoveExtensionW).
std::wstring path_without_extension(const std::wstring& path);

}  // namespace orv
