#pragma once
// Name comparison as the database layer does it: ASCII letters without regard to case, every
// other byte exactly.

#include <string_view>

namespace kavel {

inline bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace kavel
