#include "Utf16.h"

#include <string>

#include "ProtocolError.h"

namespace standin::tds {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 character at `i`, advancing it; U+FFFD for a malformed sequence (one byte
// consumed), including overlong forms and encoded surrogates.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

void AppendUnit(std::vector<std::uint8_t>& out, char32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

}  // namespace

std::string Utf16LeToUtf8(std::span<const std::uint8_t> in) {
    if (in.size() % 2 != 0)
        throw ProtocolError("UTF-16 text has an odd number of bytes (" + std::to_string(in.size()) + ")");
    std::string out;
    out.reserve(in.size());
    const std::size_t units = in.size() / 2;
    for (std::size_t k = 0; k < units; ++k) {
        char32_t u = static_cast<char32_t>(in[2 * k] | (in[2 * k + 1] << 8));
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 >= units)
                throw ProtocolError("UTF-16 text ends inside a surrogate pair");
            char32_t lo = static_cast<char32_t>(in[2 * k + 2] | (in[2 * k + 3] << 8));
            if (lo < 0xDC00 || lo > 0xDFFF)
                throw ProtocolError("UTF-16 text has an unpaired high surrogate at unit " + std::to_string(k));
            u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
            ++k;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            throw ProtocolError("UTF-16 text has an unpaired low surrogate at unit " + std::to_string(k));
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::vector<std::uint8_t> Utf8ToUtf16LeLimited(std::string_view utf8, std::size_t maxUnits) {
    std::vector<std::uint8_t> out;
    out.reserve(utf8.size() * 2);
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t cp = NextCodePoint(utf8, i);
        const std::size_t need = cp >= 0x10000 ? 2 : 1;
        if (out.size() / 2 + need > maxUnits) break;
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            AppendUnit(out, 0xD800 + (v >> 10));
            AppendUnit(out, 0xDC00 + (v & 0x3FF));
        } else {
            AppendUnit(out, cp);
        }
    }
    return out;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view utf8) {
    return Utf8ToUtf16LeLimited(utf8, static_cast<std::size_t>(-1) / 4);
}

}  // namespace standin::tds
