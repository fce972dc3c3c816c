// Access, from a Windows test under Wine, to the FTP server that tests/support/ftp_server/
// with-ftp-server started around the test: the served directory (reachable as drive Z:) and
// the server's address. Register such a test as
//   add_test(NAME x COMMAND ${VANTA_FTP_WRAPPER} --root-parent <dir> --
//            ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:x>)
// The library under test finds the server through its machine setting (HKLM "Server"), which a
// test writes with set_update_server() before it calls the library. Tests that write it share
// the CTest resource lock orv_update_server (one Wine prefix serves them all).
#pragma once

#include <string>
#include <string_view>

namespace ftp_fixture {

// Whether the test runs under the wrapper (ORV_TEST_FTP_ROOT and ORV_TEST_FTP_SERVER set).
bool available();

// This process's environment variable `name`; empty when it is not set.
std::wstring environment(const wchar_t* name);

// "127.0.0.1:<port>".
std::wstring server_address();

// Writes `address` ("host" or "host:port") as the update library's machine setting "Server";
// an empty address removes the value.
bool set_update_server(std::wstring_view address);

// The setting names `address` while it lives, then the wrapper's server again (or none).
class scoped_update_server {
public:
    explicit scoped_update_server(std::wstring_view address) { set_update_server(address); }
    ~scoped_update_server() { set_update_server(server_address()); }
    scoped_update_server(const scoped_update_server&) = delete;
    scoped_update_server& operator=(const scoped_update_server&) = delete;
};

// Windows path of `relative` ('/'-separated) inside the served directory; "" for the root.
std::wstring served_path(std::wstring_view relative = {});

// Creates the directory `relative` (and its parents) inside the served directory.
bool make_directory(std::wstring_view relative);

// Writes `bytes` as the file `relative`, creating its directory.
bool write_file(std::wstring_view relative, std::string_view bytes);

// Copies the Windows file `source` to `relative`.
bool copy_file(const std::wstring& source, std::wstring_view relative);

// Lines sent ahead of the real entries when directory `relative` is listed, in "ls -l" form
// ("-rw-r--r-- 1 owner group <size> Jan 01 2020 <name>"); see serve.py.
bool set_listing_extra(std::wstring_view directory, const std::string& lines);

// Makes the server answer every listing and download command only after `milliseconds`
// (0: at once again); other connections are served meanwhile. See serve.py.
bool set_reply_delay(unsigned milliseconds);

// One "ls -l" line for a file of `size` bytes named `name` (UTF-8).
std::string listing_line(const std::string& name, unsigned long long size);

// The contents of a Windows file, or nothing when it cannot be read.
bool read_file(const std::wstring& path, std::string& bytes);

}  // namespace ftp_fixture
