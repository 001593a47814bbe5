#pragma once
// Conversions between values of the engine's types, and comparison of two values, with SQL
// Server's rules and errors (245, 241, 242, 8114, 8115, 8152, 257).

#include <string>

#include "types/Value.h"

namespace standin {

enum class ConvertMode {
    Store,     // into a column: text that does not fit fails with 8152 (trailing blanks may go)
    Explicit,  // CAST / CONVERT: text is cut to the length asked for
    Implicit,  // inside an expression (comparison, arithmetic)
};

// Converts a non-NULL or NULL value of type `from` to type `to`. Char results are padded.
Value ConvertValue(const Value& v, const SqlType& from, const SqlType& to, ConvertMode mode,
                   int style = 0);

// Text of a number or date as SQL Server converts it to varchar (CP936 bytes, ASCII).
std::string ValueAsText(const Value& v, int style = 0);

// The type that both operands of a comparison or of arithmetic convert to.
SqlType CommonType(const SqlType& a, const SqlType& b);

// Compares two non-NULL values under the collation, converting by type precedence.
int CompareValues(const Value& a, const SqlType& ta, const Value& b, const SqlType& tb);

// Orders values for ORDER BY and keys: NULL first, then CompareValues.
int CompareForSort(const Value& a, const SqlType& ta, const Value& b, const SqlType& tb);

// Type a literal text of this many bytes gets.
SqlType VarCharOf(std::size_t bytes);

}  // namespace standin
