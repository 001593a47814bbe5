// The statement runner of the upgrade form: the few moves every step and job makes on qrTmp and
// qrTmp1. Each operation clears the query's lines (which also closes it) before adding its own,
// and closes the query before returning; only a walk keeps its result open until its last row.

#include "DatabaseError.h"
#include "DoubleQuotes.h"
#include "TableDecl.h"
#include "Trim.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

void Prepare(TQuery& query, const SqlLines& lines) {
    query.ClearSql();
    for (const auto& line : lines) query.AddSql(line);
}

}  // namespace

void TUpKavelMain::RunSql(TQuery& query, const SqlLines& lines) {
    Prepare(query, lines);
    query.ExecSQL();
    query.Close();
}

bool TUpKavelMain::RunSqlProtected(TQuery& query, const SqlLines& lines) {
    try {
        RunSql(query, lines);
        return true;
    } catch (const EDatabaseError&) {
        // Discarded on purpose: the caller's step goes on with its next action.
        return false;
    }
}

bool TUpKavelMain::OpenAndTest(TQuery& query, const SqlLines& lines) {
    Prepare(query, lines);
    query.Open();
    const bool noRows = query.Eof();
    query.Close();
    return !noRows;
}

bool TUpKavelMain::TableExists(const std::string& table) {
    return OpenAndTest(qrTmp, LineOf("select * from sysobjects where name =" + Quoted(table)));
}

bool TUpKavelMain::ColumnExists(const std::string& table, const std::string& column) {
    return OpenAndTest(qrTmp, LineOf("select name from syscolumns where name=" + Quoted(column) +
                                     " and id in (select id from sysobjects where name = " +
                                     Quoted(table) + ")"));
}

void TUpKavelMain::CreateTable(const TableDecl& table) {
    RunSql(CreateTableLines(table));
    if (!table.keyColumn.empty()) RunSql(PrimaryKeyLines(table));
}

bool TUpKavelMain::CreateTableIfMissing(const TableDecl& table) {
    if (TableExists(table.name)) return false;
    CreateTable(table);
    return true;
}

void TUpKavelMain::Walk(TQuery& query, const SqlLines& lines, const std::function<void()>& perRow) {
    Prepare(query, lines);
    query.Open();
    while (!query.Eof()) {
        perRow();
        query.Next();
    }
    query.Close();
}

bool TUpKavelMain::LookUp(TQuery& query, const SqlLines& lines,
                          const std::function<void()>& readRow) {
    Prepare(query, lines);
    query.Open();
    const bool found = !query.Eof();
    if (found) readRow();
    query.Close();
    return found;
}

std::string TrimmedField(const TQuery& query, const std::string& column) {
    return Trim(query.FieldByName(column).AsString());
}

}  // namespace kavel
