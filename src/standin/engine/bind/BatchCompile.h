#pragma once
// What SQL Server checks when it compiles a batch, before any statement of it runs: a column name
// that a table existing at that moment does not have is error 207, and then nothing of the batch
// runs. Tables that do not exist yet are resolved when their statement runs (deferred name
// resolution), so a batch may create a table and use it.

#include <vector>

#include "catalog/Catalogue.h"
#include "sql/Ast.h"

namespace standin {

// Throws SqlError 207 (with the line of the statement) for the first such column.
void CheckBatchColumns(const std::vector<Statement>& statements, const Catalogue& catalogue);

}  // namespace standin
