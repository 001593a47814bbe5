#include "SqlBatch.h"

#include <string>

#include "ProtocolError.h"
#include "Utf16.h"
#include "WireBuffer.h"

namespace standin::tds {

std::string DecodeSqlBatch(std::span<const std::uint8_t> payload) {
    WireReader r(payload);
    const std::size_t total = r.U32LE();
    if (total < 4 || total > payload.size())
        throw ProtocolError("SQL batch headers claim " + std::to_string(total) + " bytes of " +
                            std::to_string(payload.size()));
    // Each header is DWORD length (itself included), USHORT type, data; they must tile exactly.
    while (r.Position() < total) {
        const std::size_t start = r.Position();
        const std::size_t length = r.U32LE();
        if (length < 6 || length > total - start)
            throw ProtocolError("SQL batch header of " + std::to_string(length) +
                                " bytes does not fit");
        r.Seek(start + length);
    }
    return Utf16LeToUtf8(payload.subspan(total));
}

}  // namespace standin::tds
