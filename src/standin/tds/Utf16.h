#pragma once
// UTF-16LE, the text encoding of TDS names, messages and SQL batches, to and from the UTF-8 that
// the engine speaks.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace standin::tds {

// Client text -> UTF-8. Throws ProtocolError on an odd byte count or an unpaired surrogate: such
// text has no exact UTF-8 form, and the engine and trace must see exactly what arrived.
std::string Utf16LeToUtf8(std::span<const std::uint8_t> utf16le);

// Server text (ours, from the engine) -> UTF-16LE. A malformed UTF-8 sequence becomes U+FFFD.
std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view utf8);

// As Utf8ToUtf16Le, keeping at most maxUnits code units and never splitting a surrogate pair.
std::vector<std::uint8_t> Utf8ToUtf16LeLimited(std::string_view utf8, std::size_t maxUnits);

}  // namespace standin::tds
