#pragma once
// CRC-32C (Castagnoli), the checksum of log records and snapshots. Chainable:
// Crc32c(b, nb, Crc32c(a, na)) == Crc32c(a followed by b).

#include <cstddef>
#include <cstdint>

namespace standin {

std::uint32_t Crc32c(const void* data, std::size_t size, std::uint32_t previous = 0);

}  // namespace standin
