// The dated steps 2007-03-12 to 2012-03-15 on a database at the 2005-03 level: what each sends
// on its first run and on a second one, what the tables hold afterwards, the cases where the
// ledger and the catalogue disagree. The faults that end a run, with the window they leave, are in
// FailedRunFormTest.cpp.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "ExpectedTrace.h"
#include "RecordingRunner.h"
#include "TQuery.h"

namespace kavel {
namespace {

using Step = void (TUpgradeRunner::*)();
using Table = std::vector<std::vector<std::string>>;
using Statements = std::vector<std::string>;

// The statements of a file of tests/upkavel/expected/, with the name the server gave the default
// constraint of bm_month (it carries an object id) in place of "{bm_month default}".
Statements ExpectedStatements(const std::string& fileName, const std::string& monthDefault) {
    auto statements = test::ExpectedTrace(fileName);
    const std::string placeholder = "{bm_month default}";
    for (auto& s : statements) {
        if (const auto at = s.find(placeholder); at != std::string::npos) {
            s.replace(at, placeholder.size(), monthDefault);
        }
    }
    return statements;
}

// The steps in driver order.
const Step kSteps[] = {&TUpgradeRunner::Do2007_03_12, &TUpgradeRunner::Do2007_11_03,
                       &TUpgradeRunner::Do2007_12_03, &TUpgradeRunner::Do2010_05_11,
                       &TUpgradeRunner::Do2010_12_30, &TUpgradeRunner::Do2012_03_15};

const std::vector<std::string> kStepMarkers = {
    "PEOPLE_LEN_12",          "ZZ20071103.CHGBMMONTH", "ZZ20071203.BOOKBAR_LEN_12",
    "ZZ20100511.PUBLISH_LEN", "ZZ20101230.YUELANSHI",  "ZZ20120315.BKZD"};

// The name the server gave the default constraint of bm_month when lib_bianma was created.
const char* kMonthDefaultName =
    "select name from sysobjects where id in (select cdefault from syscolumns "
    "where name='bm_month' and id in (select id from sysobjects where name='lib_bianma'))";

class LaterStepsTest : public test::RunnerTest {
public:
    void Start(const std::string& extraSql = {}) { StartRunner(test::kLevel2005_03, extraSql); }

    // Runs one step and returns the statements the server received meanwhile.
    Statements Traced(Step step) {
        const auto mark = TraceMark();
        ((*runner).*step)();
        return TracedSince(mark);
    }

