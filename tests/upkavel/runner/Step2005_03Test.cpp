// Step 2005-03 through the upgrade runner on a stand-in database at the baseline level: the
// columns and tables it adds, the sort keys it stores, the lending settings that come with
// fines, what a second run sends, the menu rows with and without a key on the code, and the
// failures that a later run gets past. The failures that leave the window as it was are in
// FailedRunFormTest.cpp.

#include <gtest/gtest.h>

#include <algorithm>

#include "Cp936.h"
#include "DoubleQuotes.h"
#include "ExpectedTrace.h"
#include "MakeNoOrder.h"
#include "RecordingRunner.h"
#include "TQuery.h"
#include "Trim.h"

namespace kavel {
namespace {

using test::ColumnInfo;

// syscolumns as SQL Server describes each type (prec of a char column is its length).
ColumnInfo Int(const std::string& name, bool nullable = true, bool hasDefault = true) {
    return {name, 56, 4, 10, 0, nullable, hasDefault};
}
ColumnInfo Char(const std::string& name, int n, bool nullable = true, bool hasDefault = true) {
    return {name, 175, n, n, 0, nullable, hasDefault};
}
ColumnInfo Numeric(const std::string& name, int p, int s, bool nullable = true,
                   bool hasDefault = true) {
    return {name, 108, p <= 9 ? 5 : 9, p, s, nullable, hasDefault};
}
ColumnInfo DateTime(const std::string& name, bool nullable = true, bool hasDefault = true) {
    return {name, 61, 8, 23, 3, nullable, hasDefault};
}

std::vector<ColumnInfo> CounterColumns(int counters) {
    std::vector<ColumnInfo> columns{Numeric("p4_id", 2, 0, false, false), Char("p4_dzlx", 10)};
    for (int i = 1; i <= counters; ++i) columns.push_back(Numeric("p4_" + std::to_string(i), 6, 0));
    columns.push_back(Numeric("p4_total", 6, 0));
    return columns;
}

std::string TableProbe(const std::string& table) {
    return "select * from sysobjects where name ='" + table + "'\r\n";
}
std::string ColumnProbe(const std::string& table, const std::string& column) {
    return "select name from syscolumns where name='" + column +
           "' and id in (select id from sysobjects where name = '" + table + "')\r\n";
}

class Step2005_03Test : public test::RunnerTest {
protected:
    void Start(const std::string& extraSql = {}) { StartRunner(test::kBaselineLevel, extraSql); }

    // One run as the upgrade button runs it (the baseline box not ticked): the error that ended
    // it (empty when none did) and the boxes it showed.
    struct Run {
        std::string failure;
        std::vector<test::ShownBox> boxes;
    };
    Run RunUpgrade() {
        recorder.boxes.clear();
        Run run;
        run.failure = RunUpgradeFailure(false);
        run.boxes = recorder.boxes;
        return run;
    }

    void ExpectSuccess(const Run& run) {
        EXPECT_EQ(run.failure, "");
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].text, "Kavel升级成功，请更新Kavel.exe");
    }

    std::size_t Count(const std::string& sql) { return std::stoul(Column(sql).at(0)); }

    // A statement of the main program between two runs, on the runner's own connection.
    void Exec(const std::string& sql) {
        TQuery query(database);
        query.AddSql(sql);
        query.ExecSQL();
    }

    // The statements sent since `mark` that begin with `prefix`.
    std::vector<std::string> SentSince(std::size_t mark, const std::string& prefix) const {
        std::vector<std::string> sent;
        for (const auto& s : TracedSince(mark))
            if (s.rfind(prefix, 0) == 0) sent.push_back(s);
        return sent;
    }
};

