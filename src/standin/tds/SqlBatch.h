#pragma once
// SQLBatch request: ALL_HEADERS (transaction descriptor and the like, skipped), then the batch
// text in UTF-16LE.

#include <cstdint>
#include <span>
#include <string>

namespace standin::tds {

// The batch text in UTF-8, exactly as sent (CR and LF included). Throws ProtocolError when the
// headers are inconsistent or the text is not valid UTF-16.
std::string DecodeSqlBatch(std::span<const std::uint8_t> payload);

}  // namespace standin::tds
