#pragma once
// The upgrade without a window: the two queries every statement goes through (qrTmp, qrTmp1), the
// statement runner (run, protected run, probes, walks, look-ups), the version ledger, the driver
// that runs the dated steps in order, the steps themselves (migrations/) and the data jobs and
// file tools (jobs/). It reports through two small interfaces, UpgradeProgress and
// UpgradeMessages; the window and the console program implement them.
//
// Errors are exceptions: a statement the server rejects raises EDatabaseError, a data file that
// cannot be read or written EInOutError. Only the statements the steps name as protected discard
// their errors; any other error leaves the step and the driver at once, with everything done so
// far kept (nothing runs in a transaction).

#include <chrono>
#include <functional>
#include <string>

#include "SqlText.h"
#include "TQuery.h"
#include "UpgradeMessages.h"
#include "UpgradeProgress.h"

namespace kavel {

class EDatabaseError;
class RunJournal;
class TDatabase;
struct TableDecl;

class TUpgradeRunner {
public:
    TUpgradeRunner(TDatabase& libDB, UpgradeProgress& progress, UpgradeMessages& messages);

    TQuery qrTmp;
    TQuery qrTmp1;

    // The folder of the program file, where issn.dat and issnok.txt are kept (UTF-8 path).
    // Tests and benchmarks point it at a folder of their own.
    std::string ProgramFolder;

    // The journal the runner writes its steps, markers, DDL, failures, loops and outcome to;
    // null (the default) for none. Not owned.
    void SetJournal(RunJournal* journal) { journal_ = journal; }

    // ---- The upgrade driver ----
    // Ensures the ledger, shows the working label, finishes a table rebuild an interrupted run
    // left half done (rows only in a work table), runs the baseline step when `withEarlier`
    // (the box "同时升级以前所有的系统升级"), then every dated step in order, records the three
    // closing markers, shows the success box and hides the working label. An error leaves at
    // once: the rest is skipped and the working label stays shown.
    void RunUpgrade(bool withEarlier);
    // The success box's text, caption "提示信息" and flags 0x40.
    static constexpr const char* kSuccessText = "Kavel升级成功，请更新Kavel.exe";
    static constexpr const char* kInfoCaption = "提示信息";

    // Where the last run stands or stopped: the step being run ("baseline", "2005-03" ...;
    // empty outside the steps) and the text of the statement that raised the error that is
    // leaving (empty when the error came from elsewhere, or from a protected statement).
    const std::string& CurrentStep() const { return currentStep_; }
    const std::string& FailedStatement() const { return failedStatement_; }

    // ---- Statement runner (all on qrTmp unless a query is given) ----
    // A statement is one line or a braced list of lines (SqlText.h).
    //
    // Runs a statement that returns no rows, then closes the query.
    void RunSql(TQuery& query, const SqlText& statement);
    void RunSql(const SqlText& statement) { RunSql(qrTmp, statement); }
    // The same inside an error trap: a database error is discarded. Returns false when it was.
    bool RunSqlProtected(TQuery& query, const SqlText& statement);
    bool RunSqlProtected(const SqlText& statement) { return RunSqlProtected(qrTmp, statement); }
    // Opens the statement and tells whether any row came back; the rows are not read.
    bool OpenAndTest(TQuery& query, const SqlText& statement);
    // Row probe on qrTmp: a SELECT with its own conditions; true when a row comes back.
    bool RowExists(const SqlText& statement) { return OpenAndTest(qrTmp, statement); }
    // Any catalogue object of that name counts, whatever its type (table, key, default ...).
    bool TableExists(const std::string& table);
    // False also when the table itself does not exist.
    bool ColumnExists(const std::string& table, const std::string& column);
    // Table probe; when the table is missing, creates it and adds its primary key (if it is
    // declared with one). True when it created the table in this call.
    bool CreateTableIfMissing(const TableDecl& table);
    // Creates the table and adds its key, without a probe.
    void CreateTable(const TableDecl& table);
    // Opens `lines` on `query` and calls perRow once per row, the row being current in `query`;
    // perRow may run statements on the other query, never on `query`.
    void Walk(TQuery& query, const SqlText& statement, const std::function<void()>& perRow);
    // Opens `lines`; when a row comes back, calls readRow with the first row current. Returns
    // whether there was a row.
    bool LookUp(TQuery& query, const SqlText& statement, const std::function<void()>& readRow);
    // Creates the ledger table ver_manage when it is missing.
    void EnsureLedger();
    // True when `marker` was not yet in the ledger; it has then been recorded (before the work
    // it guards). False when it was there; nothing changes.
    bool CheckVerSign(const std::string& marker);

