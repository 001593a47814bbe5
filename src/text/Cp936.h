#pragma once
// Conversion between the program's UTF-8 text and code page 936 (GBK) bytes, the encoding of the
// database, of issn.dat and of issnok.txt. Exact: a sequence that has no counterpart is an error,
// never a silent substitute, unless the caller asks for the lossy form explicitly.

#include <stdexcept>
#include <string>
#include <string_view>

namespace kavel {

class TextCodecError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// UTF-8 -> CP936 bytes. Throws TextCodecError on malformed UTF-8 or a character outside CP936.
std::string Utf8ToCp936(std::string_view utf8);

// CP936 bytes -> UTF-8. Throws TextCodecError on a malformed or unassigned byte sequence.
std::string Cp936ToUtf8(std::string_view cp936);

// UTF-8 -> CP936, each character that CP936 cannot hold becoming '?' (what SQL Server does to a
// non-Unicode literal). Malformed UTF-8 still throws.
std::string Utf8ToCp936Lossy(std::string_view utf8);

// CP936 -> UTF-8, each undecodable byte becoming U+FFFD. For diagnostics only.
std::string Cp936ToUtf8Lossy(std::string_view cp936);

// CP936 -> UTF-8 without loss, for bytes that are a secret rather than text (a decoded password):
// each byte that begins no CP936 character becomes the private-use character U+F700 + byte,
// which no CP936 text decodes to, so different byte strings stay different and none is refused.
std::string Cp936ToUtf8KeepingBytes(std::string_view cp936);

}  // namespace kavel