TEST_F(Step2005_03Test, AddsEveryColumnAndTable) {
    Start();
    if (IsSkipped()) return;
    // The step alone: later steps widen and move some of these columns.
    runner->Do2005_03();

    struct Case {
        std::string table;
        std::vector<ColumnInfo> columns;  // the whole table, or its last columns for a table
        bool whole;                       // that the step only adds to
    } cases[] = {
        {"lib_bianma",
         {Char("bm_bookno", 22), Char("bm_link", 128), Char("bm_noorder", 26)},
         false},
        {"lib_issncode",
         {Char("ic_cnno", 12), Char("ic_phttp", 128), Char("ic_fenlei", 20)},
         false},
        {"lib_bkzd", {Char("zd_issn", 13), Int("zd_inlib"), Char("zd_otheraddr", 128)}, false},
        {"lib_bkzdls", {Char("zd_issn", 13), Int("zd_inlib"), Char("zd_otheraddr", 128)}, false},
        {"lib_bkzdtmp",
         {Char("zd_order", 10, false, false), Int("zd_inlib"), Char("zd_otheraddr", 128)},
         false},
        {"lib_canshub", {Numeric("cs_toudilv", 5, 2), Int("cs_inlibsign")}, false},
        {"lib_duzhe", {Numeric("dz_booknum", 2, 0), Numeric("dz_fakuan", 6, 2)}, false},
        {"lib_prttab4new", CounterColumns(31), true},
        {"lib_prttab4anew", CounterColumns(12), true},
        {"lib_curtermno",
         {Char("ct_termno", 8, false, false), Char("ct_date", 10, false, false)},
         true},
        {"lib_fakuan",
         {Int("fk_no", false, false), Char("fk_id", 9, false, false), DateTime("fk_date"),
          Numeric("fk_amount", 6, 2), Char("fk_why", 80), Char("fk_operator", 6),
          Char("fk_name", 8), Char("fk_deptment", 40), Int("fk_type"), Char("fk_optname", 20)},
         true},
        {"lib_jieyueorder",
         {Char("jy_code", 10, false, false), Char("jy_name", 40), Char("jy_issn", 13),
          Numeric("jy_price", 5, 2), Int("jy_number"), Char("jy_user", 6)},
         true},
    };
    for (const auto& c : cases) {
        auto columns = ColumnsOf(c.table);
        if (!c.whole && columns.size() > c.columns.size())
            columns.erase(columns.begin(),
                          columns.end() - static_cast<std::ptrdiff_t>(c.columns.size()));
        EXPECT_EQ(columns, c.columns) << c.table;
    }

    // Keys: only lib_fakuan has one; the counter, terminal and lending-order tables none.
    EXPECT_EQ(
        Column("select name from sysobjects where xtype='PK' and parent_obj in (select id from "
               "sysobjects where name in ('lib_fakuan','lib_prttab4new','lib_prttab4anew',"
               "'lib_curtermno','lib_jieyueorder'))"),
        std::vector<std::string>{"PK_lib_fakuan"});
    // Rows already there carry the UPDATE's values, not NULL; the new tables start as stated.
    EXPECT_EQ(Count("select count(*) from lib_bianma where bm_link <> '' or bm_link is null"), 0u);
    EXPECT_EQ(
        Count("select count(*) from lib_issncode where ic_phttp is null or ic_fenlei is null"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_bkzd where zd_inlib <> 0 or zd_inlib is null or "
                    "zd_otheraddr is null"),
              0u);
    EXPECT_EQ(
        Count("select count(*) from lib_bkzdls where zd_inlib is null or zd_otheraddr is null"),
        0u);
    EXPECT_EQ(
        Count("select count(*) from lib_canshub where cs_inlibsign is null or cs_inlibsign <> 0"),
        0u);
    EXPECT_EQ(Rows("select '[' + ct_termno + ct_date + ']' from lib_curtermno"),
              (std::vector<std::vector<std::string>>{{"[" + std::string(18, ' ') + "]"}}));
    EXPECT_EQ(Count("select count(*) from lib_prttab4new"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_fakuan"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_jieyueorder"), 0u);
}

