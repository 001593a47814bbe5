#pragma once
#include <string>
#include <string_view>

namespace kavel {

// Drops leading and trailing bytes whose value is <= 32 (blanks and control characters).
// Works on bytes, so it is the same for UTF-8 and CP936 text.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);

}  // namespace kavel
