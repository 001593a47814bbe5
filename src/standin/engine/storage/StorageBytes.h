#pragma once
// The byte codec of the on-disk formats (log records, snapshot headers, database images):
// little-endian fixed-width integers and strings as a u32 byte count followed by the bytes.
// ByteReader never reads past its input: a short read reports failure instead.

#include <cstdint>
#include <string>
#include <string_view>

namespace standin {

inline void PutU8(std::string& out, std::uint8_t v) { out.push_back(static_cast<char>(v)); }

inline void PutU32(std::string& out, std::uint32_t v) {
    char b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>(v >> (8 * i));
    out.append(b, 4);
}

inline void PutU64(std::string& out, std::uint64_t v) {
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<char>(v >> (8 * i));
    out.append(b, 8);
}

inline void PutString(std::string& out, std::string_view s) {
    PutU32(out, static_cast<std::uint32_t>(s.size()));
    out += s;
}

inline std::uint32_t LoadU32(const char* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
    return v;
}

inline std::uint64_t LoadU64(const char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
    return v;
}

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : rest_(bytes) {}

    bool U8(std::uint8_t& v) {
        if (rest_.empty()) return false;
        v = static_cast<unsigned char>(rest_[0]);
        rest_.remove_prefix(1);
        return true;
    }
    bool U32(std::uint32_t& v) {
        if (rest_.size() < 4) return false;
        v = LoadU32(rest_.data());
        rest_.remove_prefix(4);
        return true;
    }
    bool U64(std::uint64_t& v) {
        if (rest_.size() < 8) return false;
        v = LoadU64(rest_.data());
        rest_.remove_prefix(8);
        return true;
    }
    bool Bytes(std::size_t n, std::string_view& v) {
        if (rest_.size() < n) return false;
        v = rest_.substr(0, n);
        rest_.remove_prefix(n);
        return true;
    }
    bool String(std::string_view& v) {
        std::uint32_t n = 0;
        return U32(n) && Bytes(n, v);
    }
    std::size_t Remaining() const { return rest_.size(); }
    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

}  // namespace standin
