#include "WideText.h"

#include "Unicode.h"

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the ODBC wide API must be UTF-16");

namespace kavel {

// Malformed UTF-8 becomes one U+FFFD per byte that is not part of a well-formed sequence.
WideString ToWide(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) AppendUtf16(units, NextUtf8CodePoint(utf8, i));
    return WideString(units.begin(), units.end());
}

// An unpaired surrogate, which has no UTF-8 form, becomes '?'.
std::string FromWide(const SQLWCHAR* text, std::size_t length) {
    const std::u16string units(text, text + length);
    std::string out;
    out.reserve(length);
    std::size_t i = 0;
    while (i < units.size()) {
        const char32_t c = NextUtf16CodePoint(units, i);
        if (IsSurrogate(c)) {
            out += '?';
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

}  // namespace kavel
