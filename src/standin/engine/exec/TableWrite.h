#pragma once
// Shared moves of the statements that write rows: defaults, identity values, key checks, and the
// search for the rows a WHERE clause selects (through an index when the clause allows it).

#include <string>
#include <vector>

#include "catalog/Schema.h"
#include "exec/Eval.h"
#include "exec/StatementEnv.h"
#include "sql/Ast.h"

namespace standin {

// The value a column takes when a row gives none: its default (converted to the column's type)
// or NULL. Identity columns are handled by NextIdentity.
Value DefaultValue(StatementEnv& env, const Table& table, const Column& column);

// Hands out the table's next identity value; throws 8115 when it leaves the column's type.
std::int64_t NextIdentity(Table& table, const Column& column);

// Converts a value for storing into the column (8152, 8115, 245 ...).
Value StoreValue(const Value& v, const SqlType& from, const Column& column);

// Throws 515 when a NOT NULL column of the row holds NULL; verb is INSERT or UPDATE.
void CheckNotNull(const Table& table, const Row& row, const char* verb);
// The same for an UPDATE's new values of the given columns (the others keep their values).
void CheckNotNull(const Table& table, const std::vector<int>& columns,
                  const std::vector<Value>& values, const char* verb);

// Throws 2627 / 2601 when one of the given rows duplicates another row's unique key.
void CheckUniqueKeys(const Table& table, const std::vector<RowId>& rows);
// The same after an UPDATE of the given columns: only keys over one of them can have changed.
void CheckUniqueKeys(const Table& table, const std::vector<RowId>& rows,
                     const std::vector<int>& changedColumns);

// No column, aggregate or subquery in the expression: it has one value for every row.
bool IsConstant(const BoundExpr& e);

// Values of a key as SQL Server shows them in duplicate-key messages: "14, 25881".
std::string KeyValueText(const Table& table, const IndexDef& ix, const Row& row);

// Ids of the live rows for which `where` is TRUE (all rows when there is none), in scan order.
std::vector<RowId> FindRows(StatementEnv& env, Evaluator& ev, const Table& table,
                            const BoundExpr* where);

// The catalogue column a column definition makes; nullability not stated follows the session.
Column ColumnFromDef(const ColumnDef& d, bool ansiNullDefaultOn);
// The index that backs a PRIMARY KEY / UNIQUE constraint.
IndexDef KeyIndex(const std::string& name, bool primary, bool clustered,
                  std::vector<std::string> columns, int fillFactor = 0);
// Types an identity column may have: the integers but bit, and numeric/decimal of scale 0.
bool IsIdentityType(const SqlType& t);

}  // namespace standin
