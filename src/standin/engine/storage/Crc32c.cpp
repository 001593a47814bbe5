#include "storage/Crc32c.h"

#include <array>

namespace standin {
namespace {

constexpr std::uint32_t kPolynomial = 0x82F63B78;  // reflected Castagnoli polynomial

// Slicing-by-8 tables: table[k][b] is the CRC of byte b followed by k zero bytes.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t c = b;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
        t[0][b] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t b = 0; b < 256; ++b)
            t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint32_t Crc32c(const void* data, std::size_t size, std::uint32_t previous) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint32_t crc = ~previous;
    while (size >= 8) {
        const std::uint32_t lo = crc ^ (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                        std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
        crc = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
              kTables[4][lo >> 24] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^
              kTables[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- > 0) crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
    return ~crc;
}

}  // namespace standin
