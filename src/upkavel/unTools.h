#pragma once
#include <string>
#include <string_view>

#include "ConvertError.h"

namespace kavel {

// The connection gate: empty at start, then the splash's connecting text, then "OK" once the
// database connection is open. Read once by the program entry.
extern std::string ConnectGate;

// Decodes the digit code of the stored user name and password: four decimal digits per character,
// each digit d adding the two bits d div 2 (so 0/1, 2/3, 4/5, 6/7 are alike, and 8/9 count as 4
// and carry into the next pair), the first digit most significant; the character is the low eight
// bits. Input whose length is not a multiple of four gives empty text. Each result byte is the
// character code itself (ASCII for every real user name and password).
// Throws EConvertError when a character is not a decimal digit; the message gives its position
// but not the character, as the text is a secret.
std::string DecodeDigits(std::string_view encoded);

}  // namespace kavel
