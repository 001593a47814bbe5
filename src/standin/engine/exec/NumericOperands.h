#pragma once
// Operands of arithmetic as the evaluator reads them: as int (with int's range checked) or as
// decimal, converting text the way SQL Server converts it implicitly. Defined with the arithmetic
// (Arithmetic.cpp).

#include <cstdint>

#include "types/DecimalMath.h"
#include "types/Value.h"

namespace standin {

Decimal ToDecimal(const Value& v, const SqlType& t);
std::int64_t ToInt(const Value& v, const SqlType& t);
// v when it fits int; 8115 otherwise.
std::int64_t CheckedInt(std::int64_t v);

}  // namespace standin
