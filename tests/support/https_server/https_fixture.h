// Access, from a Windows test under Wine, to the HTTPS server that
// tests/support/https_server/with-https-server started around the test, inside the FTP
// server's wrapper: both serve the same directory (see ftp_fixture for writing files there).
// Register such a test as
//   add_test(NAME x COMMAND ${VANTA_FTP_WRAPPER} --root-parent <dir> -- ${VANTA_HTTPS_WRAPPER}
//            -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:x>)
#pragma once

#include <string>
#include <string_view>

namespace https_fixture {

// Whether the test runs under the wrapper.
bool available();

// "https://localhost:<port>": a server whose certificate chains to the test root.
std::wstring server_setting();

// "https://localhost:<port>": the same files, under a certificate from a root nobody trusts.
std::wstring untrusted_server_setting();

// Makes the test root a trusted root of this Wine prefix (the machine's Root store in the
// registry, in both registry views, so that a 32-bit program finds it in a 32-bit prefix and
// under WOW64 alike). True when it is there.
bool trust_test_root();

// One line of a list file: the name, a blank and the size.
std::string list_line(std::string_view name, unsigned long long size);

// Makes the server send the file `relative` with its full Content-Length but only its first
// `count` bytes, then close the connection.
bool cut_short(std::wstring_view relative, unsigned long long count);

}  // namespace https_fixture
