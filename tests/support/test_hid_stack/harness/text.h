// UTF-8 and UTF-16 conversions for the harness (Windows).
#pragma once

#include <string>
#include <string_view>

namespace e2e {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view text);

}  // namespace e2e
