// libFuzzer target: the digit code of the stored user name and password. Any text must decode or
// be refused with EConvertError; whatever the program's own digit coding writes for a text must
// decode back to that text, whichever of the two alike digits (0/1, 2/3, 4/5, 6/7) it wrote.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ConvertError.h"
#include "unTools.h"

namespace {

// Four base-4 digits per byte, most significant first, each written as 2q or 2q+1 (`odd` picks).
std::string Encode(std::string_view text, std::string_view odd) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const auto pick = i < odd.size() ? static_cast<unsigned char>(odd[i]) : 0u;
        for (int shift = 6, k = 0; shift >= 0; shift -= 2, ++k)
            out += static_cast<char>('0' + 2 * ((b >> shift) & 3) + ((pick >> k) & 1));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // As stored: decodes, or is refused.
    try {
        const std::string decoded = kavel::DecodeDigits(input);
        if (size % 4 != 0 ? !decoded.empty() : decoded.size() != size / 4) __builtin_trap();
    } catch (const kavel::EConvertError&) {
        if (size % 4 != 0) __builtin_trap();  // a length that is no multiple of 4 gives empty text
    }

    // Round trip: the first half of the input as text, the second half choosing the digits.
    const std::string_view text = input.substr(0, size / 2), odd = input.substr(size / 2);
    if (kavel::DecodeDigits(Encode(text, odd)) != text) __builtin_trap();
    return 0;
}
