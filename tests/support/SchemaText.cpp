#include "SchemaText.h"

#include <sstream>

#include "TField.h"
#include "TQuery.h"

namespace kavel::test {

std::ostream& operator<<(std::ostream& out, const ColumnInfo& c) {
    return out << "{" << c.name << " xtype " << c.xtype << " length " << c.length << " prec "
               << c.prec << " scale " << c.scale << (c.nullable ? " NULL" : " NOT NULL")
               << (c.hasDefault ? " default" : "") << "}";
}

TextRows QueryRows(TDatabase& database, const std::string& sql) {
    TQuery query(database);
    query.AddSql(sql);
    query.Open();
    TextRows rows;
    for (; !query.Eof(); query.Next()) {
        std::vector<std::string> row;
        for (const auto& name : query.ColumnNames()) {
            const TField field = query.FieldByName(name);
            std::string value = field.IsNull() ? "NULL" : field.AsString();
            value.erase(value.find_last_not_of(' ') + 1);
            row.push_back(value);
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<ColumnInfo> ColumnsOf(TDatabase& database, const std::string& table) {
    std::vector<ColumnInfo> columns;
    for (const auto& r : QueryRows(database,
                                   "select name, xtype, length, isnull(prec,0) as prec, "
                                   "isnull(scale,0) as scale, isnullable, cdefault from syscolumns "
                                   "where id in (select id from sysobjects where name = '" +
                                       table + "') order by colid"))
        columns.push_back({r[0], std::stoi(r[1]), std::stoi(r[2]), std::stoi(r[3]), std::stoi(r[4]),
                           r[5] == "1", r[6] != "0"});
    return columns;
}

std::string SchemaOf(TDatabase& database) {
    std::ostringstream out;
    for (const auto& t :
         QueryRows(database, "select name from sysobjects where xtype='U' order by name")) {
        const std::string ofTable = "(select id from sysobjects where name='" + t[0] + "')";
        out << "table " << t[0] << "\n";
        for (const auto& c : ColumnsOf(database, t[0])) out << "  " << c << "\n";
        for (const auto& k :
             QueryRows(database,
                       "select name from sysobjects where xtype='PK' and parent_obj in " + ofTable))
            out << "  primary key " << k[0] << "\n";
        for (const auto& ix : QueryRows(database,
                                        "select name, status, OrigFillFactor from sysindexes where "
                                        "id in " +
                                            ofTable +
                                            " and name is not null and name not like "
                                            "'[_]WA[_]Sys%' order by name"))
            out << "  index " << ix[0] << ((std::stoi(ix[1]) & 2) ? " unique" : "")
                << " fillfactor " << ix[2] << "\n";
    }
    return out.str();
}

}  // namespace kavel::test