TEST_F(Step2005_03Test, StoresTheSortKeyOfEveryCallNumber) {
    // Call numbers as the test writes them (UTF-8); each stored key must be MakeNoOrder of the
    // GBK bytes, trimmed. Quotes, blanks, small letters and double-byte characters included.
    const std::string bookNos[] = {
        "2005-3/4",
        "TP312.8/15",
        "I247.5/123:2",
        "TP3/15=1",
        "TP3/15:12",
        "A/1:23=4",
        "G4/5a:3",
        "A/12/3",
        "K(2)=3",
        "A/B",
        "/12",
        "abc/7",
        "  H31 / 2 ",
        "ABCDEFGHIJKLMNOP/123",
        "ABCDEFGHIJKLMNOPQRS/12",
        "O'K/7",
        "''/'",
        "中文/12",
        "丄/1",
        "G25/中文:5",
        "期刊期刊期刊期刊期刊/9",
        "Ｉ２４７/１",
        "€/5",
        "",
    };
    std::string inserts = "delete from lib_bianma\nGO\n";
    for (const auto& bookNo : bookNos)
        inserts += "insert into lib_bianma (bm_code, bm_order, bm_bookno) values ('X', 'X', N" +
                   Quoted(bookNo) + ")\nGO\n";
    Start(inserts +
          "insert into lib_bianma (bm_code, bm_order, bm_bookno) values ('X', 'X', NULL)\nGO\n");
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());

    const auto rows =
        Rows("select bm_noorder, datalength(bm_noorder) as bytes from lib_bianma order by bm_no");
    ASSERT_EQ(rows.size(), std::size(bookNos) + 1);
    for (std::size_t i = 0; i < std::size(bookNos); ++i) {
        EXPECT_EQ(rows[i][0], Trim(MakeNoOrder(Utf8ToCp936(bookNos[i])))) << bookNos[i];
        EXPECT_EQ(rows[i][1], "26") << bookNos[i];
    }
    // A quote becomes '$' and never reaches the statement; NULL reads as the empty call number.
    EXPECT_EQ(rows[15][0], "O$K 00000000000007");
    EXPECT_EQ(rows[16][0], "$$ $");
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"", "26"}));
}

TEST_F(Step2005_03Test, LoansBecome30DaysOnlyInTheRunThatCreatesTheFinesTable) {
    Start();
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(Column("select dz_bdays from lib_duzhe order by dz_id"),
              (std::vector<std::string>{"30", "30", "30"}));
    EXPECT_EQ(Column("select convert(varchar(23), js_edate, 121) from lib_jieshu order by js_no"),
              (std::vector<std::string>{"2008-03-01 09:00:00.000", "2008-02-14 10:00:00.000",
                                        "2009-01-19 00:00:00.000"}));

    // Changed by the main program afterwards: a later run leaves them alone.
    Exec("update lib_duzhe set dz_bdays = 45 where dz_id = 1");
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(Column("select dz_bdays from lib_duzhe order by dz_id"),
              (std::vector<std::string>{"45", "30", "30"}));
    EXPECT_EQ(Column("select convert(varchar(23), js_edate, 121) from lib_jieshu where js_no = 1"),
              std::vector<std::string>{"2008-03-01 09:00:00.000"});
}

TEST_F(Step2005_03Test, AnExistingFinesTableLeavesLoansAlone) {
    // A fines table the main program made itself (with the columns later steps widen).
    Start("create table lib_fakuan (fk_no int NOT NULL, fk_id char(9), fk_name char(8))\nGO\n");
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(Column("select isnull(dz_bdays, -1) from lib_duzhe order by dz_id"),
              (std::vector<std::string>{"60", "15", "-1"}));
    EXPECT_EQ(Column("select convert(varchar(23), js_edate, 121) from lib_jieshu where js_no = 1"),
              std::vector<std::string>{"2008-02-14 09:00:00.000"});
    EXPECT_EQ(ColumnsOf("lib_fakuan").size(), 3u);
}

TEST_F(Step2005_03Test, FinesAre0_1ForReadersThereBeforeAnd0ForNewOnes) {
    Start();
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());
    Exec("insert into lib_duzhe (dz_id) values (4)");
    EXPECT_EQ(Column("select dz_fakuan from lib_duzhe order by dz_id"),
              (std::vector<std::string>{"0.10", "0.10", "0.10", "0.00"}));
    // A second run does not reset them.
    Exec("update lib_duzhe set dz_fakuan = 2.5 where dz_id = 1");
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(Column("select dz_fakuan from lib_duzhe where dz_id = 1"),
              std::vector<std::string>{"2.50"});
}

