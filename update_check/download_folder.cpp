#include "update_check/download_folder.h"

#include <windows.h>

#include <cstdint>
#include <random>

#include "update_check/package_trust_rules.h"

namespace orv {
namespace {

// RtlGenRandom: the system's random source, exported by advapi32 as SystemFunction036.
extern "C" BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

std::wstring random_hex() {
    std::uint8_t bytes[8] = {};
    if (!SystemFunction036(bytes, sizeof(bytes))) {
        std::random_device device;
        for (auto& b : bytes) b = static_cast<std::uint8_t>(device());
    }
    std::string hex = hex_of(bytes, sizeof(bytes));
    return std::wstring(hex.begin(), hex.end());
}

constexpr int attempts = 16;

}  // namespace

std::optional<download_folder> download_folder::create(const std::wstring& parent) {
    for (int i = 0; i < attempts; ++i) {
        std::wstring path = parent + L"OrvUpdate-" + random_hex();
        if (::CreateDirectoryW(path.c_str(), nullptr)) return download_folder(path + L"\\");
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

download_folder::download_folder(download_folder&& other) noexcept
    : path_(std::move(other.path_)), file_(std::move(other.file_)), kept_(other.kept_) {
    other.path_.clear();
    other.file_.clear();
}

download_folder::~download_folder() {
    if (kept_ || path_.empty()) return;
    if (!file_.empty()) ::DeleteFileW(file_.c_str());
    ::RemoveDirectoryW(path_.c_str());
}

std::wstring download_folder::file(const std::wstring& name) {
    file_ = path_ + name;
    return file_;
}

}  // namespace orv
