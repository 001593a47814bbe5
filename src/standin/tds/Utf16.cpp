#include "Utf16.h"

#include <string>

#include "ProtocolError.h"
#include "Unicode.h"

namespace standin::tds {

std::string Utf16LeToUtf8(std::span<const std::uint8_t> in) {
    if (in.size() % 2 != 0)
        throw ProtocolError("UTF-16 text has an odd number of bytes (" + std::to_string(in.size()) +
                            ")");
    std::string out;
    out.reserve(in.size());
    const std::size_t bad = kavel::AppendUtf16LeAsUtf8(
        std::string_view(reinterpret_cast<const char*>(in.data()), in.size()), out);
    if (bad != std::string_view::npos)
        throw ProtocolError("UTF-16 text has an unpaired surrogate at unit " + std::to_string(bad));
    return out;
}

std::vector<std::uint8_t> Utf8ToUtf16LeLimited(std::string_view utf8, std::size_t maxUnits) {
    std::u16string units;
    units.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t before = units.size();
        kavel::AppendUtf16(units, kavel::NextUtf8CodePoint(utf8, i));
        if (units.size() > maxUnits) {
            units.resize(before);  // never half a surrogate pair
            break;
        }
    }
    std::vector<std::uint8_t> out;
    out.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view utf8) {
    return Utf8ToUtf16LeLimited(utf8, static_cast<std::size_t>(-1) / 4);
}

}  // namespace standin::tds
