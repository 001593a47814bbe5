#pragma once
// Where the names a statement writes lead: a table name to the table (a user table, or a system
// table materialized from the catalogue), a column name to its position in the rows a scope
// reads. Binding and the batch's compile-time check both resolve names here.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/Catalogue.h"

namespace standin {

// The table a FROM names. A system table is a snapshot owned by `system`.
struct SourceTable {
    std::shared_ptr<const Table> system;
    const Table* table = nullptr;  // null: no such table
};
SourceTable FindSource(const Catalogue& catalogue, std::string_view name);

// The columns that expressions of one clause may name.
struct BindScope {
    const std::vector<Column>* columns = nullptr;  // null: no FROM, column names are errors
    std::string tableName;                         // names a qualified column may use
    std::string tableAlias;
    bool allowAggregates = false;
    bool valuesList = false;  // a VALUES list or a default: column names get error 128
    bool isDefault = false;   // a stored default: no subqueries (1046)
};

// The scope of a statement that reads the rows of one table (UPDATE, DELETE).
BindScope RowsOf(const Table& table);

// Finds a user table for a statement that changes it: 208 when absent, and a refusal for the
// system tables (259).
Table& TableForWrite(Catalogue& catalogue, const std::string& name);

// Position of a column in the scope's rows: 128 in a VALUES list, 4104 for a qualifier that is
// neither the table nor its alias, 207 for a name the table lacks.
int ResolveColumn(const BindScope& scope, const std::string& qualifier, const std::string& name);

}  // namespace standin
