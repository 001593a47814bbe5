#include "Unicode.h"

namespace kavel {

std::size_t Utf8SequenceAt(std::string_view s) {
    if (s.empty()) return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) return 1;
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        if (b0 == 0xF0) lo = 0x90;  // no overlong forms
        if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    const auto b1 = static_cast<unsigned char>(s[1]);
    if (b1 < lo || b1 > hi) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0;
    return n;
}

std::size_t FindInvalidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = Utf8SequenceAt(s.substr(i));
        if (n == 0) return i;
        i += n;
    }
    return std::string_view::npos;
}

char32_t NextUtf8CodePoint(std::string_view s, std::size_t& i) {
    const std::size_t n = Utf8SequenceAt(s.substr(i));
    if (n == 0) {
        ++i;
        return 0xFFFD;
    }
    static constexpr unsigned char kLeadMask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t cp = static_cast<unsigned char>(s[i]) & kLeadMask[n];
    for (std::size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    return cp;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

// NextUtf16CodePoint over `count` units that unitAt(k) reads, wherever they are stored.
template <typename UnitAt>
char32_t NextCodePoint(const UnitAt& unitAt, std::size_t count, std::size_t& i) {
    const char32_t u = unitAt(i++);
    if (u < 0xD800 || u > 0xDBFF || i == count) return u;
    const char32_t low = unitAt(i);
    if (low < 0xDC00 || low > 0xDFFF) return u;
    ++i;
    return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace

char32_t NextUtf16CodePoint(std::u16string_view s, std::size_t& i) {
    return NextCodePoint([s](std::size_t k) -> char32_t { return s[k]; }, s.size(), i);
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

std::size_t AppendUtf16LeAsUtf8(std::string_view bytes, std::string& out) {
    // Read straight from the bytes: no copy as 16-bit units first.
    const auto unitAt = [bytes](std::size_t k) -> char32_t {
        return static_cast<unsigned char>(bytes[2 * k]) |
               (static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * k + 1])) << 8);
    };
    const std::size_t units = bytes.size() / 2;
    std::size_t k = 0;
    while (k < units) {
        const std::size_t at = k;
        const char32_t c = NextCodePoint(unitAt, units, k);
        if (c < 0x80) {
            out += static_cast<char>(c);  // the bulk of a statement's text
        } else {
            if (IsSurrogate(c)) return at;
            AppendUtf8(out, c);
        }
    }
    return std::string_view::npos;
}

}  // namespace kavel
