#pragma once
// Values and column types as the stand-in engine stores them and as the TDS layer sends them.
// Text values are code page 936 (GBK) bytes, exactly as stored: a char(n) value carries its
// trailing blanks.

#include <cstdint>
#include <cstring>
#include <string>
#include <variant>

namespace standin {

__extension__ typedef __int128
    Int128;  // 38 decimal digits fit; __extension__ keeps -Wpedantic quiet

enum class TypeId { Char, VarChar, Text, Int, SmallInt, TinyInt, Bit, Numeric, Decimal, DateTime };

struct SqlType {
    TypeId id = TypeId::Int;
    int length = 0;     // bytes, for Char and VarChar
    int precision = 0;  // Numeric and Decimal: 1..38
    int scale = 0;      // Numeric and Decimal: 0..precision
};

// A 128-bit integer kept as two 8-byte words: 8-byte aligned like the other alternatives of
// Value, so that a Value takes 40 bytes rather than 48 (a large table holds millions of them).
// It reads and assigns as an Int128 by value; no Int128 reference to the words exists, since code
// given one may load it with instructions that need 16-byte alignment.
class StoredInt128 {
public:
    StoredInt128(Int128 v = 0) { *this = v; }  // NOLINT: implicit, it stands for an Int128
    operator Int128() const {                  // NOLINT
        Int128 v;
        std::memcpy(&v, words_, sizeof v);
        return v;
    }
    StoredInt128& operator=(Int128 v) {
        std::memcpy(words_, &v, sizeof v);
        return *this;
    }
    StoredInt128& operator/=(Int128 divisor) { return *this = Int128(*this) / divisor; }

private:
    std::uint64_t words_[2];
};

// Exact decimal: value = unscaled / 10^scale. precision and scale are those of the value's type.
struct Decimal {
    StoredInt128 unscaled = 0;
    int precision = 18;
    int scale = 0;
};

// SQL Server datetime: days since 1900-01-01 (negative before it) and 1/300 s since midnight.
struct DateTime {
    std::int32_t days = 0;
    std::uint32_t ticks = 0;  // 0 .. 25919999
};

// NULL is std::monostate. Integers of every width (int, smallint, tinyint, bit) are int64.
using Value = std::variant<std::monostate, std::int64_t, Decimal, DateTime, std::string>;
static_assert(sizeof(Value) <= 40, "a stored value must stay small: tables hold millions");

inline bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

}  // namespace standin
