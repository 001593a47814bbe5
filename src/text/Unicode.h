#pragma once
// UTF-8 and UTF-16LE building blocks shared by the codec, the registry file reader, the trace
// and the TDS server. Strict: overlong forms, encoded surrogates and code points above U+10FFFF
// are not well-formed UTF-8; an unpaired surrogate is not well-formed UTF-16.

#include <cstddef>
#include <string>
#include <string_view>

namespace kavel {

// Length (1..4) of the well-formed UTF-8 sequence that starts s, or 0 when s does not start
// with one (also when s is empty or the sequence is cut off).
std::size_t Utf8SequenceAt(std::string_view s);

// Offset of the first byte that is not part of well-formed UTF-8, or npos when all of s is.
std::size_t FindInvalidUtf8(std::string_view s);

// Decodes the character at s[i] and moves i past it; a malformed sequence gives U+FFFD and
// moves i by one byte.
char32_t NextUtf8CodePoint(std::string_view s, std::size_t& i);

void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes the character at s[i] and moves i past it. An unpaired surrogate is returned as it is
// (a value in D800..DFFF, see IsSurrogate) and moves i by one unit.
char32_t NextUtf16CodePoint(std::u16string_view s, std::size_t& i);

inline bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Appends a code point (at most U+10FFFF) as one unit or a surrogate pair.
void AppendUtf16(std::u16string& out, char32_t codePoint);

// Appends UTF-16LE text (bytes, an even count; a trailing odd byte is ignored) to out as UTF-8.
// Returns npos, or the index of the 16-bit unit holding an unpaired surrogate, in which case out
// holds what came before it.
std::size_t AppendUtf16LeAsUtf8(std::string_view utf16le, std::string& out);

}  // namespace kavel
