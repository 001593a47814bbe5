// schema_dump DSN PASSWORD: prints every user table of the database behind the data source with
// its columns, keys and indexes, in the form of tests/upkavel/expected/*.schema (the Linux
// suite's Schema()), read as sa through the program's own ODBC layer. The whole-upgrade test
// runs it under Wine on the database that UpKavelCmd.exe upgraded.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "TDatabase.h"
#include "TField.h"
#include "TQuery.h"

namespace {

using namespace kavel;
using Rows = std::vector<std::vector<std::string>>;

// Every column of every row, NULL as "NULL", trailing blanks trimmed.
Rows Query(TDatabase& db, const std::string& sql) {
    TQuery query(db);
    query.AddSql(sql);
    query.Open();
    Rows rows;
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

std::string Schema(TDatabase& db) {
    std::string out;
    for (const auto& t : Query(db, "select name from sysobjects where xtype='U' order by name")) {
        const std::string& table = t[0];
        const std::string ofTable = "(select id from sysobjects where name='" + table + "')";
        out += "table " + table + "\n";
        for (const auto& c : Query(db,
                                   "select name, xtype, length, isnull(prec,0) as prec, "
                                   "isnull(scale,0) as scale, isnullable, cdefault from "
                                   "syscolumns where id in " +
                                       ofTable + " order by colid")) {
            out += "  {" + c[0] + " xtype " + std::to_string(std::stoi(c[1])) + " length " +
                   std::to_string(std::stoi(c[2])) + " prec " + std::to_string(std::stoi(c[3])) +
                   " scale " + std::to_string(std::stoi(c[4])) +
                   (c[5] == "1" ? " NULL" : " NOT NULL") + (c[6] != "0" ? " default" : "") + "}\n";
        }
        for (const auto& k : Query(db,
                                   "select name from sysobjects where xtype='PK' and "
                                   "parent_obj in " +
                                       ofTable))
            out += "  primary key " + k[0] + "\n";
        for (const auto& ix : Query(db,
                                    "select name, status, OrigFillFactor from sysindexes "
                                    "where id in " +
                                        ofTable +
                                        " and name is not null and name not like "
                                        "'[_]WA[_]Sys%' order by name"))
            out += "  index " + ix[0] + ((std::stoi(ix[1]) & 2) ? " unique" : "") + " fillfactor " +
                   ix[2] + "\n";
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: schema_dump DSN PASSWORD\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // "\n" as in the expected file, not CR LF
    try {
        TDatabase db;
        db.AliasName = argv[1];
        db.Params = {"USER NAME=sa", std::string("PASSWORD=") + argv[2]};
        db.Open();
        const std::string schema = Schema(db);
        std::fwrite(schema.data(), 1, schema.size(), stdout);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "schema_dump: %s\n", e.what());
        return 1;
    }
}
