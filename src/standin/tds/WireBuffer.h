#pragma once
// Bounds-checked reading and appending of TDS wire fields. TDS mixes byte orders: packet headers
// are big-endian, token and login fields little-endian; the names say which.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace standin::tds {

using Bytes = std::vector<std::uint8_t>;

// Reads fields from a received message. Every read past the end throws ProtocolError, so a
// truncated or lying message can never make the parser read outside its buffer.
class WireReader {
public:
    explicit WireReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return data_.size() - pos_; }
    void Seek(std::size_t pos);

    std::uint8_t U8();
    std::uint16_t U16LE();
    std::uint16_t U16BE();
    std::uint32_t U32LE();
    std::span<const std::uint8_t> Take(std::size_t n);

private:
    void Need(std::size_t n) const;

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// Appends fields to an outgoing message.
class WireWriter {
public:
    Bytes& Data() { return data_; }
    std::size_t Size() const { return data_.size(); }

    void U8(std::uint8_t v) { data_.push_back(v); }
    void U16LE(std::uint16_t v);
    void U16BE(std::uint16_t v);
    void U32LE(std::uint32_t v);
    void U32BE(std::uint32_t v);
    void U64LE(std::uint64_t v);
    void Append(std::span<const std::uint8_t> bytes);
    void Append(std::string_view bytes);
    // Overwrites a little-endian USHORT written earlier (token lengths known only at the end).
    void PatchU16LE(std::size_t at, std::uint16_t v);

    // UTF-8 text as UTF-16LE preceded by its length in UTF-16 code units: one byte (B_VARCHAR)
    // or two (US_VARCHAR). Text longer than the prefix can count is cut at a character boundary.
    void BVarChar(std::string_view utf8);
    void USVarChar(std::string_view utf8, std::size_t maxUnits = 0xFFFF);

private:
    Bytes data_;
};

}  // namespace standin::tds