// lib_gongneng without a key on the code, and with one.
class Step2005_03MenuKeyTest : public Step2005_03Test,
                               public testing::WithParamInterface<std::string> {};

TEST_P(Step2005_03MenuKeyTest, MenuRowsAreAddedOnce) {
    Start(GetParam());
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());
    const auto mark = TraceMark();
    runner->Do2005_03();
    // Its probes and nothing else.
    EXPECT_EQ(
        test::MatchTrace(TracedSince(mark), test::ExpectedTrace("step2005_03_second_run.trace")),
        "");
    ExpectSuccess(RunUpgrade());

    EXPECT_EQ(Rows("select gn_menucode, gn_menuitem from lib_gongneng where gn_menucode in "
                   "(391, 392, 399, 901, 2109) order by gn_menucode"),
              (std::vector<std::vector<std::string>>{{"391", "义工管理"},
                                                     {"392", "义工签到"},
                                                     {"399", "阅览室管理"},
                                                     {"901", "一卡通参数配置"},
                                                     {"2109", "到刊记事查询"}}));
}

INSTANTIATE_TEST_SUITE_P(, Step2005_03MenuKeyTest,
                         testing::Values("",
                                         "alter table lib_gongneng add constraint PK_lib_gongneng "
                                         "primary key nonclustered (gn_menucode)\nGO\n"),
                         [](const auto& info) {
                             return info.param.empty() ? "NoKey" : "UniqueKey";
                         });

TEST_F(Step2005_03Test, ExistingMenuRowsAreNotInsertedAgain) {
    Start(
        "insert into lib_gongneng values (391, '旧义工'), (392, '旧签到'), (901, "
        "'旧一卡通')\nGO\n");
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(SentSince(mark, "INSERT INTO lib_gongneng"),
              std::vector<std::string>{"INSERT INTO lib_gongneng VALUES(399,'阅览室管理')\r\n"});
    EXPECT_EQ(
        Rows("select gn_menucode, gn_menuitem from lib_gongneng where gn_menucode in "
             "(391, 392, 399, 901) order by gn_menucode"),
        (std::vector<std::vector<std::string>>{
            {"391", "旧义工"}, {"392", "旧签到"}, {"399", "阅览室管理"}, {"901", "旧一卡通"}}));
}

TEST_F(Step2005_03Test, AnActionThatFailedHalfWayIsNotResumed) {
    // ic_fenlei already there: the second ALTER of its action fails, ic_phttp stays added, and the
    // next run finds ic_phttp and skips the action, its UPDATE included.
    Start("alter table lib_issncode add ic_fenlei char(20) DEFAULT('')\nGO\n");
    if (IsSkipped()) return;
    const auto failed = RunUpgrade();
    EXPECT_TRUE(failed.boxes.empty());
    EXPECT_EQ(failed.failure,
              "Column names in each table must be unique. Column name 'ic_fenlei' in "
              "table 'lib_issncode' is specified more than once.");
    const auto issn = ColumnsOf("lib_issncode");
    ASSERT_FALSE(issn.empty());
    EXPECT_EQ(issn.back().name, "ic_phttp");
    const auto mark = TraceMark();
    ExpectSuccess(RunUpgrade());
    EXPECT_TRUE(SentSince(mark, "update lib_issncode").empty());
    EXPECT_EQ(Count("select count(*) from lib_issncode where ic_phttp is null"), 3u);
}

