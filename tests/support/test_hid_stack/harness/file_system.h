// Folders and files of an end-to-end test (Windows). The test program runs from <build>\bin;
// everything else is found from there:
//   <build>\bin               the product (vanta.exe, OrvUpdateCheck.dll, vantaCHS.dll) and
//                             the test programs, Updater.exe stand-in included
//   <build>\test_hid_stack    the test hid.dll and setupapi.dll
//   <build>\e2e\<test>        one fresh folder per test
//   <build>\e2e\screenshots   the PNG screenshots the tests take
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

std::wstring program_dir();  // the folder of the running program
std::wstring build_dir();
std::wstring test_hid_stack_dir();
std::wstring tests_root();  // <build>\e2e

std::wstring join(const std::wstring& folder, const std::wstring& name);
bool file_exists(const std::wstring& path);

// Creates the folder, with its parents; true if it exists afterwards.
bool make_dirs(const std::wstring& folder);
// Removes the folder and everything in it; true if it is gone afterwards.
bool remove_tree(const std::wstring& folder);
// An empty folder: whatever was there from an earlier run is removed first.
bool make_fresh_dir(const std::wstring& folder);

bool copy_file(const std::wstring& from, const std::wstring& to);
std::optional<std::vector<std::uint8_t>> read_bytes(const std::wstring& path);

}  // namespace e2e
