#pragma once
// + - * / % on values of a bound arithmetic node: text concatenation, datetime plus or minus days,
// exact decimal arithmetic to the node's type, and int arithmetic with overflow checks.

#include "bind/BoundExpr.h"

namespace standin {

// a and b are the non-NULL values of e.args[0] and e.args[1].
Value Arithmetic(const BoundExpr& e, const Value& a, const Value& b);

}  // namespace standin
