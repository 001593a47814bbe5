#pragma once
// The catalogue entries that CREATE TABLE, ALTER TABLE and CREATE INDEX make for keys, indexes
// and defaults, each after SQL Server's checks.

#include <memory>
#include <string>

#include "bind/BoundExpr.h"
#include "exec/StatementEnv.h"

namespace standin {

// What an index is made for. A key constraint (PRIMARY KEY / UNIQUE) is an object of its own:
// its name must be free among all objects, it gets an object id, and its failures are wrapped in
// "Could not create constraint". A plain index (CREATE INDEX) is named within its table only.
enum class IndexKind { KeyConstraint, PlainIndex };

// Adds a key constraint or a plain index to a table after checking it
// (2714, 1911, 8111, 8110, 1913, 1505). Defined with CREATE INDEX.
void AddIndex(StatementEnv& env, Table& table, IndexDef def, IndexKind kind);

// Adds a DEFAULT constraint to a column (2714 on a taken name, 1781, 1754); name empty:
// generated. expr is the bound form of exprText. Defined with ALTER TABLE.
void AddDefaultConstraint(StatementEnv& env, Table& table, Column& column, const std::string& name,
                          const std::string& exprText, std::shared_ptr<const BoundExpr> expr);

}  // namespace standin