TEST_F(Step2005_03Test, AFailedKeyOfTheFinesTableIsNotRetried) {
    // Another object already holds the name of the key: the ALTER fails after the CREATE.
    Start(
        "create table lib_other (ot_id int NOT NULL)\nGO\n"
        "alter table lib_other add constraint PK_lib_fakuan primary key nonclustered "
        "(ot_id)\nGO\n");
    if (IsSkipped()) return;
    const auto failed = RunUpgrade();
    EXPECT_TRUE(failed.boxes.empty());
    EXPECT_NE(failed.failure.find("PK_lib_fakuan"), std::string::npos) << failed.failure;
    EXPECT_EQ(ColumnsOf("lib_fakuan").size(), 10u);
    EXPECT_EQ(Column("select dz_bdays from lib_duzhe where dz_id = 1"),
              std::vector<std::string>{"60"});

    const auto mark = TraceMark();
    ExpectSuccess(RunUpgrade());
    EXPECT_TRUE(SentSince(mark, "ALTER TABLE lib_fakuan").empty());
    EXPECT_TRUE(SentSince(mark, "update lib_duzhe set dz_bdays").empty());
    EXPECT_TRUE(SentSince(mark, "update lib_jieshu").empty());
    EXPECT_EQ(Column("select dz_bdays from lib_duzhe where dz_id = 1"),
              std::vector<std::string>{"60"});
    EXPECT_EQ(Column("select name from sysobjects where parent_obj in "
                     "(select id from sysobjects where name = 'lib_fakuan') and xtype = 'PK'"),
              std::vector<std::string>{});
}

TEST_F(Step2005_03Test, AFirstRunSendsExactlyTheseStatements) {
    Start();
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    runner->Do2005_03();
    // The exact statements of a first run on the baseline-level database, in order.
    EXPECT_EQ(
        test::MatchTrace(TracedSince(mark), test::ExpectedTrace("step2005_03_first_run.trace")),
        "");
}

}  // namespace
}  // namespace kavel

namespace kavel {
namespace {

// On a database from before the baseline the baseline step runs exactly once: from the first
// action of step 2005-03 when its box is not ticked, from the driver when it is.
class Step2005_03BaselineTest : public test::RunnerTest,
                                public testing::WithParamInterface<bool> {};

TEST_P(Step2005_03BaselineTest, TheBaselineRunsOnceBeforeTheAddedColumns) {
    const bool ticked = GetParam();
    StartRunner(test::kOldestLayout);
    if (IsSkipped()) return;
    runner->ProgramFolder = KAVEL_SHIPPED_DATA_DIR;  // the baseline imports the shipped issn.dat
    const auto mark = TraceMark();
    ASSERT_EQ(RunUpgradeFailure(ticked), "");
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "Kavel升级成功，请更新Kavel.exe");

    const auto sent = TracedSince(mark);
    auto at = [&](const std::string& statement) {
        return std::find(sent.begin(), sent.end(), statement) - sent.begin();
    };
    // The baseline probes lib_bianma as well (before creating it): the step's probe is the last.
    auto lastAt = [&](const std::string& statement) {
        return sent.rend() - std::find(sent.rbegin(), sent.rend(), statement) - 1;
    };
    const std::string baselineFirst = TableProbe("lib_rukutj");
    const std::string stepFirst = TableProbe("lib_bianma");
    const std::string stepSecond = ColumnProbe("lib_bianma", "bm_link");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), baselineFirst), 1);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), stepSecond), 1);
    if (ticked) {
        EXPECT_LT(at(baselineFirst), lastAt(stepFirst));
        // lib_bianma is there by then: the step goes straight on with its columns.
        EXPECT_EQ(lastAt(stepFirst) + 1, at(stepSecond));
    } else {
        // The baseline starts right after the step's probe and ends before its second action.
        EXPECT_EQ(at(stepFirst) + 1, at(baselineFirst));
        EXPECT_LT(at(baselineFirst), at(stepSecond));
    }
    // The step's columns follow the baseline's (later steps move bm_month behind them).
    std::vector<std::string> names;
    for (const auto& c : ColumnsOf("lib_bianma")) names.push_back(c.name);
    const auto pos = [&](const char* n) { return std::find(names.begin(), names.end(), n); };
    EXPECT_LT(pos("bm_bookno"), pos("bm_link"));
    EXPECT_LT(pos("bm_link"), pos("bm_noorder"));
    EXPECT_NE(pos("bm_noorder"), names.end());
    EXPECT_EQ(ColumnsOf("lib_jieyueorder").size(), 6u);
}

INSTANTIATE_TEST_SUITE_P(, Step2005_03BaselineTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "BoxTicked" : "BoxUnticked"; });

}  // namespace
}  // namespace kavel
