// Before any step: finish a table rebuild that an interruption (a power cut, a killed program, a
// server restart, a refused copy back) left between "copy the rows out" and "drop the work
// table". Nothing of a rebuild is transactional, and the steps never look at a work table again
// (a recorded marker skips the rebuild for good; the baseline's rebuild stops at the create of a
// work table that exists), so without this pass the rows would stay where the main program never
// reads them.
//
// For each pair (table, work table), when the work table exists:
//   - the table is missing, or empty: it is made as the rebuild meant it (created, keyed,
//     indexed), the rows are copied back with the rebuild's own statement, the work table goes;
//     an empty table holds nothing to lose, and may be a re-created one still without its key;
//   - the table holds at least as many rows as the work table (they never left, or came back):
//     the work table goes;
//   - otherwise both hold rows and the table fewer: nothing is changed and the run stops with an
//     error naming both tables and their counts, for a person to look at.
// A refused copy back stops the run too, with the work table and its rows kept.

#include "DatabaseError.h"
#include "DoubleQuotes.h"
#include "RebuiltTables.h"
#include "UpgradeRunner.h"

namespace kavel {

long long TUpgradeRunner::RowCount(const std::string& table) {
    long long rows = 0;
    LookUp(qrTmp, ("select count(*) as iCount from " + table),
           [&] { rows = qrTmp.FieldByName("iCount").AsInteger(); });
    return rows;
}

void TUpgradeRunner::RecoverRebuild(const std::string& table, const std::string& workTable,
                                    const std::function<void()>& recreate,
                                    const SqlText& copyBack) {
    if (!TableExists(workTable)) return;
    const long long saved = RowCount(workTable);
    const bool present = TableExists(table);
    const long long kept = present ? RowCount(table) : 0;
    if (present && kept > 0) {
        if (kept < saved)
            throw EDatabaseError("上次升级中断时，" + workTable + " 中留下 " +
                                 std::to_string(saved) + " 行，而 " + table + " 只有 " +
                                 std::to_string(kept) + " 行。两个表都未改动，请核对后再升级。");
        RunSql("drop table " + workTable);
        Recovered(workTable + " left by an interrupted rebuild dropped: " + table + " holds its " +
                  std::to_string(kept) + " rows");
        return;
    }
    if (present) RunSql("drop table " + table);
    recreate();
    try {
        RunSql(copyBack);
    } catch (const EDatabaseError& e) {
        throw EDatabaseError(std::string(e.what()) + "\n" + table + " 的 " + std::to_string(saved) +
                                 " 行仍保存在 " + workTable + " 中，未被删除。",
                             e.Diagnostics());
    }
    RunSql("drop table " + workTable);
    Recovered(table + " rebuilt after an interrupted rebuild: " + std::to_string(saved) +
              " rows copied back from " + workTable);
}

void TUpgradeRunner::Recovered(const std::string& what) {
    progress_.Recovered(what);
    Journal("recovery: " + what);
}

void TUpgradeRunner::RecoverWorkTables() {
    RecoverRebuild(
        "lib_people", "lib_peopletmp",
        [this] {
            // The 2007-03-12 rebuild records its marker first; without it, the baseline's.
            const bool wide = RowExists(
                {"select vm_mess from ver_manage", "where vm_mess=" + Quoted("PEOPLE_LEN_12")});
            CreateTable(PeopleTable("lib_people", wide ? "char(12)" : "char(9)", true));
        },
        kPeopleCopyBack);
    RecoverRebuild(
        "lib_tiaoma", "lib_tiaoma_tmp",
        [this] {
            CreateTable(BarcodeTable("lib_tiaoma", "12"));
            RunSql(kBarcodeKey);
            RunSql(kBarcodeIndex);
        },
        BarcodeCopyBack());
}

}  // namespace kavel
