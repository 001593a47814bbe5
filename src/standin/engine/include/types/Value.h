#pragma once
// Values and column types as the stand-in engine stores them and as the TDS layer sends them.
// Text values are code page 936 (GBK) bytes, exactly as stored: a char(n) value carries its
// trailing blanks.

#include <cstdint>
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

// Exact decimal: value = unscaled / 10^scale. precision and scale are those of the value's type.
struct Decimal {
    Int128 unscaled = 0;
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

inline bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

}  // namespace standin
