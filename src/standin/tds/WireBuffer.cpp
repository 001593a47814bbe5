#include "WireBuffer.h"

#include <string>

#include "ProtocolError.h"
#include "Utf16.h"

namespace standin::tds {

void WireReader::Need(std::size_t n) const {
    if (n > Remaining())
        throw ProtocolError("message ends early: needed " + std::to_string(n) +
                            " bytes at offset " + std::to_string(pos_) + " of " +
                            std::to_string(data_.size()));
}

void WireReader::Seek(std::size_t pos) {
    if (pos > data_.size())
        throw ProtocolError("offset " + std::to_string(pos) + " lies outside the message of " +
                            std::to_string(data_.size()) + " bytes");
    pos_ = pos;
}

std::uint8_t WireReader::U8() {
    Need(1);
    return data_[pos_++];
}

std::uint16_t WireReader::U16LE() {
    Need(2);
    std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint16_t WireReader::U16BE() {
    Need(2);
    std::uint16_t v = static_cast<std::uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return v;
}

std::uint32_t WireReader::U32LE() {
    Need(4);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 4;
    return v;
}

std::span<const std::uint8_t> WireReader::Take(std::size_t n) {
    Need(n);
    auto part = data_.subspan(pos_, n);
    pos_ += n;
    return part;
}

void WireWriter::U16LE(std::uint16_t v) {
    data_.push_back(static_cast<std::uint8_t>(v));
    data_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void WireWriter::U16BE(std::uint16_t v) {
    data_.push_back(static_cast<std::uint8_t>(v >> 8));
    data_.push_back(static_cast<std::uint8_t>(v));
}

void WireWriter::U32LE(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void WireWriter::U32BE(std::uint32_t v) {
    for (int i = 3; i >= 0; --i) data_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void WireWriter::U64LE(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) data_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void WireWriter::Append(std::span<const std::uint8_t> bytes) {
    data_.insert(data_.end(), bytes.begin(), bytes.end());
}

void WireWriter::Append(std::string_view bytes) {
    data_.insert(data_.end(), bytes.begin(), bytes.end());
}

void WireWriter::PatchU16LE(std::size_t at, std::uint16_t v) {
    data_.at(at) = static_cast<std::uint8_t>(v);
    data_.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void WireWriter::BVarChar(std::string_view utf8) {
    Bytes units = Utf8ToUtf16LeLimited(utf8, 0xFF);
    U8(static_cast<std::uint8_t>(units.size() / 2));
    Append(units);
}

void WireWriter::USVarChar(std::string_view utf8, std::size_t maxUnits) {
    Bytes units = Utf8ToUtf16LeLimited(utf8, maxUnits < 0xFFFF ? maxUnits : 0xFFFF);
    U16LE(static_cast<std::uint16_t>(units.size() / 2));
    Append(units);
}

}  // namespace standin::tds
