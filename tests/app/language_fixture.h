// Common ground of the language, Help, About and update-hook tests: a program folder holding
// copies of the built vanta.exe and (when asked) its language libraries, vanta's settings
// restored after each test, the .pdf association of the test prefix, and modal windows of this
// process answered from a second thread while the test thread runs them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vanta_test {

inline constexpr wchar_t vanta_key[] = L"Software\\Orvatec\\Orv Vanta Kit";
inline constexpr wchar_t update_key[] = L"Software\\Orvatec\\UpdateCheck\\64";
inline constexpr wchar_t app_title[] = L"Orv Vanta Kit";

// The folder of this test program, where the build puts vanta.exe and vantaCHS.dll.
std::wstring bin_dir();

// A fresh folder with a copy of vanta.exe; libraries are added by name.
class program_folder {
public:
    explicit program_folder(const std::wstring& name);
    ~program_folder();
    program_folder(const program_folder&) = delete;
    program_folder& operator=(const program_folder&) = delete;

    const std::wstring& folder() const { return folder_; }
    std::wstring program() const { return folder_ + L"\\vanta.exe"; }
    std::wstring path(const std::wstring& name) const { return folder_ + L"\\" + name; }
    // Copies `source` (a file of the build folder) here as `name`.
    bool add(const std::wstring& source, const std::wstring& name) const;
    bool add_chinese() const { return add(L"vantaCHS.dll", L"vantaCHS.dll"); }
    // The Traditional Chinese libraries of Taiwan, Hong Kong and Macau.
    bool add_traditional_chinese() const {
        return add(L"vantaCHT.dll", L"vantaCHT.dll") && add(L"vantaZHH.dll", L"vantaZHH.dll") &&
               add(L"vantaZHM.dll", L"vantaZHM.dll");
    }
    // German, French, Spanish, Brazilian Portuguese, Japanese and Korean.
    bool add_more_languages() const {
        for (const wchar_t* name : {L"vantaDEU.dll", L"vantaFRA.dll", L"vantaESN.dll",
                                    L"vantaPTB.dll", L"vantaJPN.dll", L"vantaKOR.dll"}) {
            if (!add(name, name)) return false;
        }
        return true;
    }

private:
    std::wstring folder_;
};

// A REG_DWORD under HKEY_CURRENT_USER; nothing when absent.
std::optional<DWORD> read_dword(const std::wstring& key, const wchar_t* name);
bool write_dword(const std::wstring& key, const wchar_t* name, DWORD value);

// Restores a value under HKEY_CURRENT_USER as it was (or absent) when it goes.
class saved_value {
public:
    saved_value(std::wstring key, std::wstring name);
    ~saved_value();
    saved_value(const saved_value&) = delete;
    saved_value& operator=(const saved_value&) = delete;

private:
    std::wstring key_, name_;
    std::vector<BYTE> data_;
    DWORD type_ = 0;
    bool present_ = false;
};

// The shell's program for .pdf files in this prefix (the machine's classes, which Wine's
// FindExecutableW reads): `command` as the open command, or, with an empty one, none at all.
// The association is restored when the object goes.
class pdf_association {
public:
    explicit pdf_association(const std::wstring& command);
    ~pdf_association();
    pdf_association(const pdf_association&) = delete;
    pdf_association& operator=(const pdf_association&) = delete;

private:
    std::wstring previous_;
    bool had_previous_ = false;
};

// What a modal window of this process showed before the watcher answered it.
struct seen_window {
    std::wstring caption;
    std::wstring text;                   // the message of a message box (static control 0xFFFF)
    std::vector<std::wstring> controls;  // texts of the dialog's child windows, in order
    bool cancel_visible = false;
};

// Runs `modal` on this thread. A second thread waits for each window of this process that
// `modal` opens, records it, calls `inspect` (if any) with it, and presses `button`. Returns
// what it saw, oldest first; when `modal` opens nothing, the list is empty.
std::vector<seen_window> answer_modal(const std::function<void()>& modal, int button = IDOK,
                                      const std::function<void(HWND)>& inspect = nullptr);

// Sets an environment variable of this process for the lifetime of the object.
class scoped_variable {
public:
    scoped_variable(const wchar_t* name, const std::wstring& value);
    ~scoped_variable();
    scoped_variable(const scoped_variable&) = delete;
    scoped_variable& operator=(const scoped_variable&) = delete;

private:
    std::wstring name_, old_;
    bool had_ = false;
};

// The contents of a file as UTF-8 text, or nothing.
std::optional<std::string> read_text(const std::wstring& path);

}  // namespace vanta_test
