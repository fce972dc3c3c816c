#include "framework/recent_file_list.h"

#include <windows.h>

#include <algorithm>

#include "framework/profile.h"

namespace fw {

recent_file_list::recent_file_list(std::wstring section, std::size_t capacity)
    : section_(std::move(section)), capacity_(capacity) {}

std::wstring recent_file_list::entry_name(std::size_t index) {
    return L"File" + std::to_wstring(index + 1);
}

void recent_file_list::add(const std::wstring& path) {
    if (path.empty() || capacity_ == 0) return;
    auto same = std::find_if(paths_.begin(), paths_.end(), [&](const std::wstring& listed) {
        return ::CompareStringOrdinal(listed.c_str(), static_cast<int>(listed.size()), path.c_str(),
                                      static_cast<int>(path.size()), TRUE) == CSTR_EQUAL;
    });
    if (same != paths_.end()) paths_.erase(same);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > capacity_) paths_.resize(capacity_);
}

void recent_file_list::remove(std::size_t index) {
    if (index < paths_.size()) paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(index));
}

void recent_file_list::read(const profile& settings) {
    paths_.clear();
    for (std::size_t i = 0; i < capacity_; ++i) {
        std::wstring path = settings.get_string(section_, entry_name(i), std::wstring());
        if (!path.empty()) paths_.push_back(std::move(path));
    }
}

void recent_file_list::write(const profile& settings) const {
    settings.delete_section(section_);
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        settings.write_string(section_, entry_name(i), paths_[i]);
    }
}

}  // namespace fw
