#pragma once
// What the catalogue knows about a user table: columns, default constraints, keys and indexes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/RowStore.h"
#include "types/Value.h"

namespace standin {

struct BoundExpr;

struct Column {
    std::string name;
    SqlType type;
    bool nullable = true;
    bool identity = false;
    std::int64_t seed = 1, increment = 1;
    int colid = 0;      // never reused within the table
    int defaultId = 0;  // object id of its DEFAULT constraint, 0 when none
};

// Position of the named column (names compare as the collation compares them); -1 when absent.
// Every look-up of a column by name goes through here.
int ColumnPosition(const std::vector<Column>& columns, std::string_view name);

struct DefaultConstraint {
    int id = 0;
    std::string name;
    std::string column;
    std::string exprText;                   // as written, to be parsed again after a reload
    std::shared_ptr<const BoundExpr> expr;  // bound form (defaults read no columns)
    DateTime created;
};

// A PRIMARY KEY / UNIQUE constraint (an object in sysobjects) or a plain index (sysindexes only).
struct IndexDef {
    std::string name;
    bool unique = false;
    bool clustered = false;
    std::vector<std::string> columns;
    int indid = 2;
    int constraintId = 0;  // object id when the index backs a constraint
    bool primaryKey = false;
    int fillFactor = 0;
    DateTime created;
};

struct Table {
    int id = 0;
    std::string name;
    DateTime created;
    std::vector<Column> columns;
    std::vector<DefaultConstraint> defaults;
    std::vector<IndexDef> indexes;
    int nextColid = 1;
    bool identityUsed = false;      // whether an identity value has been handed out
    std::int64_t identityLast = 0;  // the last one handed out
    RowStore store;

    int FindColumn(std::string_view name) const;  // -1 when absent
    int FindIndex(std::string_view name) const;   // -1 when absent
    const DefaultConstraint* DefaultOf(const Column& c) const;
    std::vector<int> ColumnPositions(const IndexDef& ix) const;
    // Rebuilds the hash indexes of the store from the index definitions.
    void RebuildStoreIndexes();
};

}  // namespace standin
