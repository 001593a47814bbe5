#include "TableDecl.h"

#include <stdexcept>

namespace kavel {

std::string ColumnLine(const ColumnDecl& column) {
    std::string line = "\t\t" + column.name + " \t" + column.type;
    if (!column.nullability.empty()) line += " " + column.nullability;
    if (!column.defaultExpr.empty()) line += " default(" + column.defaultExpr + ")";
    return line;
}

SqlLines CreateTableLines(const TableDecl& table) {
    SqlLines lines{"create table " + table.name + " ( "};
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        lines.push_back(ColumnLine(table.columns[i]) + (i + 1 < table.columns.size() ? "," : ""));
    }
    lines.push_back(") ");
    return lines;
}

SqlLines PrimaryKeyLines(const TableDecl& table) {
    if (table.keyColumn.empty()) {
        throw std::logic_error("table " + table.name + " is declared without a primary key");
    }
    return {"ALTER TABLE " + table.name + " ADD CONSTRAINT ",
            "PK_" + table.name + " PRIMARY KEY NONCLUSTERED", "(" + table.keyColumn + ")"};
}

}  // namespace kavel
