// The most recently used documents, newest first, kept in the program's settings as values
// "File1" to "File<n>" of one section. UI thread only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace fw {

class profile;

class recent_file_list {
public:
    recent_file_list(std::wstring section, std::size_t capacity);

    // Puts `path` first; the same path already listed (compared without regard to case, as
    // Windows compares file names) moves up instead of appearing twice.
    void add(const std::wstring& path);
    void remove(std::size_t index);

    std::size_t size() const noexcept { return paths_.size(); }
    std::size_t capacity() const noexcept { return capacity_; }
    const std::wstring& operator[](std::size_t index) const { return paths_[index]; }

    void read(const profile& settings);
    // Replaces the section with the current list.
    void write(const profile& settings) const;

private:
    static std::wstring entry_name(std::size_t index);

    std::wstring section_;
    std::size_t capacity_;
    std::vector<std::wstring> paths_;
};

}  // namespace fw
