#pragma once
// The operators as bound: their names in SQL Server's messages, and the exact-numeric arithmetic
// that both typing (with zero operands) and evaluation use.

#include <string>

#include "bind/BoundExpr.h"
#include "types/DecimalMath.h"

namespace standin {

std::string OperatorName(ArithOp op);    // "add", "divide", ...
std::string OperatorName(CompareOp op);  // "equal to", "less than", ...

// x op y with SQL Server's result precision and scale.
Decimal ApplyDecimal(ArithOp op, const Decimal& x, const Decimal& y);

// The decimal type an operand takes part as in exact arithmetic.
SqlType DecimalTypeOf(const SqlType& t);

}  // namespace standin
