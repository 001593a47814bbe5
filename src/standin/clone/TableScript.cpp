#include "clone/TableScript.h"

#include "clone/CatalogueReader.h"

namespace standin::clone {
namespace {

std::string ColumnList(const std::vector<std::string>& columns) {
    std::string out = "(";
    for (std::size_t i = 0; i < columns.size(); ++i) out += (i ? ", " : "") + Bracketed(columns[i]);
    return out + ")";
}

}  // namespace

std::string CreateTableStatement(const SourceTable& table) {
    std::string sql = "CREATE TABLE " + Bracketed(table.name) + " (\r\n";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const SourceColumn& c = table.columns[i];
        sql += "\t" + Bracketed(c.name) + " " + c.TypeText();
        if (c.identity)
            sql +=
                " IDENTITY (" + std::to_string(c.seed) + ", " + std::to_string(c.increment) + ")";
        sql += c.nullable ? " NULL" : " NOT NULL";
        if (!c.defaultName.empty())
            sql += " CONSTRAINT " + Bracketed(c.defaultName) + " DEFAULT " + c.defaultText;
        sql += i + 1 < table.columns.size() ? ",\r\n" : "\r\n";
    }
    return sql + ")";
}

std::vector<std::string> KeyAndIndexStatements(const SourceTable& table) {
    std::vector<std::string> out;
    for (const SourceIndex& ix : table.indexes) {
        const std::string kind = ix.clustered ? "CLUSTERED" : "NONCLUSTERED";
        const std::string fill =
            ix.fillFactor > 0 ? " WITH FILLFACTOR = " + std::to_string(ix.fillFactor) : "";
        if (ix.primaryKey || ix.uniqueConstraint)
            out.push_back("ALTER TABLE " + Bracketed(table.name) + " ADD CONSTRAINT " +
                          Bracketed(ix.name) + (ix.primaryKey ? " PRIMARY KEY " : " UNIQUE ") +
                          kind + " " + ColumnList(ix.columns) + fill);
        else
            out.push_back(std::string("CREATE ") + (ix.unique ? "UNIQUE " : "") + kind + " INDEX " +
                          Bracketed(ix.name) + " ON " + Bracketed(table.name) + " " +
                          ColumnList(ix.columns) + fill);
    }
    return out;
}

}  // namespace standin::clone
