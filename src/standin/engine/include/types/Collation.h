#pragma once
// Text comparison under Chinese_PRC_CI_AS on code page 936 bytes: trailing blanks do not count,
// ASCII letters compare without case, double-byte characters compare by their GBK bytes.
// Object and column names follow the same rules.

#include <string>
#include <string_view>

namespace standin {

// True when byte b starts a double-byte GBK character.
inline bool IsGbkLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Sort key: equal keys <=> equal texts; byte order of keys == collation order of texts.
std::string CollationKey(std::string_view cp936);

int CompareText(std::string_view a, std::string_view b);  // <0, 0, >0
bool EqualText(std::string_view a, std::string_view b);

// Names (UTF-8 identifiers): case-insensitive for ASCII letters, trailing blanks ignored.
bool SameName(std::string_view a, std::string_view b);
std::string NameKey(std::string_view name);

// LIKE with % _ [set] [^set] [a-z]. Blanks in the pattern count; the value matches with or
// without its trailing blanks, as SQL Server documents for LIKE.
bool LikeMatch(std::string_view value, std::string_view pattern);

// Number of characters (a double-byte character counts once).
std::size_t CharacterCount(std::string_view cp936);
// Byte length of the first `chars` characters.
std::size_t BytesOfCharacters(std::string_view cp936, std::size_t chars);
// Longest prefix of at most maxBytes bytes that does not cut a double-byte character.
std::size_t FitBytes(std::string_view cp936, std::size_t maxBytes);

std::string UpperText(std::string_view cp936);
// ASCII upper case of a name, keyword, type or month name; other bytes stay as they are.
std::string UpperAscii(std::string_view s);
std::string LowerText(std::string_view cp936);
std::string_view TrimTrailingBlanks(std::string_view s);

}  // namespace standin
