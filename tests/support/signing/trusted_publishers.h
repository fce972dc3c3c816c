// Windows side of the test signing fixture: the test publisher's pin that the build wrote
// beside the test programs (test_publisher.pin, made by test-signing), and the machine's
// TrustedPublishers setting of the update library in the test's Wine prefix.
#pragma once

#include <string>
#include <vector>

namespace test_signing {

// The pin in `directory`\test_publisher.pin (64 hex digits); empty when it cannot be read.
std::wstring test_publisher_pin(const std::wstring& directory);

// Writes HKLM\Software\Orvatec\UpdateCheck TrustedPublishers (REG_MULTI_SZ) as `pins`; no pins
// removes the value.
bool set_trusted_publishers(const std::vector<std::wstring>& pins);

}  // namespace test_signing
