#pragma once
// Exact decimal arithmetic with SQL Server's precision and scale rules (at most 38 digits).

#include <optional>
#include <string>
#include <string_view>

#include "types/Value.h"

namespace standin {

Int128 Pow10(int n);  // 0 <= n <= 38

// "12.50" -> numeric(4,2); leading zeros do not count towards the precision. Absent when the text
// is not a plain decimal number or has more than 38 digits.
std::optional<Decimal> ParseDecimalLiteral(std::string_view text);

// Digits with the scale's fraction: "12.50", "-0.05", "7".
std::string DecimalToString(const Decimal& d);
// Shortest form without trailing fractional zeros, for keys: 17 and 17.00 give "17".
std::string DecimalCanonical(const Decimal& d);

int DigitCount(Int128 v);  // digits of |v|, 1 for 0

// Value at another scale, rounded half away from zero; absent when it needs more than 38 digits.
std::optional<Int128> Rescale(const Decimal& d, int newScale);
// The value as numeric(precision, scale); absent when it does not fit (overflow).
std::optional<Decimal> FitDecimal(const Decimal& d, int precision, int scale);

int CompareDecimal(const Decimal& a, const Decimal& b);

// Arithmetic with SQL Server's result types; throw SqlError 8115 on overflow, 8134 on /0.
Decimal AddDecimal(const Decimal& a, const Decimal& b, bool subtract);
Decimal MultiplyDecimal(const Decimal& a, const Decimal& b);
Decimal DivideDecimal(const Decimal& a, const Decimal& b);
Decimal ModuloDecimal(const Decimal& a, const Decimal& b);

Decimal DecimalFromInt(std::int64_t v, int precision = 10);

}  // namespace standin
