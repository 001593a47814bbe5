#include "Trim.h"

namespace kavel {

static bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsTrimmed(s[b])) ++b;
    while (e > b && IsTrimmed(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

}  // namespace kavel