    // ---- Progress bar (range 0 to 100) and the message pump, for the long loops ----
    void ShowBar();
    void SetBar(int position);
    // One step of a loop: up by one, or back to 1 from the maximum.
    void AdvanceBar();
    void HideBar();
    int BarPosition() const { return barPosition_; }
    // Lets pending window messages run (once per item of a long loop).
    void PumpMessages();

    // ---- Dated upgrade steps (migrations/) ----
    void Do2005Before();
    void Do2005_03();
    void Do2007_03_12();
    void Do2007_11_03();
    void Do2007_12_03();
    void Do2010_05_11();
    void Do2010_12_30();
    void Do2012_03_15();

    // ---- Data jobs and file tools (jobs/) ----
    void DoCodeIssnWork();
    void DoQianDao();
    // "处理ISSN": issn.dat from the plain list issnok.txt, both in the program's folder.
    void IssnDatFromList();
    // "下载ISSN": issn.dat from the rows of lib_issncode.
    void IssnDatFromTable();

private:
    // The baseline step's pieces, in run order.
    void BaselinePrintTables();           // actions 1-8: print, notes and reminder tables
    void BaselineParametersAndReaders();  // actions 9-15: parameters, prices, people, loans
    void BaselineCatalogueAndIssn();      // actions 16-22: ISSN import, catalogue, barcodes
    void BaselineMenusAndWorkTables();    // actions 23-36: menus, work tables, schedules
    // Step 2005-03's pieces, in run order.
    void AddedColumns2005_03();          // actions 1-7: baseline when missing, new columns
    void PrintCounterTables2005_03();    // actions 8-9: lib_prttab4new, lib_prttab4anew
    void CallNumberSortKey2005_03();     // action 10: bm_noorder and its fill
    void MenusFinesAndLending2005_03();  // actions 11-19: menu rows, fines, lending
    // Runs `insert` only when the row probe `probe` finds no row for its code, so a repeated run
    // adds no second row even where gn_menucode carries no unique key. Probe and insert share
    // one protection: any database error of either (a missing lib_gongneng included) is
    // discarded and the step goes on.
    void InsertMenuRowUnlessPresent(const char* probe, const char* insert);

    // Finishes a rebuild of lib_people or lib_tiaoma that an interruption left half done, before
    // the first step (WorkTableRecovery.cpp).
    void RecoverWorkTables();
    void RecoverRebuild(const std::string& table, const std::string& workTable,
                        const std::function<void()>& recreate, const SqlText& copyBack);
    long long RowCount(const std::string& table);
    // Tells the front end and the journal what the recovery did.
    void Recovered(const std::string& what);

    // A line in the journal, when there is one.
    void Journal(const std::string& text);
    // Counts of a long loop for the journal: rows, statements, time, rate, errors discarded.
    struct LoopTally {
        std::chrono::steady_clock::time_point start;
        long long statements;
        long long discarded;
    };
    LoopTally BeginLoop() const;
    void EndLoop(const LoopTally& tally, const std::string& what, long long rows);
    // A protected statement's error was discarded.
    void Discarded();
    // A statement sent (journalled when it is DDL) or refused by the server.
    void JournalSent(const std::string& statement);
    void JournalRefused(const std::string& statement, const EDatabaseError& error);

    // Runs one dated step with CurrentStep() naming it.
    void RunStep(const char* name, void (TUpgradeRunner::*step)());
    // Clears the query's lines (closing it), adds `lines` and opens them (Rows) or executes them
    // (Nothing). When the server refuses, the statement is kept as FailedStatement() and the
    // error goes on.
    enum class Returns { Nothing, Rows };
    void Send(TQuery& query, const SqlText& statement, Returns returns);

    UpgradeProgress& progress_;
    UpgradeMessages& messages_;
    RunJournal* journal_ = nullptr;
    const TQuery* walked_ = nullptr;  // the query a walk is on, while its per-row work runs
    long long statements_ = 0;        // sent in the life of the runner
    long long discarded_ = 0;         // errors of protected statements
    int barPosition_ = 0;
    std::string currentStep_;
    std::string failedStatement_;
};

// The named column of the query's current row as text, leading and trailing bytes <= 32 removed;
// NULL reads as empty text.
std::string TrimmedField(const TQuery& query, const std::string& column);

}  // namespace kavel
