#include "ResultEncoding.h"

#include <algorithm>
#include <string>

#include "DataType.h"
#include "ServerIdentity.h"
#include "Tokens.h"

namespace standin::tds {

namespace {

constexpr std::uint16_t kFlagNullable = 0x0001;
constexpr std::size_t kMaxShortText = 8000;  // longest char/varchar; longer goes as TEXT
constexpr std::uint16_t kNullShortText = 0xFFFF;

__extension__ typedef unsigned __int128 UInt128;  // __extension__ keeps -Wpedantic quiet

// How one column travels: its wire type and the length its metadata declares.
struct ColumnCoding {
    TypeId id;
    DataType wireType;
    std::size_t length;  // bytes: max text length, integer width, numeric value size
    int precision;
    int scale;
};

std::string Describe(const ResultColumn& column, std::size_t index) {
    return "column " + std::to_string(index + 1) +
           (column.name.empty() ? "" : " (" + column.name + ")");
}

int NumericBytes(int precision) {
    if (precision <= 9) return 4;
    if (precision <= 19) return 8;
    if (precision <= 28) return 12;
    return 16;
}

const std::string& TextOf(const Value& v, const std::string& where) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    throw EncodingError(where + ": expected a text value");
}

ColumnCoding Plan(const ResultSet& rs, std::size_t index) {
    const ResultColumn& column = rs.columns[index];
    const SqlType& t = column.type;
    const std::string where = Describe(column, index);
    switch (t.id) {
        case TypeId::Char:
        case TypeId::VarChar: {
            // The declared width, widened if a value is longer (never cut: clients must get the
            // bytes the engine holds).
            std::size_t length = static_cast<std::size_t>(std::max(t.length, 1));
            for (const auto& row : rs.rows)
                if (!IsNull(row[index]))
                    length = std::max(length, TextOf(row[index], where).size());
            if (length > kMaxShortText) return {TypeId::Text, DataType::Text, 0x7FFFFFFF, 0, 0};
            return {t.id, t.id == TypeId::Char ? DataType::BigChar : DataType::BigVarChar, length,
                    0, 0};
        }
        case TypeId::Text:
            return {t.id, DataType::Text, 0x7FFFFFFF, 0, 0};
        case TypeId::Int:
            return {t.id, DataType::IntN, 4, 0, 0};
        case TypeId::SmallInt:
            return {t.id, DataType::IntN, 2, 0, 0};
        case TypeId::TinyInt:
            return {t.id, DataType::IntN, 1, 0, 0};
        case TypeId::Bit:
            return {t.id, DataType::BitN, 1, 0, 0};
        case TypeId::Numeric:
        case TypeId::Decimal:
            if (t.precision < 1 || t.precision > 38 || t.scale < 0 || t.scale > t.precision)
                throw EncodingError(where + ": precision " + std::to_string(t.precision) +
                                    " and scale " + std::to_string(t.scale) + " are out of range");
            return {t.id, t.id == TypeId::Numeric ? DataType::NumericN : DataType::DecimalN,
                    static_cast<std::size_t>(1 + NumericBytes(t.precision)), t.precision, t.scale};
        case TypeId::DateTime:
            return {t.id, DataType::DateTimeN, 8, 0, 0};
    }
    throw EncodingError(where + ": unknown column type");
}

void WriteTypeInfo(WireWriter& out, const ColumnCoding& c) {
    out.U8(Byte(c.wireType));
    switch (c.wireType) {
        case DataType::BigChar:
        case DataType::BigVarChar:
            out.U16LE(static_cast<std::uint16_t>(c.length));
            out.Append(std::span<const std::uint8_t>(kCollation));
            break;
        case DataType::Text:
            out.U32LE(static_cast<std::uint32_t>(c.length));
            out.Append(std::span<const std::uint8_t>(kCollation));
            out.U8(0);  // table name: no parts
            break;
        case DataType::NumericN:
        case DataType::DecimalN:
            out.U8(static_cast<std::uint8_t>(c.length));
            out.U8(static_cast<std::uint8_t>(c.precision));
            out.U8(static_cast<std::uint8_t>(c.scale));
            break;
        default:
            out.U8(static_cast<std::uint8_t>(c.length));
            break;
    }
}

UInt128 Pow10(int n) {
    UInt128 v = 1;
    for (int i = 0; i < n; ++i) v *= 10;
    return v;
}

// The value's digits at the column's scale; exact or an EncodingError.
Int128 Rescale(const Value& v, const ColumnCoding& c, const std::string& where) {
    Int128 unscaled = 0;
    int scale = 0;
    if (const auto* d = std::get_if<Decimal>(&v)) {
        unscaled = d->unscaled;
        scale = d->scale;
    } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
        unscaled = *i;
    } else {
        throw EncodingError(where + ": expected a number");
    }
    if (scale < 0 || scale > 38)
        throw EncodingError(where + ": value has scale " + std::to_string(scale));
    const bool negative = unscaled < 0;
    UInt128 magnitude =
        negative ? UInt128(0) - static_cast<UInt128>(unscaled) : static_cast<UInt128>(unscaled);
    if (scale < c.scale) {
        const UInt128 f = Pow10(c.scale - scale);
        if (magnitude > (~UInt128(0)) / f)
            throw EncodingError(where + ": value too large for its column");
        magnitude *= f;
    } else if (scale > c.scale) {
        const UInt128 f = Pow10(scale - c.scale);
        if (magnitude % f != 0)
            throw EncodingError(where + ": value has more decimals than its column");
        magnitude /= f;
    }
    if (magnitude >= Pow10(c.precision))
        throw EncodingError(where + ": value has more digits than precision " +
                            std::to_string(c.precision));
    const Int128 m = static_cast<Int128>(magnitude);
    return negative ? -m : m;
}

