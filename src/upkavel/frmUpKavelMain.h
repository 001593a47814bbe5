#pragma once
// The upgrade form: the notice to the user, the backup confirmation that enables the upgrade
// button, the upgrade driver btUpClick, the two hidden ISSN file-tool buttons revealed by F11 and
// F12, and the shared statement runner every step and job works through (qrTmp, qrTmp1, probes,
// walks, look-ups and the version ledger). The dated steps live in migrations/, the data jobs in
// jobs/; each is a member of this class.
//
// While an upgrade or a file tool runs, btUp, btExit, both check boxes and the two tool buttons
// are disabled and closing the window is refused; afterwards each gets its previous state back,
// also when the run ended with an error.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <concepts>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "SqlLines.h"
#include "TQuery.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kavel {

class TDatabase;
struct TableDecl;

// A statement of one line: a string literal, std::string or std::string_view.
template <class T>
concept OneLine = std::convertible_to<const T&, std::string_view>;

template <OneLine T>
SqlLines LineOf(const T& line) {
    return SqlLines{std::string(std::string_view(line))};
}

class TUpKavelMain : public QWidget {
public:
    explicit TUpKavelMain(TDatabase& libDB, QWidget* parent = nullptr);
    ~TUpKavelMain() override;

    // Controls, named as the handlers and steps refer to them.
    QLabel* Label1;
    QLabel* Label5;
    QPushButton* btDo;
    QLabel* Label2;
    QPushButton* btDownload;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label8;
    QProgressBar* pgbBar;
    QCheckBox* ckBefore;
    QLabel* lbWorking;
    QPushButton* btUp;
    QCheckBox* cbBackup;
    QPushButton* btExit;
    TQuery qrTmp;
    TQuery qrTmp1;

    // The folder of the program file, where issn.dat and issnok.txt are kept (UTF-8 path).
    // Tests and benchmarks point it at a folder of their own.
    QString ProgramFolder;

    // Handlers.
    void cbBackupClick();
    void FormKeyUp(int virtualKey);  // Windows virtual-key code: 122 F11, 123 F12
    void btUpClick();
    void btExitClick();
    void btDoClick();
    void btDownloadClick();

    // True while an upgrade or a file tool runs.
    bool Running() const { return running_; }

    // ---- Statement runner (all on qrTmp unless a query is given) ----
    // A statement is either one line (a string) or an explicit list of lines, never a list
    // mistaken for several statements: RunSql("drop table t") or RunSql({"update t set", "a=1"}).
    //
    // Runs a statement that returns no rows, then closes the query.
    // (The one-line forms are templates so that a braced list of lines never converts to one
    // line: std::string and std::string_view both have a constructor from two pointers.)
    void RunSql(TQuery& query, const SqlLines& lines);
    void RunSql(const SqlLines& lines) { RunSql(qrTmp, lines); }
    template <OneLine T>
    void RunSql(TQuery& query, const T& line) { RunSql(query, LineOf(line)); }
    template <OneLine T>
    void RunSql(const T& line) { RunSql(qrTmp, LineOf(line)); }
    // The same inside an error trap: a database error is discarded. Returns false when it was.
    bool RunSqlProtected(TQuery& query, const SqlLines& lines);
    bool RunSqlProtected(const SqlLines& lines) { return RunSqlProtected(qrTmp, lines); }
    template <OneLine T>
    bool RunSqlProtected(const T& line) { return RunSqlProtected(qrTmp, LineOf(line)); }
    // Opens the statement and tells whether any row came back; the rows are not read.
    bool OpenAndTest(TQuery& query, const SqlLines& lines);
    // Row probe on qrTmp: a SELECT with its own conditions; true when a row comes back.
    bool RowExists(const SqlLines& lines) { return OpenAndTest(qrTmp, lines); }
    template <OneLine T>
    bool RowExists(const T& line) { return OpenAndTest(qrTmp, LineOf(line)); }
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
    void Walk(TQuery& query, const SqlLines& lines, const std::function<void()>& perRow);
    // Opens `lines`; when a row comes back, calls readRow with the first row current. Returns
    // whether there was a row.
    bool LookUp(TQuery& query, const SqlLines& lines, const std::function<void()>& readRow);
    // Creates the ledger table ver_manage when it is missing.
    void EnsureLedger();
    // True when `marker` was not yet in the ledger; it has then been recorded (before the work
    // it guards). False when it was there; nothing changes.
    bool CheckVerSign(const std::string& marker);

    // ---- Progress bar pgbBar (range 0 to 100) and the message pump, for the long loops ----
    void ShowBar();
    void SetBar(int position);
    // One step of a loop: up by one, or back to 1 from the maximum.
    void AdvanceBar();
    void HideBar();
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

    // ---- Data jobs (jobs/) ----
    void DoCodeIssnWork();
    void DoQianDao();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class RunLock;

    void BuildControls();
    void ConnectHandlers();
    // Runs a file tool with the run lock held.
    void RunTool(void (TUpKavelMain::*tool)());
    // Sets the bar's value; paints it now only when the last paint is old enough.
    void MoveBar(int position, bool paintNow);
    void PrepareBarPainting();

    bool running_ = false;
    QElapsedTimer barPainted_;  // since the bar was last painted; invalid before the first
    QTimer barCatchUp_;         // paints a value the loop left unpainted once it stops moving
};

// The named column of the query's current row as text, leading and trailing bytes <= 32 removed;
// NULL reads as empty text.
std::string TrimmedField(const TQuery& query, const std::string& column);

// The upgrade form once start-up has created it; null before and after.
extern TUpKavelMain* UpKavelMain;

}  // namespace kavel
