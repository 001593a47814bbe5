#pragma once
// The built-in functions and aggregates: looked up by name once, when bound, with their argument
// counts and SQL Server's result types.

#include <string>

#include "bind/BoundExpr.h"

namespace standin {

// Binds a call whose arguments are bound already: sets function, type and nullability (195 for an
// unknown name, 174 / 189 for a wrong number of arguments). name: upper case.
void BindFunction(const std::string& name, BoundExpr& b);

// The same for COUNT, SUM, MIN, MAX and AVG (8117 for an operand they cannot take).
void BindAggregate(const std::string& name, BoundExpr& b);

}  // namespace standin