    std::vector<std::string> Ledger() {
        auto rows = Column("select vm_mess from ver_manage");
        for (auto& r : rows) r.erase(r.find_last_not_of(' ') + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    // A statement that returns no rows, on a second connection; throws the server's error.
    void Exec(const std::string& sql) {
        TDatabase second;
        OpenSecondConnection(second);
        TQuery query(second);
        query.AddSql(sql);
        query.ExecSQL();
    }

    // The server's error for the statement, empty when it succeeds.
    std::string ErrorOf(const std::string& sql) {
        try {
            Exec(sql);
            return {};
        } catch (const std::exception& e) {
            return e.what();
        }
    }

    using StandinDatabaseTest::Column;
    using StandinDatabaseTest::ColumnOf;
    using StandinDatabaseTest::ColumnsOf;
    using StandinDatabaseTest::Exists;
    using StandinDatabaseTest::Rows;
};

// ---- First and second run: the exact statements of each step, in driver order ----

TEST_F(LaterStepsTest, EachStepSendsItsStatementsByteForByteAndOnlyProbesTheSecondTime) {
    Start();
    if (IsSkipped()) return;
    const auto monthDefault = Column(kMonthDefaultName);
    ASSERT_EQ(monthDefault.size(), 1u);
    ASSERT_EQ(monthDefault[0].rfind("DF__lib_bianm__bm_mo__", 0), 0u) << monthDefault[0];

    // The whole first run, then the whole second run, each compared with its file.
    const auto runAll = [&] {
        Statements sent;
        for (const Step step : kSteps) {
            const auto traced = Traced(step);
            sent.insert(sent.end(), traced.begin(), traced.end());
        }
        return sent;
    };
    const auto first = runAll();
    EXPECT_EQ(
        test::MatchTrace(first, ExpectedStatements("later_steps_first_run.trace", monthDefault[0])),
        "");
    auto markers = kStepMarkers;
    std::sort(markers.begin(), markers.end());
    EXPECT_EQ(Ledger(), markers);

    const auto second = runAll();
    EXPECT_EQ(test::MatchTrace(second,
                               ExpectedStatements("later_steps_second_run.trace", monthDefault[0])),
              "");
    EXPECT_EQ(Ledger(), markers);
    EXPECT_FALSE(recorder.barVisible);
}

// ---- What the tables hold after each step's first run ----

TEST_F(LaterStepsTest, PersonCodesTakeTwelveBytesNamesTwentyAndPeopleKeepTheirRows) {
    Start();
    if (IsSkipped()) return;
    const char* people = "select pe_code, pe_name from lib_people order by pe_code";
    const auto peopleBefore = Rows(people);
    ASSERT_EQ(peopleBefore.size(), 5u);
    runner->Do2007_03_12();

    struct Widened {
        const char* table;
        const char* column;
        int length;
    } widened[] = {
        {"lib_bkzd", "zd_usercode", 12},      {"lib_bkzdtmp", "zd_usercode", 12},
        {"lib_bkzdls", "zd_usercode", 12},    {"lib_cuihuan", "ch_libcard", 12},
        {"lib_cuihuan", "ch_name", 20},       {"lib_jieshu", "js_libcard", 12},
        {"lib_fakuan", "fk_id", 12},          {"lib_fakuan", "fk_name", 20},
        {"lib_enterpeople", "ep_people", 12}, {"lib_enterpeople", "ep_name", 20},
        {"lib_people", "pe_code", 12},
    };
    for (const auto& w : widened) {
        SCOPED_TRACE(std::string(w.table) + "." + w.column);
        const auto column = ColumnOf(w.table, w.column);
        ASSERT_TRUE(column.has_value());
        EXPECT_EQ(column->xtype, 175);  // still char
        EXPECT_EQ(column->length, w.length);
    }

    // Values that fill the new widths are stored whole, Chinese names of 20 bytes included;
    // one byte more does not fit.
    const std::string code = "R12345678901";
    const std::string name = "欧阳晓明欧阳晓明欧阳";  // ten double-byte characters
    Exec("insert into lib_cuihuan (ch_libcard, ch_name) values ('" + code + "', '" + name + "')");
    Exec("insert into lib_fakuan (fk_id, fk_name) values ('" + code + "', '" + name + "')");
    Exec("insert into lib_enterpeople (ep_people, ep_name) values ('" + code + "', '" + name +
         "')");
    Exec("insert into lib_jieshu (js_libcard, js_barcode) values ('" + code + "', 'B00000009')");
    Exec("insert into lib_bkzd (zd_code, zd_usercode, zd_username) values ('1-001', '" + code +
         "', '" + name + "')");
    EXPECT_EQ(Rows("select ch_libcard, ch_name from lib_cuihuan where ch_libcard = '" + code + "'"),
              (Table{{code, name}}));
    EXPECT_EQ(Rows("select fk_id, fk_name from lib_fakuan where fk_id = '" + code + "'"),
              (Table{{code, name}}));
    EXPECT_EQ(
        Rows("select ep_people, ep_name from lib_enterpeople where ep_people = '" + code + "'"),
        (Table{{code, name}}));
    EXPECT_EQ(Rows("select js_libcard from lib_jieshu where js_barcode = 'B00000009'"),
              (Table{{code}}));
    EXPECT_EQ(Rows("select zd_usercode from lib_bkzd where zd_username = '" + name + "'"),
              (Table{{code}}));
    EXPECT_NE(ErrorOf("insert into lib_cuihuan (ch_name) values ('" + name + "x')"), "");
    EXPECT_NE(ErrorOf("insert into lib_fakuan (fk_id) values ('" + code + "9')"), "");

    // lib_people: the same rows under a key of 12; the work copy is gone.
    EXPECT_EQ(Rows(people), peopleBefore);
    EXPECT_EQ(ColumnsOf("lib_people").size(), 2u);
    EXPECT_EQ(Column("select xtype from sysobjects where name = 'PK_lib_people'"),
              std::vector<std::string>{"PK"});
    EXPECT_FALSE(Exists("lib_peopletmp"));
    EXPECT_EQ(ErrorOf("insert into lib_people (pe_code, pe_name) values ('" + code + "', '" + name +
                      "')"),
              "");
    EXPECT_NE(ErrorOf("insert into lib_people (pe_code) values ('000000001')"), "");
}

TEST_F(LaterStepsTest, TheMonthBecomesTextBesideItsNumberAndPeriodicalsGetAnOrder) {
    Start();
    if (IsSkipped()) return;
    const auto codes = Rows("select bk_code from lib_baokan order by bk_code");
    runner->Do2007_11_03();

    EXPECT_EQ(Rows("select bm_code, bm_monthnum, '[' + bm_month + ']' as m from lib_bianma "
                   "order by bm_no"),
              (Table{{"1-003", "7", "[7           ]"},
                     {"1-002", "12", "[12          ]"},
                     {"1-001", "0", "[0           ]"}}));
    Exec("insert into lib_bianma (bm_code, bm_order) values ('1-009', '1-009')");
    EXPECT_EQ(Rows("select bm_monthnum, '[' + bm_month + ']' as m from lib_bianma "
                   "where bm_code = '1-009'"),
              (Table{{"0", "[            ]"}}));

    // bm_month is re-created last, as char(12) with a default of its own, after bm_monthnum;
    // the work column and the work table are gone.
    const auto columns = ColumnsOf("lib_bianma");
    ASSERT_GE(columns.size(), 2u);
    EXPECT_EQ(columns[columns.size() - 2].name, "bm_monthnum");
    EXPECT_EQ(columns.back().name, "bm_month");
    EXPECT_EQ(columns.back().xtype, 175);
    EXPECT_EQ(columns.back().length, 12);
    EXPECT_TRUE(columns.back().hasDefault);
    EXPECT_FALSE(ColumnOf("lib_bianma", "bm_month1").has_value());
    EXPECT_FALSE(Exists("tmp_tmp_bm"));

    // bk_order copies bk_code in every row there was; a new row gets the empty text.
    EXPECT_EQ(Rows("select bk_order from lib_baokan order by bk_code"), codes);
    Exec("insert into lib_baokan (bk_code) values ('1-077')");
    EXPECT_EQ(Rows("select '[' + bk_order + ']' as o from lib_baokan where bk_code = '1-077'"),
              (Table{{"[          ]"}}));
}

TEST_F(LaterStepsTest, AMonthWithoutADefaultIsConvertedWithoutADrop) {
    Start();
    if (IsSkipped()) return;
    const auto monthDefault = Column(kMonthDefaultName);
    ASSERT_EQ(monthDefault.size(), 1u);
    Exec("alter table lib_bianma drop constraint " + monthDefault[0]);
    const auto traced = Traced(&TUpgradeRunner::Do2007_11_03);
    EXPECT_TRUE(std::none_of(traced.begin(), traced.end(), [](const std::string& s) {
        return s.find("DROP CONSTRAINT") != std::string::npos;
    }));
    EXPECT_EQ(Rows("select bm_monthnum, bm_month from lib_bianma order by bm_no"),
              (Table{{"7", "7"}, {"12", "12"}, {"0", "0"}}));
}

TEST_F(LaterStepsTest, EveryBarcodeSurvivesTheRebuildWithItsDatesKeyAndIndex) {
    Start();
    if (IsSkipped()) return;
    const char* barcodes =
        "select tm_barcode, tm_mark, tm_no, tm_logdate, tm_enddate "
        "from lib_tiaoma order by tm_barcode";
    const auto before = Rows(barcodes);
    ASSERT_EQ(before.size(), 3u);
    runner->Do2007_12_03();

    EXPECT_EQ(Rows(barcodes), before);
    EXPECT_FALSE(Exists("lib_tiaoma_tmp"));
    EXPECT_EQ(ColumnsOf("lib_tiaoma").size(), 5u);
    EXPECT_EQ(ColumnOf("lib_tiaoma", "tm_barcode")->length, 12);
    EXPECT_FALSE(ColumnOf("lib_tiaoma", "tm_barcode")->nullable);
    EXPECT_EQ(Rows("select name, OrigFillFactor from sysindexes where id in (select id from "
                   "sysobjects where name in ('lib_tiaoma', 'lib_jieshu')) and name is not null "
                   "order by name"),
              (Table{{"PK_lib_jieshu", "0"},
                     {"PK_lib_jieshu_barcode", "85"},
                     {"PK_lib_tiaoma", "0"},
                     {"PK_lib_tiaoma_code", "85"}}));
    EXPECT_EQ(Column("select xtype from sysobjects where name = 'PK_lib_tiaoma'"),
              std::vector<std::string>{"PK"});
    EXPECT_NE(ErrorOf("insert into lib_tiaoma (tm_barcode, tm_no) values ('B00000001', 9)"), "");

    // A barcode of 12 characters fits the register, the loans and the recommended books.
    const std::string barcode = "B12345678901";
    Exec("insert into lib_tiaoma (tm_barcode, tm_no) values ('" + barcode + "', 9)");
    Exec("insert into lib_jieshu (js_libcard, js_barcode) values ('R00000001', '" + barcode + "')");
    Exec("insert into lib_goodbook (gb_barcode) values ('" + barcode + "')");
    for (const char* sql : {"select tm_barcode from lib_tiaoma where tm_no = 9",
                            "select js_barcode from lib_jieshu where js_libcard = 'R00000001' "
                            "and js_barcode like 'B1%'",
                            "select gb_barcode from lib_goodbook where gb_code = 0"}) {
        EXPECT_EQ(Rows(sql), (Table{{barcode}})) << sql;
    }

    // The label fonts: one row of defaults.
    EXPECT_EQ(Rows("select * from lib_biaoqianfont"),
              (Table{{"0", "Arial", "14", "1", "宋体", "14", "1", "宋体", "14", "1"}}));
}

TEST_F(LaterStepsTest, TheBarcodeRebuildMovesTheBarThroughItsFivePositionsThenHidesIt) {
    Start();
    if (IsSkipped()) return;
    std::vector<int> positions;
    std::vector<bool> shown;
    recorder.onBarMoved = [&](int value) {
        positions.push_back(value);
        shown.push_back(recorder.barVisible);
    };
    ASSERT_FALSE(recorder.barVisible);
    runner->Do2007_12_03();
    EXPECT_EQ(positions, (std::vector<int>{5, 25, 45, 55, 90}));
    EXPECT_EQ(shown, std::vector<bool>(5, true));
    EXPECT_FALSE(recorder.barVisible);
}

TEST_F(LaterStepsTest, PublishersReadingRoomsSignsAndShelfNumbers) {
    Start();
    if (IsSkipped()) return;
    const auto publishers = Rows("select bm_publish from lib_bianma order by bm_no");
    runner->Do2010_05_11();
    runner->Do2010_12_30();
    runner->Do2012_03_15();

    // Publishers keep their texts; 40 bytes fit.
    EXPECT_EQ(Rows("select bm_publish from lib_bianma order by bm_no"), publishers);
    const std::string publisher = "中国科学院文献情报中心出版社北京分社图书";
    Exec("update lib_bianma set bm_publish = '" + publisher + "' where bm_code = '1-001'");
    EXPECT_EQ(Rows("select bm_publish from lib_bianma where bm_code = '1-001'"),
              (Table{{publisher}}));

    // One reading room, the default; every entry so far is in it and signed out; a new entry
    // is in it too, and signed in.
    EXPECT_EQ(Rows("select yn_id, yn_name from lib_YlsName"), (Table{{"0", "默认阅览室"}}));
    EXPECT_EQ(Column("select xtype from sysobjects where name = 'PK_lib_YlsName'"),
              std::vector<std::string>{"PK"});
    EXPECT_EQ(Rows("select ep_room, ep_sign from lib_enterpeople order by ep_no"),
              (Table{{"0", "签退"}, {"0", "签退"}}));
    Exec("insert into lib_enterpeople (ep_people, ep_name) values ('R00000009', '新读者')");
    EXPECT_EQ(Rows("select ep_room, ep_sign from lib_enterpeople where ep_people = 'R00000009'"),
              (Table{{"0", "签到"}}));

    // Reader type and department: NULL in the rows there were, empty text in a new one.
    Exec("insert into lib_enterpeoplep (ep_pnumber, ep_enumber, ep_bilv) values (1, 2, 3)");
    EXPECT_EQ(Rows("select ep_pnumber, ep_dzlx, ep_deptment from lib_enterpeoplep "
                   "order by ep_pnumber"),
              (Table{{"1", "", ""}, {"120", "NULL", "NULL"}}));

    // Shelf numbers: empty text in every subscription and work row.
    for (const char* table : {"lib_bkzd", "lib_bkzdtmp"}) {
        EXPECT_EQ(Rows(std::string("select distinct '[' + zd_shanjiahao + ']' as s from ") + table),
                  (Table{{"[            ]"}}))
            << table;
    }
}

// ---- Ledger and catalogue out of step with each other ----

std::string Marked(const char* marker) {
    return std::string("insert into ver_manage(vm_mess) values('") + marker + "')\nGO\n";
}

// What the step sends is in tests/upkavel/expected/later_steps_guard_<name>.trace.
struct MismatchCase {
    const char* name;
    std::string extraSql;
    Step step;
    const char* marker;  // the one ledger row afterwards
};

void PrintTo(const MismatchCase& c, std::ostream* out) { *out << c.name; }

class LaterStepsMismatchTest : public LaterStepsTest,
                               public testing::WithParamInterface<MismatchCase> {};

TEST_P(LaterStepsMismatchTest, OnlyWhatTheGuardsLetThroughIsSent) {
    Start(GetParam().extraSql);
    if (IsSkipped()) return;
    const auto monthDefault = Column(kMonthDefaultName);
    EXPECT_EQ(test::MatchTrace(
                  Traced(GetParam().step),
                  ExpectedStatements(std::string("later_steps_guard_") + GetParam().name + ".trace",
                                     monthDefault.empty() ? std::string() : monthDefault[0])),
              "");
    EXPECT_EQ(Ledger(), std::vector<std::string>{GetParam().marker});
    EXPECT_FALSE(recorder.barVisible);
    // lib_people keeps its rows even when its columns had been widened already.
    EXPECT_EQ(Column("select count(*) from lib_people"), std::vector<std::string>{"5"});
}

INSTANTIATE_TEST_SUITE_P(
    Guards, LaterStepsMismatchTest,
    testing::Values(
        MismatchCase{"PeopleMarkerAbsentColumnsAlreadyWide",
                     "alter table lib_cuihuan alter column ch_name char(20)\nGO\n"
                     "alter table lib_fakuan alter column fk_id char(12)\nGO\n"
                     "alter table lib_bkzd alter column zd_usercode char(12)\nGO\n",
                     &TUpgradeRunner::Do2007_03_12, "PEOPLE_LEN_12"},
        MismatchCase{"MonthMarkerPresentOrderColumnMissing", Marked("ZZ20071103.CHGBMMONTH"),
                     &TUpgradeRunner::Do2007_11_03, "ZZ20071103.CHGBMMONTH"},
        MismatchCase{"MonthMarkerAbsentOrderColumnPresent",
                     "alter table lib_baokan add bk_order char(10)\nGO\n",
                     &TUpgradeRunner::Do2007_11_03, "ZZ20071103.CHGBMMONTH"},
        MismatchCase{"BarcodeMarkerPresentFontTableMissing", Marked("ZZ20071203.BOOKBAR_LEN_12"),
                     &TUpgradeRunner::Do2007_12_03, "ZZ20071203.BOOKBAR_LEN_12"},
        MismatchCase{"BkzdMarkerPresentSignColumnMissing", Marked("ZZ20120315.BKZD"),
                     &TUpgradeRunner::Do2012_03_15, "ZZ20120315.BKZD"},
        MismatchCase{"BkzdMarkerAbsentShelfColumnPresent",
                     "alter table lib_bkzd add zd_shanjiahao char(12) default('')\nGO\n"
                     "alter table lib_enterpeoplep add ep_dzlx char(20) default('')\nGO\n"
                     "alter table lib_enterpeople add ep_sign char(4) default('签到')\nGO\n",
                     &TUpgradeRunner::Do2012_03_15, "ZZ20120315.BKZD"}),
    [](const testing::TestParamInfo<MismatchCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavel
