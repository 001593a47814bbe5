// Runs that end in an error, one case a row: the database the run meets, the server's message
// that ends it, what stays shown (the working label; the bar where a step left it), the markers
// recorded before it (never the driver's own), the work done before the failure kept and the
// work after it not done, and the next run: past the failure once the user fixed its cause, or
// ending in the same error while the cause is there. The window's box for these errors is in
// tests/upkavel/window.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "BaselineExtraSql.h"
#include "RecordingRunner.h"

namespace kavel {
namespace {

using Strings = std::vector<std::string>;
using Table = std::vector<std::vector<std::string>>;

class FailedRunTest;

struct FailureCase {
    const char* name;
    const char* fixture;
    std::string extraSql;
    bool withEarlier;     // the box that runs the baseline from the driver
    std::string message;  // the server's error as the run ends with it (a prefix when it ends
                          // with "...")
    Strings ledger;       // the markers after the failed run, in byte order
    std::function<void(FailedRunTest&)> check;  // the work kept and the work not done
    std::optional<std::string> fix;  // the user's fix; none: the next run fails the same way
    std::function<void(FailedRunTest&, const Strings& sent)> checkNextRun = nullptr;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class FailedRunTest : public test::RunnerTest, public testing::WithParamInterface<FailureCase> {
public:
    std::string One(const std::string& sql) {
        const auto values = Column(sql);
        return values.size() == 1 ? values[0] : "(" + std::to_string(values.size()) + " rows)";
    }
    std::string LastColumnOf(const std::string& table) {
        const auto columns = ColumnsOf(table);
        return columns.empty() ? "(no table)" : columns.back().name;
    }
    using RunnerTest::SentSince;
    using StandinDatabaseTest::ColumnOf;
    using StandinDatabaseTest::ColumnsOf;
    using StandinDatabaseTest::Exists;
    using StandinDatabaseTest::Rows;
    test::RecordingRunner& shown() { return recorder; }

protected:
    void ExpectFailure(const std::string& failure) {
        const std::string& m = GetParam().message;
        if (m.size() > 3 && m.compare(m.size() - 3, 3, "...") == 0)
            EXPECT_EQ(failure.substr(0, m.size() - 3), m.substr(0, m.size() - 3)) << failure;
        else
            EXPECT_EQ(failure, m);
    }
};

TEST_P(FailedRunTest, EndsWithTheServersErrorKeepsTheWorkBeforeAndTheNextRunGoesOnOrStops) {
    const auto& c = GetParam();
    StartRunner(c.fixture, c.extraSql);
    if (IsSkipped()) return;
    WriteFile("issn.dat", "");  // the baseline's import leaves lib_issncode as it is

    ExpectFailure(RunUpgradeFailure(c.withEarlier));
    EXPECT_TRUE(recorder.boxes.empty()) << recorder.boxes[0].text;
    EXPECT_TRUE(recorder.workingVisible);
    EXPECT_EQ(Ledger(), c.ledger);
    c.check(*this);

    if (c.fix && !c.fix->empty()) runner->RunSql(*c.fix);
    const auto mark = TraceMark();
    const std::string next = RunUpgradeFailure(c.withEarlier);
    if (!c.fix) {
        ExpectFailure(next);
        return;
    }
    EXPECT_EQ(next, "");
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, test::kSuccess);
    EXPECT_FALSE(recorder.workingVisible);
    if (c.checkNextRun) c.checkNextRun(*this, TracedSince(mark));
}

Strings MarkersUpTo(const std::string& last) {
    Strings all = {"PEOPLE_LEN_12",          "ZZ20071103.CHGBMMONTH", "ZZ20071203.BOOKBAR_LEN_12",
                   "ZZ20100511.PUBLISH_LEN", "ZZ20101230.YUELANSHI",  "ZZ20120315.BKZD"};
    all.erase(std::find(all.begin(), all.end(), last) + 1, all.end());
    std::sort(all.begin(), all.end());
    return all;
}

std::string CannotFind(const std::string& table) {
    return "Cannot find the object \"" + table +
           "\" because it does not exist or you do not have permissions.";
}

// A table that actions 3 to 7 of step 2005-03 alter is missing: the action before stays
// applied, nothing after it runs, and every run ends there until the table is back.
FailureCase MissingTable(const char* name, const char* table, const char* before,
                         const char* lastColumnBefore) {
    return FailureCase{
        name,
        test::kBaselineLevel,
        std::string("drop table ") + table + "\nGO\n",
        false,
        CannotFind(table),
        {},
        [before = std::string(before), last = std::string(lastColumnBefore)](FailedRunTest& t) {
            EXPECT_EQ(t.LastColumnOf(before), last);
            EXPECT_FALSE(t.Exists("lib_prttab4new"));
        },
        std::nullopt};
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedRunTest,
    testing::Values(
        // ---- The baseline step (box ticked) on the oldest layout ----
        // Rows of an interrupted rebuild in lib_peopletmp, more than lib_people holds: nothing
        // can tell which copy is right, so the run stops before it changes anything.
        FailureCase{"PeopleRowsInBothTables",
                    test::kOldestLayout,
                    test::kIssnCodes +
                        "create table lib_peopletmp (pe_code char(6) NOT NULL, pe_name "
                        "char(40))\nGO\ninsert into lib_peopletmp select * from lib_people\nGO\n"
                        "insert into lib_peopletmp values ('000004', 'X')\nGO\n",
                    true,
                    "上次升级中断时，lib_peopletmp 中留下 6 行，而 lib_people 只有 5 行。两个表都"
                    "未改动，请核对后再升级。",
                    {},
                    [](FailedRunTest& t) {
                        EXPECT_EQ(t.One("select count(*) from lib_people"), "5");
                        EXPECT_FALSE(t.Exists("lib_rukutj"));
                    },
                    "drop table lib_peopletmp"},
        // The name taken by a key of another table: the import finds it and creates nothing,
        // and the copy cannot open it; action 18 cleared every ISSN, action 20 did not run.
        FailureCase{"IssncodeMissingAtTheCopy",
                    test::kOldestLayout,
                    "create table lib_other (ot_id int NOT NULL)\nGO\nalter table lib_other add "
                    "constraint lib_issncode primary key nonclustered (ot_id)\nGO\n",
                    true,
                    "Invalid object name 'lib_issncode'.",
                    {},
                    [](FailedRunTest& t) {
                        EXPECT_EQ(t.One("select count(*) from lib_bkzd where zd_issn = ''"), "21");
                        EXPECT_FALSE(t.ColumnOf("lib_bianma", "bm_bookno").has_value());
                    },
                    "alter table lib_other drop constraint lib_issncode"},
        // lib_enterpeople is created before the failing lib_enterpeoplep, so the next run would
        // skip the action that creates both: the user removes the half-done pair.
        FailureCase{"EnterpeoplepWithoutEnterpeople",
                    test::kOldestLayout,
                    test::kIssnCodes + "create table lib_enterpeoplep (ep_name char(40))\nGO\n",
                    true,
                    "There is already an object named 'lib_enterpeoplep' in the database.",
                    {},
                    [](FailedRunTest& t) {
                        EXPECT_TRUE(t.Exists("PK_lib_enterpeople"));
                        // the arrival schedules (action 36) were not rewritten
                        EXPECT_EQ(t.One("select count(*) from lib_bkqs where qs_notice like "
                                        "'FORMAT%'"),
                                  "0");
                    },
                    "drop table lib_enterpeoplep drop table lib_enterpeople"},
        // The arrival schedule refused in the middle (a key the job does not expect): the bar
        // stays where it was, the pairs converted before stay converted, and the next run stops
        // at the job's guard, as after any run that converted something.
        FailureCase{"ArrivalScheduleRefusedHalfWay",
                    test::kOldestLayout,
                    test::kIssnCodes +
                        "alter table lib_bkqs add constraint PK_lib_bkqs primary key "
                        "nonclustered (qs_code)\nGO\ninsert into lib_bkzd (zd_code, zd_mark, "
                        "zd_period, zd_bdate, zd_edate, zd_number) values ('1-001', '09', '月', "
                        "'2008-01-01', '2008-12-31', 1)\nGO\n",
                    true,
                    "Violation of PRIMARY KEY constraint 'PK_lib_bkqs'...",
                    {},
                    [](FailedRunTest& t) {
                        EXPECT_TRUE(t.shown().barVisible);
                        EXPECT_EQ(t.shown().barValue, 11);  // moved after the first pair only
                        EXPECT_EQ(t.Rows("select qs_code, qs_mark from lib_bkqs where qs_notice "
                                         "like 'FORMAT%'"),
                                  (Table{{"1-001", "01"}}));
                    },
                    "alter table lib_bkqs drop constraint PK_lib_bkqs",
                    [](FailedRunTest& t, const Strings& sent) {
                        for (const auto& s : sent)
                            EXPECT_NE(s.rfind("insert into lib_bkqs", 0), 0u);
                        EXPECT_EQ(t.One("select count(*) from lib_bkqs where qs_notice like "
                                        "'FORMAT%'"),
                                  "1");
                    }},

        // ---- Step 2005-03 (box unticked) at the baseline level ----
        // The look-ups of 391 and 399 (each with its insert) are protected and go by without a
        // word; the probe for 392 is not, and ends the run.
        FailureCase{"MenuTableMissing",
                    test::kBaselineLevel,
                    "drop table lib_gongneng\nGO\n",
                    false,
                    "Invalid object name 'lib_gongneng'.",
                    {},
                    [](FailedRunTest& t) {
                        EXPECT_EQ(t.SentSince(0, "select gn_menucode from lib_gongneng"),
                                  (Strings{"select gn_menucode from lib_gongneng where "
                                           "gn_menucode=391\r\n",
                                           "select gn_menucode from lib_gongneng where "
                                           "gn_menucode=399\r\n",
                                           "select gn_menucode from lib_gongneng where "
                                           "gn_menucode=392\r\n"}));
                    },
                    std::nullopt},
        MissingTable("IssncodeMissing", "lib_issncode", "lib_bianma", "bm_link"),
        MissingTable("CanshubMissing", "lib_canshub", "lib_bkzdtmp", "zd_otheraddr"),
        // ic_fenlei already there: the second ALTER of its action fails, ic_phttp stays added,
        // and the next run finds ic_phttp and skips the whole action, its UPDATE included.
        FailureCase{"IssnColumnsHalfAdded",
                    test::kBaselineLevel,
                    "alter table lib_issncode add ic_fenlei char(20) DEFAULT('')\nGO\n",
                    false,
                    "Column names in each table must be unique. Column name 'ic_fenlei' in "
                    "table 'lib_issncode' is specified more than once.",
                    {},
                    [](FailedRunTest& t) { EXPECT_EQ(t.LastColumnOf("lib_issncode"), "ic_phttp"); },
                    "",
                    [](FailedRunTest& t, const Strings& sent) {
                        for (const auto& s : sent)
                            EXPECT_NE(s.rfind("update lib_issncode", 0), 0u) << s;
                        EXPECT_EQ(t.One("select count(*) from lib_issncode where ic_phttp is null"),
                                  "3");
                    }},
        // Another object holds the name of the fines table's key: the ALTER fails after the
        // CREATE, and the next run neither retries the key nor changes the loans.
        FailureCase{"FinesKeyNameTaken",
                    test::kBaselineLevel,
                    "create table lib_other (ot_id int NOT NULL)\nGO\nalter table lib_other add "
                    "constraint PK_lib_fakuan primary key nonclustered (ot_id)\nGO\n",
                    false,
                    "There is already an object named 'PK_lib_fakuan' in the database....",
                    {},
                    [](FailedRunTest& t) {
                        EXPECT_EQ(t.ColumnsOf("lib_fakuan").size(), 10u);
                        EXPECT_EQ(t.One("select dz_bdays from lib_duzhe where dz_id = 1"), "60");
                    },
                    "",
                    [](FailedRunTest& t, const Strings& sent) {
                        for (const auto& s : sent) {
                            EXPECT_NE(s.rfind("ALTER TABLE lib_fakuan", 0), 0u) << s;
                            EXPECT_NE(s.rfind("update lib_duzhe set dz_bdays", 0), 0u) << s;
                            EXPECT_NE(s.rfind("update lib_jieshu", 0), 0u) << s;
                        }
                        EXPECT_EQ(t.One("select dz_bdays from lib_duzhe where dz_id = 1"), "60");
                    }},

        // ---- The steps 2007-03-12 to 2012-03-15 at the 2005-03 level ----
        // The widths changed; the work copy stays, empty; lib_people as it was.
        FailureCase{"PeopleWithAThirdColumn", test::kLevel2005_03,
                    "alter table lib_people add pe_dept char(20) default('')\nGO\n", false,
                    "Column name or number of supplied values does not match table definition.",
                    MarkersUpTo("PEOPLE_LEN_12"),
                    [](FailedRunTest& t) {
                        EXPECT_EQ(t.ColumnOf("lib_enterpeople", "ep_name")->length, 20);
                        EXPECT_EQ(t.One("select count(*) from lib_peopletmp"), "0");
                        EXPECT_EQ(t.ColumnOf("lib_people", "pe_code")->length, 9);
                        EXPECT_EQ(t.One("select count(*) from lib_people"), "5");
                    },
                    ""},
        FailureCase{"BarcodesWithoutEndDate", test::kLevel2005_03,
                    "drop table lib_tiaoma\nGO\ncreate table lib_tiaoma (tm_barcode char(9) NOT "
                    "NULL, tm_mark char(1) default('0'), tm_no int NOT NULL, tm_logdate datetime "
                    "default(getdate()))\nGO\nalter table lib_tiaoma add constraint PK_lib_tiaoma "
                    "primary key nonclustered (tm_barcode)\nGO\ninsert into lib_tiaoma "
                    "(tm_barcode, tm_no, tm_logdate) values ('B00000001', 1, '2007-07-02'), "
                    "('B00000002', 2, '2007-12-20')\nGO\n",
                    false, "Invalid column name 'tm_enddate'.",
                    MarkersUpTo("ZZ20071203.BOOKBAR_LEN_12"),
                    [](FailedRunTest& t) {
                        EXPECT_EQ(t.One("select count(*) from lib_tiaoma_tmp"), "0");
                        EXPECT_EQ(t.ColumnOf("lib_tiaoma", "tm_barcode")->length, 9);
                        EXPECT_EQ(t.One("select count(*) from lib_tiaoma"), "2");
                        EXPECT_TRUE(t.Exists("lib_biaoqianfont"));
                        // The bar stays where the step stopped.
                        EXPECT_TRUE(t.shown().barVisible);
                        EXPECT_EQ(t.shown().barValue, 5);
                    },
                    ""}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavel
