#pragma once
// What a clone knows of a source database: its user tables as the stand-in can rebuild them,
// and every object or property it cannot reproduce, named so that nothing is dropped silently.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standin::clone {

struct SourceColumn {
    std::string name;
    std::string type;  // the stand-in's type name: char, varchar, text, int, numeric ...
    int length = 0;    // bytes, for char and varchar
    int precision = 0, scale = 0;  // numeric and decimal
    bool nullable = true;
    bool identity = false;
    std::int64_t seed = 1, increment = 1;
    std::string defaultName;  // the default constraint; empty when the column has none
    std::string defaultText;  // its expression as the source keeps it, e.g. ('') or (getdate())

    // The type as a declaration writes it: char(10), numeric(7,2), int.
    std::string TypeText() const;
};

struct SourceIndex {
    std::string name;
    bool primaryKey = false;        // backs a PRIMARY KEY constraint of that name
    bool uniqueConstraint = false;  // backs a UNIQUE constraint of that name
    bool unique = false;
    bool clustered = false;
    int fillFactor = 0;
    std::vector<std::string> columns;  // key columns in key order
};

struct SourceTable {
    std::string name;
    int id = 0;  // object id in the source; a table dropped and created anew gets another
    std::vector<SourceColumn> columns;
    std::vector<SourceIndex> indexes;
    // The last identity value handed out; empty when the table has no identity column or has
    // never handed one out.
    std::optional<std::int64_t> identityCurrent;
    std::int64_t rows = 0;
    // Why the table cannot be copied (a column type the stand-in lacks ...); empty when it can.
    std::vector<std::string> problems;

    const SourceColumn* IdentityColumn() const;
};

// An object or property of the source that the copy lacks.
struct Unreproduced {
    std::string kind;  // "view", "trigger", "foreign key", "table", "column", ...
    std::string name;
    std::string table;  // the table it belongs to; empty for objects of their own
    std::string why;
};

struct SourceCatalogue {
    std::vector<SourceTable> tables;  // in name order
    std::vector<Unreproduced> unreproduced;

    const SourceTable* FindTable(const std::string& name) const;
};

// Tables of the periodicals system all carry the lib_ prefix, plus its version ledger; the
// upgrade touches only such tables.
bool BelongsToTheUpgrade(const std::string& table);

// Whether a copy lacking `u` still rehearses the upgrade faithfully: it does unless a table of
// the upgrade is missing, or a trigger, foreign key or check that would act on one.
bool SpoilsRehearsal(const Unreproduced& u);

}  // namespace standin::clone