void WriteInteger(WireWriter& out, std::int64_t v, std::size_t width, const std::string& where) {
    const std::int64_t lo = width == 1 ? 0 : width == 2 ? -32768 : INT32_MIN;
    const std::int64_t hi = width == 1 ? 255 : width == 2 ? 32767 : INT32_MAX;
    if (v < lo || v > hi)
        throw EncodingError(where + ": " + std::to_string(v) + " does not fit the column");
    out.U8(static_cast<std::uint8_t>(width));
    for (std::size_t i = 0; i < width; ++i)
        out.U8(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
}

// The writers below take a value that is not NULL; WriteValue writes the NULLs.

void WriteText(WireWriter& out, const Value& v, const std::string& where) {
    const std::string& s = TextOf(v, where);
    if (s.size() > 0x7FFFFFFF) throw EncodingError(where + ": text value too long");
    out.U8(16);
    out.Append(std::string(16, '\0'));  // text pointer: clients only test its presence
    out.Append(std::string(8, '\0'));   // timestamp
    out.U32LE(static_cast<std::uint32_t>(s.size()));
    out.Append(s);
}

void WriteIntegerOrBit(WireWriter& out, const Value& v, const ColumnCoding& c,
                       const std::string& where) {
    const auto* i = std::get_if<std::int64_t>(&v);
    if (!i) throw EncodingError(where + ": expected an integer");
    if (c.wireType != DataType::BitN) return WriteInteger(out, *i, c.length, where);
    if (*i != 0 && *i != 1) throw EncodingError(where + ": bit value " + std::to_string(*i));
    out.U8(1);
    out.U8(static_cast<std::uint8_t>(*i));
}

// Length, sign byte (1 for positive), then the magnitude in length - 1 bytes, low byte first.
void WriteDecimal(WireWriter& out, const Value& v, const ColumnCoding& c,
                  const std::string& where) {
    const Int128 digits = Rescale(v, c, where);
    out.U8(static_cast<std::uint8_t>(c.length));
    out.U8(digits < 0 ? 0 : 1);
    UInt128 m =
        digits < 0 ? UInt128(0) - static_cast<UInt128>(digits) : static_cast<UInt128>(digits);
    for (std::size_t i = 0; i + 1 < c.length; ++i) {
        out.U8(static_cast<std::uint8_t>(m & 0xFF));
        m >>= 8;
    }
}

void WriteDateTime(WireWriter& out, const Value& v, const std::string& where) {
    const auto* d = std::get_if<DateTime>(&v);
    if (!d) throw EncodingError(where + ": expected a datetime");
    if (d->ticks >= 25920000u) throw EncodingError(where + ": datetime time of day out of range");
    out.U8(8);
    out.U32LE(static_cast<std::uint32_t>(d->days));
    out.U32LE(d->ticks);
}

void WriteValue(WireWriter& out, const Value& v, const ColumnCoding& c, const std::string& where) {
    const bool null = IsNull(v);
    switch (c.wireType) {
        case DataType::BigChar:
        case DataType::BigVarChar:
            if (null) {
                out.U16LE(kNullShortText);
            } else {
                const std::string& s = TextOf(v, where);
                out.U16LE(static_cast<std::uint16_t>(s.size()));
                out.Append(s);
            }
            return;
        case DataType::Text:
            return null ? out.U8(0) : WriteText(out, v, where);
        case DataType::IntN:
        case DataType::BitN:
            return null ? out.U8(0) : WriteIntegerOrBit(out, v, c, where);
        case DataType::NumericN:
        case DataType::DecimalN:
            return null ? out.U8(0) : WriteDecimal(out, v, c, where);
        case DataType::DateTimeN:
            return null ? out.U8(0) : WriteDateTime(out, v, where);
        default:  // Plan never chooses the types that only clients send
            break;
    }
    throw EncodingError(where + ": no encoding for wire type " + std::to_string(Byte(c.wireType)));
}

}  // namespace

void WriteResultSet(WireWriter& out, const ResultSet& rs) {
    const std::size_t count = rs.columns.size();
    if (count == 0 || count > 4096)
        throw EncodingError("result set has " + std::to_string(count) + " columns");
    std::vector<ColumnCoding> codings;
    std::vector<std::string> wheres;
    codings.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        codings.push_back(Plan(rs, i));
        wheres.push_back(Describe(rs.columns[i], i));
    }
    for (std::size_t r = 0; r < rs.rows.size(); ++r)
        if (rs.rows[r].size() != count)
            throw EncodingError("row " + std::to_string(r + 1) + " has " +
                                std::to_string(rs.rows[r].size()) + " values for " +
                                std::to_string(count) + " columns");

    out.U8(static_cast<std::uint8_t>(TokenType::ColMetadata));
    out.U16LE(static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        out.U32LE(0);  // user type
        out.U16LE(rs.columns[i].nullable ? kFlagNullable : 0);
        WriteTypeInfo(out, codings[i]);
        out.BVarChar(rs.columns[i].name);
    }
    for (const auto& row : rs.rows) {
        out.U8(static_cast<std::uint8_t>(TokenType::Row));
        for (std::size_t i = 0; i < count; ++i) WriteValue(out, row[i], codings[i], wheres[i]);
    }
}

}  // namespace standin::tds
