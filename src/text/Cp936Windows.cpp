// Code page 936 through the Windows API (MultiByteToWideChar / WideCharToMultiByte), with the
// behaviour of the iconv codec of Cp936.cpp: exact, an error where that one errors, at the same
// byte, and the same replacements in the lossy and byte-keeping forms.
//
// Windows converts a whole buffer or refuses it without saying where, so each conversion first
// tries the whole text at once (the common case: valid text, one call each way) and only on a
// refusal walks it one character at a time to find, report or replace the bad ones.
#ifdef _WIN32

#include <windows.h>

#include "Cp936.h"
#include "Unicode.h"

namespace kavel {
namespace {

constexpr UINT kCodePage = 936;

// Windows gives the user-defined areas of code page 936 (AAA1-AFFE, F8A1-FEFE, A140-A7A0) and
// its unassigned slots characters of the private use area, both ways; the iconv codec knows no
// such characters and refuses them. They count as undefined here too, so that both builds accept
// the same text and the byte-keeping form maps a credential to the same characters on both.
bool IsPrivateUse(char16_t unit) { return unit >= 0xE000 && unit <= 0xF8FF; }

bool HasPrivateUse(std::u16string_view wide) {
    for (char16_t unit : wide)
        if (IsPrivateUse(unit)) return true;
    return false;
}

std::string Hex(std::string_view s) {
    static const char* digits = "0123456789ABCDEF";
    std::string h;
    for (unsigned char c : s) {
        if (!h.empty()) h += ' ';
        h += digits[c >> 4];
        h += digits[c & 15];
    }
    return h;
}

// The UTF-16 of `cp936`, or false when Windows finds a byte sequence in it that code page 936
// does not define (MB_ERR_INVALID_CHARS: no silent default character) or that it decodes to a
// private use character.
bool DecodeExactly(std::string_view cp936, std::u16string& wide) {
    wide.clear();
    if (cp936.empty()) return true;
    const int size = static_cast<int>(cp936.size());
    wide.resize(cp936.size());  // never more UTF-16 units than bytes in a double-byte code page
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, cp936.data(), size,
                                      reinterpret_cast<wchar_t*>(wide.data()), size);
    if (n <= 0) return false;
    wide.resize(static_cast<std::size_t>(n));
    return !HasPrivateUse(wide);
}

// The code page 936 bytes of `wide`, or false when a character has no form there. Best-fit
// mappings (a look-alike in place of the character) and private use characters count as having
// none.
bool EncodeExactly(std::u16string_view wide, std::string& cp936) {
    cp936.clear();
    if (wide.empty()) return true;
    if (HasPrivateUse(wide)) return false;
    const int size = static_cast<int>(wide.size());
    cp936.resize(wide.size() * 2);
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(
        kCodePage, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(wide.data()), size,
        cp936.data(), static_cast<int>(cp936.size()), nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    cp936.resize(static_cast<std::size_t>(n));
    return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {  // utf8 is well-formed
    std::u16string wide;
    wide.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) AppendUtf16(wide, NextUtf8CodePoint(utf8, i));
    return wide;
}

std::string Utf16ToUtf8(std::u16string_view wide) {  // from Windows: well-formed
    std::string utf8;
    utf8.reserve(wide.size() * 3);
    for (std::size_t i = 0; i < wide.size();) AppendUtf8(utf8, NextUtf16CodePoint(wide, i));
    return utf8;
}

// Bytes of the character that starts at cp936[at]: two for a lead byte (0x81-0xFE) with a byte
// after it, otherwise one. Whether they form a defined character is Windows' answer.
std::size_t CharacterLength(std::string_view cp936, std::size_t at) {
    const auto lead = static_cast<unsigned char>(cp936[at]);
    return lead >= 0x81 && lead <= 0xFE && at + 1 < cp936.size() ? 2 : 1;
}

// Decodes `cp936`; for each byte that begins no defined character, calls onBad(out, at), which
// either throws or appends a replacement; decoding goes on with the next byte, as iconv does.
template <typename OnBad>
std::string Decode(std::string_view cp936, OnBad onBad) {
    std::u16string wide;
    if (DecodeExactly(cp936, wide)) return Utf16ToUtf8(wide);
    std::string out;
    out.reserve(cp936.size() * 3 / 2 + 4);
    for (std::size_t at = 0; at < cp936.size();) {
        const std::size_t length = CharacterLength(cp936, at);
        const auto lead = static_cast<unsigned char>(cp936[at]);
        // A lead byte alone (at the end) begins no character; Windows would take it as one.
        const bool lone = lead >= 0x81 && lead <= 0xFE && length == 1;
        if (!lone && DecodeExactly(cp936.substr(at, length), wide)) {
            out += Utf16ToUtf8(wide);
            at += length;
        } else {
            onBad(out, at);
            ++at;
        }
    }
    return out;
}

// Encodes well-formed `utf8`; for each character without a code page 936 form, calls
// onBad(out, at, length), which either throws or appends a replacement.
template <typename OnBad>
std::string Encode(std::string_view utf8, OnBad onBad) {
    std::string out;
    if (EncodeExactly(Utf8ToUtf16(utf8), out)) return out;
    out.clear();
    std::string bytes;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8SequenceAt(utf8.substr(at));
        if (EncodeExactly(Utf8ToUtf16(utf8.substr(at, length)), bytes))
            out += bytes;
        else
            onBad(out, at, length);
        at += length;
    }
    return out;
}

void RequireWellFormed(std::string_view utf8) {
    if (std::size_t bad = FindInvalidUtf8(utf8); bad != std::string_view::npos)
        throw TextCodecError("malformed UTF-8 at byte " + std::to_string(bad));
}

}  // namespace

std::string Utf8ToCp936(std::string_view utf8) {
    RequireWellFormed(utf8);
    return Encode(utf8, [&](std::string&, std::size_t at, std::size_t length) {
        throw TextCodecError("character '" + std::string(utf8.substr(at, length)) + "' at byte " +
                             std::to_string(at) + " has no code page 936 form");
    });
}

std::string Utf8ToCp936Lossy(std::string_view utf8) {
    RequireWellFormed(utf8);
    return Encode(utf8, [](std::string& out, std::size_t, std::size_t) { out += '?'; });
}

std::string Cp936ToUtf8(std::string_view cp936) {
    return Decode(cp936, [&](std::string&, std::size_t at) {
        throw TextCodecError("byte sequence " + Hex(cp936.substr(at, 2)) + " at byte " +
                             std::to_string(at) + " is not valid code page 936 text");
    });
}

std::string Cp936ToUtf8Lossy(std::string_view cp936) {
    return Decode(cp936, [](std::string& out, std::size_t) { out += "\xEF\xBF\xBD"; });
}

std::string Cp936ToUtf8KeepingBytes(std::string_view cp936) {
    constexpr char32_t kStrayByteBase = 0xF700;
    return Decode(cp936, [&](std::string& out, std::size_t at) {
        AppendUtf8(out, kStrayByteBase + static_cast<unsigned char>(cp936[at]));
    });
}

}  // namespace kavel

#endif  // _WIN32
