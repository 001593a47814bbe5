#include "Rpc.h"

#include <cstdio>

#include "DataType.h"
#include "ProtocolError.h"
#include "Utf16.h"
#include "WireBuffer.h"

namespace standin::tds {

namespace {

constexpr std::uint8_t kStatusByRefValue = 0x01;

std::int64_t ReadSigned(WireReader& r, std::size_t width) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v |= std::uint64_t{r.U8()} << (8 * i);
    // tinyint is unsigned; the wider integers are two's complement.
    if (width > 1 && width < 8) {
        const std::uint64_t sign = std::uint64_t{1} << (8 * width - 1);
        if (v & sign) v |= ~((sign << 1) - 1);
    }
    return static_cast<std::int64_t>(v);
}

// PLP (partially length-prefixed) data: total length, then chunks ending with a zero chunk.
std::optional<Bytes> ReadPlp(WireReader& r, std::size_t limit) {
    const std::uint32_t lo = r.U32LE();
    const std::uint32_t hi = r.U32LE();
    if (lo == 0xFFFFFFFF && hi == 0xFFFFFFFF) return std::nullopt;
    Bytes data;
    for (;;) {
        const std::size_t chunk = r.U32LE();
        if (chunk == 0) break;
        if (chunk > r.Remaining() || data.size() + chunk > limit)
            throw ProtocolError("PLP chunk does not fit the message");
        auto part = r.Take(chunk);
        data.insert(data.end(), part.begin(), part.end());
    }
    return data;
}

void ReadValue(WireReader& r, RpcParameter& p) {
    const std::uint8_t byte = r.U8();
    const auto type = static_cast<DataType>(byte);
    switch (type) {
        case DataType::Int1:
        case DataType::Int2:
        case DataType::Int4:
        case DataType::Int8: {
            const std::size_t width = type == DataType::Int1   ? 1
                                      : type == DataType::Int2 ? 2
                                      : type == DataType::Int4 ? 4
                                                               : 8;
            p.integer = ReadSigned(r, width);
            p.isNull = false;
            return;
        }
        case DataType::IntN: {
            const std::size_t max = r.U8();
            if (max != 1 && max != 2 && max != 4 && max != 8)
                throw ProtocolError("INTN parameter of width " + std::to_string(max));
            const std::size_t len = r.U8();
            if (len == 0) return;
            if (len != max)
                throw ProtocolError("INTN parameter value of " + std::to_string(len) + " bytes");
            p.integer = ReadSigned(r, len);
            p.isNull = false;
            return;
        }
        case DataType::NText: {
            r.U32LE();  // declared maximum
            r.Take(5);  // collation
            const std::uint32_t len = r.U32LE();
            if (len == 0xFFFFFFFF) return;
            p.text = Utf16LeToUtf8(r.Take(len));
            p.isNull = false;
            return;
        }
        case DataType::NVarChar: {
            const std::uint16_t max = r.U16LE();
            r.Take(5);  // collation
            if (max == 0xFFFF) {
                if (auto data = ReadPlp(r, r.Remaining())) {
                    p.text = Utf16LeToUtf8(*data);
                    p.isNull = false;
                }
                return;
            }
            const std::uint16_t len = r.U16LE();
            if (len == 0xFFFF) return;
            p.text = Utf16LeToUtf8(r.Take(len));
            p.isNull = false;
            return;
        }
        default: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "0x%02X", byte);
            throw UnsupportedRpc(std::string("sqlstandin does not read RPC parameters of type ") +
                                 buf + ".");
        }
    }
}

}  // namespace

RpcRequest ParseRpc(std::span<const std::uint8_t> payload) {
    WireReader r(payload);
    const std::size_t total = r.U32LE();
    if (total < 4 || total > payload.size())
        throw ProtocolError("RPC headers claim " + std::to_string(total) + " bytes of " +
                            std::to_string(payload.size()));
    r.Seek(total);

    RpcRequest request;
    const std::uint16_t nameLength = r.U16LE();
    if (nameLength == 0xFFFF) {
        request.procId = r.U16LE();
    } else {
        request.procName = Utf16LeToUtf8(r.Take(std::size_t{nameLength} * 2));
    }
    r.U16LE();  // option flags (recompile, no metadata)
    while (r.Remaining() > 0) {
        const std::uint8_t next = r.U8();
        if (next == 0xFF || next == 0xFE) {  // separators of further requests (TDS 7.2+)
            request.moreRequests = true;
            break;
        }
        RpcParameter p;
        p.name = Utf16LeToUtf8(r.Take(std::size_t{next} * 2));
        p.output = (r.U8() & kStatusByRefValue) != 0;
        ReadValue(r, p);
        request.parameters.push_back(std::move(p));
    }
    return request;
}

std::optional<SpecialProc> ResolveSpecialProc(const RpcRequest& request) {
    if (request.procId) {
        switch (*request.procId) {
            case 10:
                return SpecialProc::ExecuteSql;
            case 11:
                return SpecialProc::Prepare;
            case 12:
                return SpecialProc::Execute;
            case 13:
                return SpecialProc::PrepExec;
            case 15:
                return SpecialProc::Unprepare;
            default:
                return std::nullopt;
        }
    }
    std::string name;
    for (char c : request.procName)
        name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (name == "sp_executesql") return SpecialProc::ExecuteSql;
    if (name == "sp_prepare") return SpecialProc::Prepare;
    if (name == "sp_execute") return SpecialProc::Execute;
    if (name == "sp_prepexec") return SpecialProc::PrepExec;
    if (name == "sp_unprepare") return SpecialProc::Unprepare;
    return std::nullopt;
}

}  // namespace standin::tds
