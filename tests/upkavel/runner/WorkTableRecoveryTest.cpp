// A rebuild of lib_people or lib_tiaoma cut between any two of its statements (a power cut, a
// killed program, a server restart), then one upgrade run: every row is back in its table, the
// work table is gone, and the table has the layout the rebuild meant. A copy back the new key
// refuses keeps the work table and its rows. (Rows in both tables, the table with fewer, stop the
// run before anything changes: FailedRunTest.)

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DatabaseError.h"
#include "RebuiltTables.h"
#include "RecordingRunner.h"
#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// The statements of one rebuild, in order, as T-SQL batches.
struct Rebuild {
    const char* name;
    const char* fixture;
    const char* marker;  // recorded before the rebuild starts; empty: the baseline's, none
    bool withEarlier;
    const char* table;
    const char* workTable;
    const char* rowsQuery;  // every row of the table, in one order
    int oldWidth;           // the key column's width at the end of a run: rows never left the
    int newWidth;           // table (the first two statements), or they did
    std::vector<SqlLines> statements;
};

std::string Batch(const SqlLines& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text + "GO\n";
}

std::vector<SqlLines> PeopleRebuild(const char* oldCode, const char* newCode) {
    const TableDecl people = PeopleTable("lib_people", newCode, true);
    return {CreateTableLines(PeopleTable("lib_peopletmp", oldCode, false)),
            SqlLines{kPeopleCopyOut},
            SqlLines{"drop table lib_people"},
            CreateTableLines(people),
            PrimaryKeyLines(people),
            SqlLines{kPeopleCopyBack}};
}

const std::vector<Rebuild>& Rebuilds() {
    static const std::vector<Rebuild> rebuilds = {
        {"baseline lib_people", test::kOldestLayout, "", true, "lib_people", "lib_peopletmp",
         "select pe_code, pe_name from lib_people order by pe_code", 12, 12,
         PeopleRebuild("char(6)", "char(9)")},
        {"2007-03-12 lib_people", test::kLevel2005_03, "PEOPLE_LEN_12", false, "lib_people",
         "lib_peopletmp", "select pe_code, pe_name from lib_people order by pe_code", 9, 12,
         PeopleRebuild("char(12)", "char(12)")},
        {"2007-12-03 lib_tiaoma",
         test::kLevel2005_03,
         "ZZ20071203.BOOKBAR_LEN_12",
         false,
         "lib_tiaoma",
         "lib_tiaoma_tmp",
         "select tm_barcode, tm_mark, tm_no, tm_logdate, tm_enddate from lib_tiaoma order by "
         "tm_barcode",
         9,
         12,
         {CreateTableLines(BarcodeTable("lib_tiaoma_tmp", "9")), BarcodeCopyOut(),
          SqlLines{"drop table lib_tiaoma"}, CreateTableLines(BarcodeTable("lib_tiaoma", "12")),
          SqlLines{kBarcodeKey}, SqlLines{kBarcodeIndex}, BarcodeCopyBack()}},
    };
    return rebuilds;
}

// The database as a rebuild leaves it after its first `done` statements.
std::string CutAfter(const Rebuild& rebuild, std::size_t done) {
    std::string sql;
    if (*rebuild.marker != '\0')
        sql +=
            std::string("insert into ver_manage(vm_mess) values('") + rebuild.marker + "')\nGO\n";
    for (std::size_t i = 0; i < done; ++i) sql += Batch(rebuild.statements[i]);
    return sql;
}

class WorkTableRecoveryTest : public test::StandinDatabaseTest {
protected:
    // Runs the upgrade; the error's text when it fails, empty when it succeeds.
    std::string Upgrade(bool withEarlier) {
        TUpgradeRunner runner(database, reports, reports);
        runner.ProgramFolder = KAVEL_SHIPPED_DATA_DIR;
        try {
            runner.RunUpgrade(withEarlier);
            return {};
        } catch (const std::exception& e) {
            return e.what();
        }
    }
    int Count(const std::string& table) {
        return std::stoi(Column("select count(*) from " + table)[0]);
    }
    test::RecordingRunner reports;
};

TEST_F(WorkTableRecoveryTest, ARebuildCutAtAnyPointEndsWithEveryRowBack) {
    for (const Rebuild& rebuild : Rebuilds()) {
        // The rows as they stand before the rebuild, and, for the baseline, the end of an
        // uninterrupted upgrade.
        StartStandinOn(rebuild.fixture);
        if (IsSkipped()) return;
        const auto before = Rows(rebuild.rowsQuery);
        ASSERT_FALSE(before.empty());
        std::string uninterrupted;
        if (*rebuild.marker == '\0') {
            ASSERT_EQ(Upgrade(rebuild.withEarlier), "");
            uninterrupted = Schema();
        }

        for (std::size_t done = 1; done <= rebuild.statements.size(); ++done) {
            SCOPED_TRACE(std::string(rebuild.name) + ", cut after statement " +
                         std::to_string(done));
            database.Close();
            StartStandinOn(rebuild.fixture, CutAfter(rebuild, done));
            reports = {};
            EXPECT_EQ(Upgrade(rebuild.withEarlier), "");
            ASSERT_EQ(reports.boxes.size(), 1u);
            EXPECT_EQ(reports.boxes[0].text, test::kSuccess);
            EXPECT_EQ(reports.recovered.size(), 1u);
            EXPECT_EQ(Rows(rebuild.rowsQuery), before);
            EXPECT_FALSE(Exists(rebuild.workTable));
            // The steps after the baseline widen lib_people again; under a marker recorded before
            // the cut, a table whose rows never left keeps the width the cut found.
            EXPECT_EQ(ColumnsOf(rebuild.table)[0].length,
                      done <= 2 ? rebuild.oldWidth : rebuild.newWidth);
            EXPECT_TRUE(Exists(std::string("PK_") + rebuild.table));
            if (std::string(rebuild.table) == "lib_tiaoma" && done > 2) {
                EXPECT_NE(Schema().find("index PK_lib_tiaoma_code fillfactor 85"),
                          std::string::npos);
            }
            if (!uninterrupted.empty()) {
                EXPECT_EQ(Schema(), uninterrupted);
            }
        }
    }
}

TEST_F(WorkTableRecoveryTest, ACopyBackTheKeyRefusesKeepsTheWorkTableAndItsRows) {
    const Rebuild& barcodes = Rebuilds()[2];
    StartStandinOn(
        barcodes.fixture,
        CutAfter(barcodes, 3) +
            "insert into lib_tiaoma_tmp(tm_barcode,tm_mark,tm_no) values('B00000001','0',9)\nGO\n");
    if (IsSkipped()) return;

    const std::string error = Upgrade(false);
    EXPECT_NE(error.find("lib_tiaoma 的 4 行仍保存在 lib_tiaoma_tmp 中"), std::string::npos)
        << error;
    EXPECT_EQ(Count("lib_tiaoma_tmp"), 4);
    EXPECT_EQ(Count("lib_tiaoma"), 0);

    // The next run meets the same refusal and still keeps the rows.
    EXPECT_NE(Upgrade(false), "");
    EXPECT_EQ(Count("lib_tiaoma_tmp"), 4);
}

}  // namespace
}  // namespace kavel
