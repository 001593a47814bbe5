#pragma once
// A stored default bound on its own: it reads no columns and no tables (1046 for a subquery), so
// it stays valid whatever happens to other tables. Bound from its parsed form when a statement
// makes it, or from its text as the catalogue keeps it when a database is loaded.

#include <memory>
#include <string>

#include "bind/BoundExpr.h"

namespace standin {

struct Expr;

std::shared_ptr<const BoundExpr> BindDefault(const Expr& e);
// Parses first; SqlError on bad text.
std::shared_ptr<const BoundExpr> BindDefaultText(const std::string& text);

}  // namespace standin
