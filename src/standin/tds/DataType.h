#pragma once
// The TDS data-type bytes (MS-TDS 2.2.5.4) that the server writes in column metadata and reads
// in RPC parameters. One list, so that both directions agree on every byte.

#include <cstdint>

namespace standin::tds {

enum class DataType : std::uint8_t {
    // Fixed-length types: no length byte follows.
    Int1 = 0x30,
    Int2 = 0x34,
    Int4 = 0x38,
    Int8 = 0x7F,
    // Variable-length types with a one-byte maximum length.
    IntN = 0x26,
    BitN = 0x68,
    DecimalN = 0x6A,
    NumericN = 0x6C,
    DateTimeN = 0x6F,
    // Long-length types: four-byte maximum length, then a text pointer per value.
    Text = 0x23,
    NText = 0x63,
    // Two-byte maximum length, collation, two-byte actual length.
    BigVarChar = 0xA7,
    BigChar = 0xAF,
    NVarChar = 0xE7,
};

inline constexpr std::uint8_t Byte(DataType type) { return static_cast<std::uint8_t>(type); }

}  // namespace standin::tds
