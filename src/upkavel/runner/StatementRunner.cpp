// The statement runner: the few moves every step and job makes on qrTmp and qrTmp1. Each
// operation clears the query's lines (which also closes it) before adding its own, and closes the
// query before returning; only a walk keeps its result open until its last row.

#include <cassert>

#include "DatabaseError.h"
#include "DoubleQuotes.h"
#include "TableDecl.h"
#include "Trim.h"
#include "UpgradeRunner.h"

namespace kavel {

TUpgradeRunner::TUpgradeRunner(TDatabase& libDB, UpgradeProgress& progress,
                               UpgradeMessages& messages)
    : qrTmp(libDB), qrTmp1(libDB), progress_(progress), messages_(messages) {}

void TUpgradeRunner::Send(TQuery& query, const SqlText& statement, Returns returns) {
    // A walk's per-row work runs on the other query; clearing the walked one would end the walk.
    assert(&query != walked_);
    failedStatement_.clear();
    query.ClearSql();
    for (const auto& line : statement.Lines()) query.AddSql(line);
    ++statements_;
    try {
        if (returns == Returns::Rows)
            query.Open();
        else
            query.ExecSQL();
    } catch (const EDatabaseError& error) {
        failedStatement_ = query.Text();
        JournalRefused(failedStatement_, error);
        throw;
    }
    if (journal_ != nullptr) JournalSent(query.Text());
}

void TUpgradeRunner::RunSql(TQuery& query, const SqlText& statement) {
    Send(query, statement, Returns::Nothing);
    query.Close();
}

bool TUpgradeRunner::RunSqlProtected(TQuery& query, const SqlText& statement) {
    try {
        RunSql(query, statement);
        return true;
    } catch (const EDatabaseError&) {
        // Discarded on purpose: the caller's step goes on with its next action.
        failedStatement_.clear();
        Discarded();
        return false;
    }
}

bool TUpgradeRunner::OpenAndTest(TQuery& query, const SqlText& statement) {
    Send(query, statement, Returns::Rows);
    const bool noRows = query.Eof();
    query.Close();
    return !noRows;
}

bool TUpgradeRunner::TableExists(const std::string& table) {
    return OpenAndTest(qrTmp, ("select * from sysobjects where name =" + Quoted(table)));
}

bool TUpgradeRunner::ColumnExists(const std::string& table, const std::string& column) {
    return OpenAndTest(
        qrTmp, ("select name from syscolumns where name=" + Quoted(column) +
                " and id in (select id from sysobjects where name = " + Quoted(table) + ")"));
}

void TUpgradeRunner::CreateTable(const TableDecl& table) {
    RunSql(CreateTableLines(table));
    if (!table.keyColumn.empty()) RunSql(PrimaryKeyLines(table));
}

bool TUpgradeRunner::CreateTableIfMissing(const TableDecl& table) {
    if (TableExists(table.name)) return false;
    CreateTable(table);
    return true;
}

void TUpgradeRunner::Walk(TQuery& query, const SqlText& statement,
                          const std::function<void()>& perRow) {
    Send(query, statement, Returns::Rows);
    const LoopTally tally = BeginLoop();
    const std::size_t rows = query.RecordCount();
    progress_.LoopStarted(rows);
    struct Walking {  // marks `query` as walked until the walk ends, also by an error
        const TQuery*& walked;
        const TQuery* enclosing;
        ~Walking() { walked = enclosing; }
    } walking{walked_, walked_};
    walked_ = &query;
    while (!query.Eof()) {
        perRow();
        query.Next();
    }
    walked_ = walking.enclosing;
    query.Close();
    EndLoop(tally, "over " + statement.Lines().front(), static_cast<long long>(rows));
}

bool TUpgradeRunner::LookUp(TQuery& query, const SqlText& statement,
                            const std::function<void()>& readRow) {
    Send(query, statement, Returns::Rows);
    const bool found = !query.Eof();
    if (found) readRow();
    query.Close();
    return found;
}

std::string TrimmedField(const TQuery& query, const std::string& column) {
    return Trim(query.FieldByName(column).AsString());
}

}  // namespace kavel
