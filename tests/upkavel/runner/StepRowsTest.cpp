// What the steps make of rows their statements depend on (call numbers, ISSN codes, menu rows,
// a fines table or a month default already there) and the progress they show while they walk.
// The statements on the sample databases are pinned in StepTraceTest, the failures in
// FailedRunTest.

#include <gtest/gtest.h>

#include <algorithm>

#include "BaselineExtraSql.h"
#include "DoubleQuotes.h"
#include "IssnLine.h"
#include "RecordingRunner.h"
#include "TQuery.h"

namespace kavel {
namespace {

using Table = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

class StepRowsTest : public test::RunnerTest {
protected:
    // The runner on `fixture` plus `extraSql`, its program folder holding an empty issn.dat (the
    // baseline's import then leaves lib_issncode as the extra SQL made it).
    void Start(const char* fixture, const std::string& extraSql = {}) {
        StartRunner(fixture, extraSql);
        if (IsSkipped() || HasFatalFailure()) return;
        WriteFile("issn.dat", "");
    }

    // One run as the upgrade button runs it (box unticked), going to the end.
    void ExpectSuccessfulRun() {
        recorder.boxes.clear();
        EXPECT_EQ(RunUpgradeFailure(false), "");
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].text, test::kSuccess);
    }
};

// ---- The baseline on the oldest layout ----

TEST_F(StepRowsTest, TheIssnCopyPumpsAndMovesTheBarOncePerCodeWrappingAtTheMaximum) {
    Start(test::kOldestLayout, test::kIssnCodes);
    if (IsSkipped()) return;
    // Only what happens while the codes are walked counts; the jobs may move the bar too.
    auto walkingCode = [&]() -> std::string {
        if (!runner->qrTmp.Active() ||
            runner->qrTmp.Sql() != Strings{"select * from lib_issncode "})
            return {};
        return TrimmedField(runner->qrTmp, "ic_code");
    };
    std::vector<std::pair<std::string, int>> moves;
    recorder.onBarMoved = [&](int value) {
        if (const auto code = walkingCode(); !code.empty()) moves.push_back({code, value});
    };
    Strings pumped;
    recorder.onPump = [&] {
        const auto code = walkingCode();
        if (!code.empty() && (pumped.empty() || pumped.back() != code)) pumped.push_back(code);
    };

    // The import sets the bar to 10 and moves it once per line of issn.dat; lines for a code
    // already stored change nothing, so they set where the copy starts: 10 + lines.
    const struct {
        std::size_t importLines;
        std::vector<int> positions;  // after each of the six codes
    } cases[] = {
        {88, {99, 100, 1, 2, 3, 4}},
        {0, {11, 12, 13, 14, 15, 16}},
    };
    const Strings codes = {"1-001", "1-003", "1-004", "1-006", "1-777", "O'K-016"};
    const std::string line = EncodeIssnLine(IssnRecordFromRow("1-001", "1000-1234", "")) + "\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.importLines);
        std::string issnDat;
        for (std::size_t i = 0; i < c.importLines; ++i) issnDat += line;
        WriteFile("issn.dat", issnDat);
        moves.clear();
        pumped.clear();
        runner->Do2005Before();
        std::vector<std::pair<std::string, int>> expected;
        for (std::size_t i = 0; i < codes.size(); ++i)
            expected.push_back({codes[i], c.positions[i]});
        EXPECT_EQ(moves, expected);
        EXPECT_EQ(pumped, codes);
    }
}

// The menu rows end the same with or without a key on the code, a row that is there stays as
// it is, and a second run adds none.
class BaselineMenuTest : public StepRowsTest, public testing::WithParamInterface<bool> {};

TEST_P(BaselineMenuTest, MenuRowsEndTheSameWithOrWithoutAKeyAndNeverTwice) {
    const bool keyed = GetParam();
    Start(test::kOldestLayout,
          test::kIssnCodes +
              (keyed ? "delete from lib_gongneng where gn_menuitem = '借还（重复）'\nGO\n"
                       "alter table lib_gongneng add constraint PK_lib_gongneng primary key "
                       "nonclustered (gn_menucode)\nGO\n"
                       "insert into lib_gongneng values (2601, '旧的阅览室')\nGO\n"
                     : ""));
    if (IsSkipped()) return;
    const Table expected = {{"1101", "期刊订购"},
                            {"2101", "到刊登记"},
                            {"2102", "到刊记事签收"},
                            {"2104", "预订库转换"},
                            {"2109", "到刊记事查询"},
                            {"2501", "现刊借还"},
                            {"2502", "现刊出入库管理"},
                            {"2503", "删除已停止流通的期刊"},
                            {"2601", keyed ? "旧的阅览室" : "阅览室管理"},
                            {"3101", "统计'报表'"}};
    const std::string menu =
        "select gn_menucode, gn_menuitem from lib_gongneng order by gn_menucode";
    runner->Do2005Before();
    EXPECT_EQ(Rows(menu), expected);
    runner->Do2005Before();
    EXPECT_EQ(Rows(menu), expected);
}

INSTANTIATE_TEST_SUITE_P(Menus, BaselineMenuTest, testing::Bool(), [](const auto& info) {
    return info.param ? "KeyOnTheCodeAnd2601There" : "NoKeyOnTheCode";
});

