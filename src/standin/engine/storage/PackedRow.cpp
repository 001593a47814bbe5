#include "storage/PackedRow.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>

namespace standin {
namespace {

// Tag bytes. A decimal's precision and scale follow its digits; text padded with blanks stores
// its length without them, then the number of blanks, then the bytes before them.
enum Tag : unsigned char {
    kNull = 0,
    kInteger = 1,     // zigzag varint
    kDecimal64 = 2,   // unscaled value that fits 64 bits, zigzag varint; precision; scale
    kDecimal128 = 3,  // unscaled value, 16 bytes little-endian; precision; scale
    kDateTime = 4,    // days, zigzag varint; ticks, varint
    kText = 5,        // length, varint; bytes
    kPaddedText = 6,  // length before the blanks, varint; blanks, varint; bytes before them
};

// Below this many trailing blanks plain text is as short.
constexpr std::size_t kMinBlankRun = 3;

void PutVarint(std::string& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

void PutFixed64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

std::uint64_t ZigZag(std::int64_t v) {
    return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}

std::int64_t UnZigZag(std::uint64_t v) {
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

void EncodeValue(const Value& v, std::string& out) {
    switch (v.index()) {
        case 0:
            out.push_back(static_cast<char>(kNull));
            return;
        case 1:
            out.push_back(static_cast<char>(kInteger));
            PutVarint(out, ZigZag(std::get<std::int64_t>(v)));
            return;
        case 2: {
            const Decimal& d = std::get<Decimal>(v);
            const Int128 unscaled = d.unscaled;
            if (unscaled >= std::numeric_limits<std::int64_t>::min() &&
                unscaled <= std::numeric_limits<std::int64_t>::max()) {
                out.push_back(static_cast<char>(kDecimal64));
                PutVarint(out, ZigZag(static_cast<std::int64_t>(unscaled)));
            } else {
                out.push_back(static_cast<char>(kDecimal128));
                PutFixed64(out, static_cast<std::uint64_t>(unscaled & Int128(~std::uint64_t{0})));
                PutFixed64(out,
                           static_cast<std::uint64_t>(static_cast<std::int64_t>(unscaled >> 64)));
            }
            out.push_back(static_cast<char>(d.precision));
            out.push_back(static_cast<char>(d.scale));
            return;
        }
        case 3: {
            const DateTime& dt = std::get<DateTime>(v);
            out.push_back(static_cast<char>(kDateTime));
            PutVarint(out, ZigZag(dt.days));
            PutVarint(out, dt.ticks);
            return;
        }
        default: {
            const std::string& s = std::get<std::string>(v);
            std::size_t kept = s.size();
            while (kept > 0 && s[kept - 1] == ' ') --kept;
            if (s.size() - kept >= kMinBlankRun) {
                out.push_back(static_cast<char>(kPaddedText));
                PutVarint(out, kept);
                PutVarint(out, s.size() - kept);
            } else {
                out.push_back(static_cast<char>(kText));
                PutVarint(out, kept = s.size());
            }
            out.append(s.data(), kept);
            return;
        }
    }
}

class RowReader {
public:
    explicit RowReader(std::string_view bytes) : p_(bytes.data()), end_(p_ + bytes.size()) {}

    bool AtEnd() const { return p_ == end_; }
    const char* Position() const { return p_; }

    // The next value, into `into`; text reuses the string `into` holds.
    void Next(Value& into) {
        switch (Byte()) {
            case kNull:
                into = std::monostate{};
                return;
            case kInteger:
                into = UnZigZag(Varint());
                return;
            case kDecimal64: {
                Decimal d;
                d.unscaled = Int128(UnZigZag(Varint()));
                d.precision = Byte();
                d.scale = Byte();
                into = d;
                return;
            }
            case kDecimal128: {
                const std::uint64_t low = Fixed64();
                const auto high = static_cast<std::int64_t>(Fixed64());
                Decimal d;
                d.unscaled = Int128(high) * (Int128(1) << 64) + Int128(low);
                d.precision = Byte();
                d.scale = Byte();
                into = d;
                return;
            }
            case kDateTime: {
                DateTime dt;
                dt.days = static_cast<std::int32_t>(UnZigZag(Varint()));
                dt.ticks = static_cast<std::uint32_t>(Varint());
                into = dt;
                return;
            }
            case kText:
            case kPaddedText: {
                const bool padded = p_[-1] == static_cast<char>(kPaddedText);
                const std::size_t kept = Varint();
                const std::size_t blanks = padded ? Varint() : 0;
                std::string* s = std::get_if<std::string>(&into);
                if (!s) s = &into.emplace<std::string>();
                s->reserve(kept + blanks);
                s->assign(p_, kept);
                s->append(blanks, ' ');
                p_ += kept;
                return;
            }
            default:
                assert(false && "a stored row holds only what EncodeRow wrote");
        }
    }

    // Passes over the next value.
    void Skip() {
        switch (Byte()) {
            case kNull:
                return;
            case kInteger:
                Varint();
                return;
            case kDecimal64:
                Varint();
                p_ += 2;
                return;
            case kDecimal128:
                p_ += 18;
                return;
            case kDateTime:
                Varint();
                Varint();
                return;
            case kText:
                p_ += Varint();
                return;
            case kPaddedText: {
                const std::size_t kept = Varint();
                Varint();
                p_ += kept;
                return;
            }
            default:
                assert(false && "a stored row holds only what EncodeRow wrote");
        }
    }

private:
    unsigned char Byte() {
        assert(p_ < end_);
        return static_cast<unsigned char>(*p_++);
    }
    std::uint64_t Fixed64() {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(Byte()) << (8 * i);
        return v;
    }
    std::uint64_t Varint() {
        std::uint64_t v = 0;
        for (int shift = 0;; shift += 7) {
            const unsigned char b = Byte();
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if (b < 0x80) return v;
        }
    }

    const char* p_;
    const char* end_;
};

}  // namespace

void EncodeRow(const Row& row, std::string& out) {
    for (const Value& v : row) EncodeValue(v, out);
}

void DecodeRow(std::string_view bytes, Row& row) {
    RowReader in(bytes);
    std::size_t n = 0;
    while (!in.AtEnd()) {
        if (n == row.size()) row.emplace_back();
        in.Next(row[n++]);
    }
    row.resize(n);
}

Value DecodeCell(std::string_view bytes, std::size_t column) {
    RowReader in(bytes);
    for (std::size_t k = 0; k < column; ++k) in.Skip();
    Value v;
    in.Next(v);
    return v;
}

void DecodeColumns(std::string_view bytes, const std::vector<char>& wanted, Row& row) {
    row.resize(wanted.size());
    std::size_t last = wanted.size();
    while (last > 0 && !wanted[last - 1]) --last;
    RowReader in(bytes);
    for (std::size_t column = 0; column < row.size(); ++column) {
        if (column < last && wanted[column]) {
            in.Next(row[column]);
            continue;
        }
        // An unread column reads as NULL, never as a value an earlier row left in `row`.
        if (row[column].index() != 0) row[column] = std::monostate{};
        if (column < last) in.Skip();
    }
}

void ReplaceCells(std::string_view bytes, const std::vector<int>& columns,
                  std::vector<Value>& values, std::string& out) {
    assert(columns.size() == values.size());
    out.reserve(out.size() + bytes.size() + 16);
    RowReader in(bytes);
    // The replaced cells in the order of their columns (few: picked by a scan each); the bytes
    // between them are copied as runs.
    const char* run = bytes.data();
    int column = 0;
    for (std::size_t done = 0; done < columns.size(); ++done) {
        std::size_t k = columns.size();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] >= column && (k == columns.size() || columns[i] < columns[k])) k = i;
        for (; column < columns[k]; ++column) in.Skip();
        out.append(run, static_cast<std::size_t>(in.Position() - run));
        EncodeValue(values[k], out);
        in.Next(values[k]);
        ++column;
        run = in.Position();
    }
    out.append(run, static_cast<std::size_t>(bytes.data() + bytes.size() - run));
}

void DropCell(std::string_view bytes, std::size_t column, std::string& out) {
    RowReader in(bytes);
    for (std::size_t k = 0; k < column; ++k) in.Skip();
    const std::size_t before = static_cast<std::size_t>(in.Position() - bytes.data());
    in.Skip();
    const std::size_t after = static_cast<std::size_t>(in.Position() - bytes.data());
    out.append(bytes.substr(0, before));
    out.append(bytes.substr(after));
}

void PackedRow::Assign(std::string_view bytes) {
    if (bytes.size() != size_) {
        bytes_ = bytes.empty() ? nullptr : std::make_unique_for_overwrite<char[]>(bytes.size());
        size_ = static_cast<std::uint32_t>(bytes.size());
    }
    if (!bytes.empty()) std::memcpy(bytes_.get(), bytes.data(), bytes.size());
}

}  // namespace standin
