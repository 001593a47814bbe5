#pragma once
// Bound plans of the statements that read or write rows: the table resolved, target columns as
// positions, and every expression bound. A plan is made just before its statement runs (a batch
// may create the table that a later statement of it uses) and is only read while it runs.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "bind/BoundExpr.h"
#include "catalog/Schema.h"
#include "sql/Ast.h"

namespace standin {

struct BoundSelect {
    struct Item {
        BoundExprPtr expr;
        std::string name;  // the result column's name: alias, column name, or empty
    };
    struct SortKey {
        int item = -1;      // a select-list item, or -1 for `expr`
        BoundExprPtr expr;  // an expression over the source
        bool descending = false;
        const SqlType& Type(const BoundSelect& s) const {
            return item >= 0 ? s.items[static_cast<std::size_t>(item)].expr->type : expr->type;
        }
    };
    std::shared_ptr<const Table> systemTable;  // a system table, materialized when bound
    const Table* table = nullptr;              // the source; null without FROM
    std::vector<Item> items;
    BoundExprPtr where;
    std::vector<BoundExprPtr> groupBy;
    BoundExprPtr having;
    bool aggregated = false;  // GROUP BY, HAVING or an aggregate in the select list
    bool distinct = false;
    std::vector<SortKey> sorts;
    std::optional<std::int64_t> top;
};

struct BoundInsert {
    Table* table = nullptr;
    std::vector<int> targets;  // column positions, in the order values are given
    bool defaultValues = false;
    // VALUES rows; a null expression is DEFAULT.
    std::vector<std::vector<BoundExprPtr>> rows;
    std::shared_ptr<const BoundSelect> select;  // INSERT ... SELECT
};

struct BoundUpdate {
    Table* table = nullptr;
    std::vector<int> targets;          // column positions
    std::vector<BoundExprPtr> values;  // one per target
    BoundExprPtr where;
};

struct BoundDelete {
    Table* table = nullptr;
    BoundExprPtr where;
};

// One statement ready to run. Statements that change the schema bind nothing ahead (their checks
// run in order with their changes) and are run from their parsed form.
using BoundStatement =
    std::variant<const CreateTableStmt*, const AlterTableStmt*, const CreateIndexStmt*,
                 const DropTableStmt*, BoundInsert, BoundUpdate, BoundDelete,
                 std::shared_ptr<const BoundSelect>, const SetStmt*>;

}  // namespace standin
