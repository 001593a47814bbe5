#include "MakeNoOrder.h"

#include <algorithm>

#include "Cp936.h"
#include "Trim.h"
#include "Unicode.h"

namespace kavel {
namespace {

constexpr std::size_t kPaddedNumberWidth = 18;  // head + space + zeros + leading number
constexpr std::size_t kKeyWidth = 26;           // char(26) of bm_noorder

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One byte of a call number onto the key alphabet. The order of the replacements
// ('!' < '#' < '$' < '&' < '*' < '+' < '-' < '/') is what makes punctuation sort below digits and
// capitals. Bytes of double-byte characters become '/', except a trail byte in 'A'-'Z', which is
// kept like a capital; no trail byte is below 0x40, so no other rule can fire inside one.
char MapByte(char c) {
    if ((c >= 'A' && c <= 'Z') || IsDigit(c)) return c;
    switch (c) {
        case '-':
            return '!';
        case '(':
        case ')':
            return '#';
        case '"':
            return '$';
        case '=':
            return '&';
        case '<':
        case '>':
            return '*';
        case '+':
            return '+';
        case ':':
            return '-';
        default:
            return '/';
    }
}

std::string Mapped(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), MapByte);
    return out;
}

// ":5" -> ":05", "=1" -> "=01" when the separator is the last but one byte. The first ':' decides
// when there is one, even if it does not qualify; only without any ':' does the first '=' count.
void PadOneDigitSuffix(std::string& tail) {
    std::size_t p = tail.find(':');
    if (p == std::string::npos) p = tail.find('=');
    if (p != std::string::npos && p + 2 == tail.size()) tail.insert(p + 1, 1, '0');
}

}  // namespace

std::string MakeNoOrder(std::string_view callNumberCp936) {
    std::string s(callNumberCp936);
    std::replace(s.begin(), s.end(), '\'', '"');
    std::string_view t = TrimView(s);

    std::size_t slash = t.find('/');
    std::string head = Mapped(t.substr(0, slash));
    std::string tail =
        slash == std::string_view::npos ? std::string() : std::string(t.substr(slash + 1));

    std::size_t digits = 0;
    while (digits < tail.size() && IsDigit(tail[digits])) ++digits;
    std::string number = tail.substr(0, digits);
    tail.erase(0, digits);

    PadOneDigitSuffix(tail);
    tail = Mapped(tail);

    std::string key;
    if (number.empty()) {
        key = Trim(head + " " + tail);
    } else {
        std::string joined = head + " ";
        if (joined.size() + number.size() < kPaddedNumberWidth)
            joined.append(kPaddedNumberWidth - joined.size() - number.size(), '0');
        key = Trim(joined + number + tail);
    }
    if (key.size() > kKeyWidth) key.resize(kKeyWidth);
    return key;
}

std::string NoOrderOfText(std::string_view callNumberUtf8) {
    std::string wellFormed;
    if (FindInvalidUtf8(callNumberUtf8) == std::string_view::npos) {
        wellFormed = callNumberUtf8;
    } else {
        for (std::size_t i = 0; i < callNumberUtf8.size();) {
            const char32_t c = NextUtf8CodePoint(callNumberUtf8, i);
            AppendUtf8(wellFormed, c);
        }
    }
    // Only ASCII comes back, so the conversion cannot fail.
    return Cp936ToUtf8(Trim(MakeNoOrder(Utf8ToCp936Lossy(wellFormed))));
}

}  // namespace kavel
