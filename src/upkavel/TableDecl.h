#pragma once
// A table of the upgrade declared once, as data, in the shape of its column table: name, type,
// NULL/IDENTITY clause and default. From it come the CREATE statement and the three-line primary
// key statement, byte for byte as the upgrade sends them:
//
//   create table lib_notepad (
//   \t\tnp_no \tint NOT NULL IDENTITY (1, 1),
//   \t\tnp_date \tdatetime default(getdate()),
//   ...
//   )
//
//   ALTER TABLE lib_notepad ADD CONSTRAINT
//   PK_lib_notepad PRIMARY KEY NONCLUSTERED
//   (np_no)
//
// A column with neither clause says nothing about NULL, so the server's default nullability
// applies to it.

#include <string>
#include <string_view>
#include <vector>

#include "SqlLines.h"

namespace kavel {

struct ColumnDecl {
    std::string name;
    std::string type;         // "char(40)", "numeric(15,2)", "datetime" ...
    std::string nullability;  // "", "NOT NULL" or "NOT NULL IDENTITY (1, 1)"
    std::string defaultExpr;  // what stands inside DEFAULT( ); empty: no default

    // Builders, so that a declaration says what each part is:
    //   Column("np_no", "int").Identity(), Column("np_date", "datetime").Default("getdate()")
    ColumnDecl NotNull() const { return With(&ColumnDecl::nullability, "NOT NULL"); }
    ColumnDecl Identity() const {
        return With(&ColumnDecl::nullability, "NOT NULL IDENTITY (1, 1)");
    }
    ColumnDecl Default(std::string expr) const {
        return With(&ColumnDecl::defaultExpr, std::move(expr));
    }

private:
    ColumnDecl With(std::string ColumnDecl::*part, std::string value) const {
        ColumnDecl column = *this;
        column.*part = std::move(value);
        return column;
    }
};

// A column whose nullability is not stated (the server's default applies) and with no default.
inline ColumnDecl Column(std::string name, std::string type) {
    ColumnDecl column;
    column.name = std::move(name);
    column.type = std::move(type);
    return column;
}

struct TableDecl {
    std::string name;
    std::vector<ColumnDecl> columns;
    std::string keyColumn;  // the primary key PK_<name>, NONCLUSTERED; empty: no key
};

// "\t\t" name " \t" type [" " nullability] [" default(" expr ")"]
std::string ColumnLine(const ColumnDecl& column);

// The opening line "create table <name> ( ", one line per column (each but the last ending in a
// comma) and the closing line ") ".
SqlLines CreateTableLines(const TableDecl& table);

// "ALTER TABLE <name> ADD CONSTRAINT ", "PK_<name> PRIMARY KEY NONCLUSTERED", "(<key>)".
// Only for a table that has a key column.
SqlLines PrimaryKeyLines(const TableDecl& table);

}  // namespace kavel
