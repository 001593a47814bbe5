#pragma once
// The built-in scalar functions on evaluated arguments (GETDATE, which reads the statement's
// clock, is the evaluator's own).

#include <vector>

#include "bind/BoundExpr.h"

namespace standin {

// args: the values of e.args, in order.
Value CallScalarFunction(const BoundExpr& e, const std::vector<Value>& args);

}  // namespace standin
