// A folder of the library's own for one download, made fresh under the temporary directory
// with an unguessable name ("OrvUpdate-" + 16 random hex digits), so that nothing placed there
// beforehand can stand in for the package. Unless kept, the folder and the files this download
// wrote there are deleted when the object goes.
#pragma once

#include <optional>
#include <string>

namespace orv {

class download_folder {
public:
    // Makes the folder under `parent` (which ends with '\'); nothing when it cannot.
    static std::optional<download_folder> create(const std::wstring& parent);

    download_folder(download_folder&& other) noexcept;
    download_folder& operator=(download_folder&&) = delete;
    download_folder(const download_folder&) = delete;
    download_folder& operator=(const download_folder&) = delete;
    ~download_folder();

    // The folder, ending with '\'.
    const std::wstring& path() const { return path_; }
    // `name` inside the folder; remembered, so that it is deleted with the folder.
    std::wstring file(const std::wstring& name);
    // Leave the folder and its file where they are (the package was started from there).
    void keep() { kept_ = true; }

private:
    explicit download_folder(std::wstring path) : path_(std::move(path)) {}

    std::wstring path_;
    std::wstring file_;
    bool kept_ = false;
};

}  // namespace orv