// A menu row the table refuses (here a key on the caption, which another code holds already) is
// passed over, and the rows after it are still written.
TEST_F(StepRowsTest, AMenuRowTheTableRefusesIsPassedOver) {
    Start(test::kOldestLayout,
          test::kIssnCodes +
              "delete from lib_gongneng where gn_menuitem = '借还（重复）'\nGO\n"
              "insert into lib_gongneng values (2599, '现刊借还')\nGO\n"
              "create unique index UQ_gn_menuitem on lib_gongneng (gn_menuitem)\nGO\n");
    if (IsSkipped()) return;
    EXPECT_NO_THROW(runner->Do2005Before());
    EXPECT_EQ(Rows("select gn_menucode from lib_gongneng where gn_menucode between 2501 and 2599 "
                   "order by gn_menucode"),
              (Table{{"2502"}, {"2503"}, {"2599"}}));
}

// ---- Step 2005-03 at the baseline level ----

TEST_F(StepRowsTest, StoresTheSortKeyOfEveryCallNumber) {
    // The key is made of the call number's GBK bytes (a double-byte character is two bytes) and
    // stored trimmed, a quote as '$' so it never reaches the statement, NULL as no call number.
    const struct {
        const char* bookNo;  // as the test writes it (UTF-8)
        const char* key;
    } cases[] = {
        {"TP312.8/15", "TP312/8 0000000015"},
        {"  H31 / 2 ", "H31/ /2"},
        {"O'K/7", "O$K 00000000000007"},
        {"''/'", "$$ $"},
        {"中文/12", "//// 0000000000012"},
        {"丄/1", "/A 000000000000001"},
        {"ABCDEFGHIJKLMNOP/123", "ABCDEFGHIJKLMNOP 123"},
    };
    std::string inserts = "delete from lib_bianma\nGO\n";
    for (const auto& c : cases)
        inserts += "insert into lib_bianma (bm_code, bm_order, bm_bookno) values ('X', 'X', N" +
                   Quoted(c.bookNo) + ")\nGO\n";
    Start(
        test::kBaselineLevel,
        inserts +
            "insert into lib_bianma (bm_code, bm_order, bm_bookno) values ('X', 'X', NULL)\nGO\n");
    if (IsSkipped()) return;
    ExpectSuccessfulRun();

    const auto rows =
        Rows("select bm_noorder, datalength(bm_noorder) as bytes from lib_bianma order by bm_no");
    ASSERT_EQ(rows.size(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(rows[i], (Strings{cases[i].key, "26"})) << cases[i].bookNo;
    EXPECT_EQ(rows.back(), (Strings{"", "26"}));
}

TEST_F(StepRowsTest, AFinesTableThereAlreadyLeavesLoansAloneAndMenuRowsThereAreKept) {
    // A fines table the main program made itself (with the columns later steps widen), and
    // menu rows of the step already there under other captions.
    Start(test::kBaselineLevel,
          "create table lib_fakuan (fk_no int NOT NULL, fk_id char(9), fk_name char(8))\nGO\n"
          "insert into lib_gongneng values (391, '旧义工'), (392, '旧签到'), (901, '旧一卡通')"
          "\nGO\n");
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    ExpectSuccessfulRun();
    EXPECT_EQ(Column("select isnull(dz_bdays, -1) from lib_duzhe order by dz_id"),
              (Strings{"60", "15", "-1"}));
    EXPECT_EQ(Column("select convert(varchar(23), js_edate, 121) from lib_jieshu where js_no = 1"),
              Strings{"2008-02-14 09:00:00.000"});
    EXPECT_EQ(SentSince(mark, "INSERT INTO lib_gongneng"),
              Strings{"INSERT INTO lib_gongneng VALUES(399,'阅览室管理')\r\n"});
    EXPECT_EQ(
        Rows("select gn_menucode, gn_menuitem from lib_gongneng where gn_menucode in "
             "(391, 392, 399, 901) order by gn_menucode"),
        (Table{{"391", "旧义工"}, {"392", "旧签到"}, {"399", "阅览室管理"}, {"901", "旧一卡通"}}));
}

// ---- The later steps at the 2005-03 level ----

TEST_F(StepRowsTest, AMonthWithoutADefaultIsConvertedWithoutADrop) {
    Start(test::kLevel2005_03);
    if (IsSkipped()) return;
    const auto monthDefault = Column(
        "select name from sysobjects where id in (select cdefault from syscolumns "
        "where name='bm_month' and id in (select id from sysobjects where name='lib_bianma'))");
    ASSERT_EQ(monthDefault.size(), 1u);
    runner->RunSql("alter table lib_bianma drop constraint " + monthDefault[0]);
    const auto mark = TraceMark();
    runner->Do2007_11_03();
    for (const auto& s : TracedSince(mark)) EXPECT_EQ(s.find("DROP CONSTRAINT"), std::string::npos);
    EXPECT_EQ(Rows("select bm_monthnum, bm_month from lib_bianma order by bm_no"),
              (Table{{"7", "7"}, {"12", "12"}, {"0", "0"}}));
}

TEST_F(StepRowsTest, TheBarcodeRebuildMovesTheBarThroughItsFivePositionsThenHidesIt) {
    Start(test::kLevel2005_03);
    if (IsSkipped()) return;
    std::vector<int> positions;
    std::vector<bool> shown;
    recorder.onBarMoved = [&](int value) {
        positions.push_back(value);
        shown.push_back(recorder.barVisible);
    };
    runner->Do2007_12_03();
    EXPECT_EQ(positions, (std::vector<int>{5, 25, 45, 55, 90}));
    EXPECT_EQ(shown, std::vector<bool>(5, true));
    EXPECT_FALSE(recorder.barVisible);
}

}  // namespace
}  // namespace kavel
