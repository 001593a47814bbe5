// The baseline step Do2005Before on the oldest layout, through the upgrade runner, ODBC and a
// stand-in: the statements of a first and a second run, the tables and rows it leaves, the ISSN
// copy with its progress bar, and the menu rows with and without a key on the code. The ways the
// step can fail, with the window they leave, are in FailedRunFormTest.cpp.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "BaselineExtraSql.h"
#include "ExpectedTrace.h"
#include "IssnLine.h"
#include "RecordingRunner.h"

namespace kavel {
namespace {

using Table = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

using test::kIssnCodes;

// A catalogue from before the ISSN columns, so action 18 adds them to rows that exist.
const std::string kOldCatalogue = R"(
create table lib_bianma (bm_no int NOT NULL IDENTITY (1, 1), bm_code char(10) NOT NULL, bm_order char(10) NOT NULL)
GO
insert into lib_bianma (bm_code, bm_order) values ('1-001', 'A'), ('O''K-016', 'B'), ('1-002', 'C')
GO
)";

// "rk_price numeric(15,2) NULL default": a column as its declaration reads.
std::string DescribeColumn(const test::ColumnInfo& c) {
    std::string type;
    switch (c.xtype) {
        case 56:
            type = "int";
            break;
        case 61:
            type = "datetime";
            break;
        case 35:
            type = "text";
            break;
        case 175:
            type = "char(" + std::to_string(c.length) + ")";
            break;
        case 167:
            type = "varchar(" + std::to_string(c.length) + ")";
            break;
        case 108:
            type = "numeric(" + std::to_string(c.prec) + "," + std::to_string(c.scale) + ")";
            break;
        default:
            type = "xtype " + std::to_string(c.xtype);
    }
    return c.name + " " + type + (c.nullable ? " NULL" : " NOT NULL") +
           (c.hasDefault ? " default" : "");
}

// issn.dat as the import reads it: one stored line per record (code, ISSN, CN), CR LF after each.
std::string IssnDat(const std::vector<IssnRecord>& records) {
    std::string bytes;
    for (const auto& r : records)
        bytes += EncodeIssnLine(IssnRecordFromRow(r.code, r.issn, r.cn)) + "\r\n";
    return bytes;
}

class BaselineStepTest : public test::RunnerTest {
protected:
    // The runner on the oldest layout plus `extraSql`, its program folder holding `issnDat` (by
    // default an empty file: the import then leaves lib_issncode as the extra SQL made it).
    void Start(const std::string& extraSql, const std::string& issnDat = {}) {
        StartRunner(test::kOldestLayout, extraSql);
        if (IsSkipped() || HasFatalFailure()) return;
        WriteIssnDat(issnDat);
    }

    void WriteIssnDat(const std::string& bytes) { WriteFile("issn.dat", bytes); }

    // The step alone, and the statements it sent.
    Strings RunStep() {
        const auto mark = TraceMark();
        runner->Do2005Before();
        return TracedSince(mark);
    }

    Strings ColumnsDescribed(const std::string& table) {
        Strings out;
        for (const auto& c : ColumnsOf(table)) out.push_back(DescribeColumn(c));
        return out;
    }

    std::string One(const std::string& sql) {
        const auto values = Column(sql);
        return values.size() == 1 ? values[0] : "(" + std::to_string(values.size()) + " rows)";
    }

    bool HasKey(const std::string& table) {
        return One("select count(*) from sysobjects where name = 'PK_" + table +
                   "' and xtype = 'PK' and parent_obj in (select id from sysobjects where name = "
                   "'" +
                   table + "')") == "1";
    }
};

// ---- What the step sends ----

TEST_F(BaselineStepTest, FirstAndSecondRunSendExactlyTheirStatements) {
    Start(kIssnCodes);
    if (IsSkipped()) return;

    const auto expectFirst = test::ExpectedTrace("baseline_first_run.trace");
    const auto expectSecond = test::ExpectedTrace("baseline_second_run.trace");
    const auto first = RunStep();
    EXPECT_EQ(test::MatchTrace(first, expectFirst), "");
    const auto second = RunStep();
    EXPECT_EQ(test::MatchTrace(second, expectSecond), "");
    auto own = [](const Strings& expected) {
        return std::count_if(expected.begin(), expected.end(),
                             [](const std::string& s) { return s != test::kAnyStatements; });
    };
    std::cout << "[ counts   ] baseline step on the oldest layout: first run " << first.size()
              << " statements (" << own(expectFirst) << " of the step's own actions), second run "
              << second.size() << " (" << own(expectSecond) << ")\n";

    // A third run sends what the second did: nothing the second run did is left to do.
    EXPECT_EQ(RunStep(), second);
}

// ---- The whole step as the user runs it ----

// The upgrade with the box "同时升级以前所有的系统升级" ticked.
TEST_F(BaselineStepTest, TheUpgradeButtonRunsTheStepWithTheImportAndTheScheduleEndToEnd) {
    Start("", IssnDat({{"1-001", "1000-1234", "11-1234/G2"},
                       {"1-003", "2000-0002", ""},
                       {"O'K-016", "1234-567X", "44-0'01"}}));
    if (IsSkipped()) return;
    ASSERT_EQ(RunUpgradeFailure(true), "");

    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "Kavel升级成功，请更新Kavel.exe");
    // Action 16 read issn.dat, action 19 copied its codes, action 36 rewrote the register.
    EXPECT_EQ(Rows("select ic_code, ic_issn, ic_cnno from lib_issncode order by ic_code"),
              (Table{{"1-001", "1000-1234", "11-1234/G2"},
                     {"1-003", "2000-0002", ""},
                     {"O'K-016", "1234-567X", "44-0'01"}}));
    EXPECT_EQ(
        Rows("select zd_code, zd_issn from lib_bkzd where zd_issn <> '' order by zd_code, zd_no"),
        (Table{{"1-001", "1000-1234"}, {"1-003", "2000-0002"}, {"O'K-016", "1234-567X"}}));
    EXPECT_EQ(Rows("select zd_code, zd_issn from lib_bkzdls where zd_issn <> '' order by zd_code"),
              (Table{{"1-001", "1000-1234"}, {"1-003", "2000-0002"}, {"O'K-016", "1234-567X"}}));
    EXPECT_EQ(One("select count(*) from lib_bkqs where qs_notice not like 'FORMAT%'"), "0");
    EXPECT_NE(One("select count(*) from lib_bkqs"), "0");
}

// ---- What the step leaves ----

TEST_F(BaselineStepTest, AFirstRunLeavesEveryTableAsDeclared) {
    Start(kIssnCodes);
    if (IsSkipped()) return;
    runner->Do2005Before();

    Strings prtno;
    for (int position = 1; position <= 5; ++position) {
        for (int field = 1; field <= 3; ++field) {
            prtno.push_back("pt_no" + std::to_string(position) + std::to_string(field) +
                            " char(15) NULL default");
        }
    }
    const struct {
        const char* table;
        Strings columns;
        bool key;
    } tables[] = {
        {"lib_rukutj",
         {"rk_name char(40) NULL default", "rk_number int NULL default",
          "rk_price numeric(15,2) NULL default", "rk_order int NULL default",
          "rk_usercode char(10) NULL default"},
         false},
        {"lib_prtno", prtno, false},
        {"lib_goodbook",
         {"gb_barcode char(10) NULL default", "gb_code int NULL default",
          "gb_usercode char(10) NULL default"},
         false},
        {"lib_booknopara",
         {"bp_id int NOT NULL", "bp_sign int NOT NULL", "bp_width int NOT NULL",
          "bp_height int NOT NULL", "bp_top int NOT NULL", "bp_bottom int NOT NULL",
          "bp_left int NOT NULL", "bp_right int NOT NULL", "bp_lines int NOT NULL",
          "bp_rows int NOT NULL", "bp_2or3 int NOT NULL", "bp_step int NOT NULL"},
         true},
        {"lib_notepad",
         {"np_no int NOT NULL", "np_date datetime NULL default", "np_text text NULL default",
          "np_operator char(6) NULL default", "np_oprname char(20) NULL default"},
         true},
        {"lib_prtblank",
         {"pb_no int NOT NULL", "pb_default int NULL default", "pb_top int NULL default",
          "pb_bottom int NULL default", "pb_left int NULL default", "pb_right int NULL default"},
         true},
        {"lib_cuihuan",
         {"ch_libcard char(9) NULL default", "ch_name char(8) NULL default",
          "ch_deptment char(40) NULL default"},
         false},
        {"lib_canshub",
         {"cs_dwmc char(40) NULL default", "cs_year int NULL default",
          "cs_autosign char(1) NULL default", "cs_toudilv numeric(5,2) NULL default"},
         false},
        {"lib_people", {"pe_code char(9) NOT NULL default", "pe_name char(40) NULL default"}, true},
        {"lib_peopletmp", {}, false},
        {"lib_duzhe",
         {"dz_id numeric(2,0) NOT NULL", "dz_bdays numeric(3,0) NULL default",
          "dz_booknum numeric(2,0) NULL default"},
         true},
        {"lib_jieshu",
         {"js_no int NOT NULL", "js_libcard char(9) NOT NULL", "js_mark char(2) NULL default",
          "js_barcode char(9) NOT NULL", "js_bdate datetime NOT NULL default",
          "js_edate datetime NOT NULL default", "js_sign char(1) NULL default",
          "js_user char(6) NULL default"},
         true},
        {"lib_bianma",
         {"bm_no int NOT NULL",
          "bm_code char(10) NOT NULL",
          "bm_year numeric(4,0) NULL default",
          "bm_month numeric(4,0) NULL default",
          "bm_order char(10) NOT NULL",
          "bm_name char(40) NULL default",
          "bm_number numeric(4,0) NULL default",
          "bm_pages numeric(4,0) NULL default",
          "bm_type char(2) NULL default",
          "bm_mark char(2) NULL default",
          "bm_degree char(4) NULL default",
          "bm_publish char(12) NULL default",
          "bm_period char(4) NULL default",
          "bm_pdate char(10) NULL default",
          "bm_price numeric(5,2) NULL default",
          "bm_scope char(4) NULL default",
          "bm_user char(6) NULL default",
          "bm_logdate datetime NULL default",
          "bm_remark varchar(256) NULL default",
          "bm_nowsign char(1) NULL default",
          "bm_issn char(13) NULL default",
          "bm_cnno char(12) NULL default",
          "bm_namesec char(40) NULL default",
          "bm_index text NULL default",
          "bm_bookno char(22) NULL default"},
         true},
        {"lib_tiaoma",
         {"tm_barcode char(9) NOT NULL", "tm_mark char(1) NULL default", "tm_no int NOT NULL",
          "tm_logdate datetime NULL default", "tm_enddate datetime NULL default"},
         true},
        {"lib_bkzdtmp",
         {"zd_no int NOT NULL",
          "zd_code char(10) NOT NULL",
          "zd_recsign char(1) NULL default",
          "zd_mark char(2) NULL default",
          "zd_name char(40) NULL default",
          "zd_sign char(4) NULL default",
          "zd_period char(4) NULL default",
          "zd_price numeric(6,2) NULL default",
          "zd_cost numeric(6,2) NULL default",
          "zd_qprice numeric(6,2) NULL default",
          "zd_qperiod char(6) NULL default",
          "zd_remark text NULL default",
          "zd_usercode char(9) NULL default",
          "zd_username char(40) NULL default",
          "zd_date datetime NULL default",
          "zd_bdate datetime NULL default",
          "zd_edate datetime NULL default",
          "zd_number numeric(4,0) NULL default",
          "zd_amount numeric(9,2) NULL default",
          "zd_notice text NULL default",
          "zd_order char(10) NOT NULL"},
         true},
        {"lib_tmpsign", {"ts_sign int NULL default"}, false},
        {"lib_qstmp",
         {"qt_code char(10) NOT NULL", "qt_mark char(2) NULL default",
          "qt_name char(40) NULL default", "qt_order char(10) NULL default",
          "qt_month int NULL default", "qt_ydnum int NULL default", "qt_sdnum int NULL default",
          "qt_user char(6) NULL default"},
         false},
        {"lib_enterpeople",
         {"ep_no int NOT NULL", "ep_people char(9) NOT NULL", "ep_name char(8) NULL default",
          "ep_dzlx char(20) NULL default", "ep_deptment char(40) NULL default",
          "ep_bdate datetime NULL default", "ep_edate datetime NULL default"},
         true},
        {"lib_enterpeoplep",
         {"ep_name char(40) NULL default", "ep_pnumber int NOT NULL", "ep_enumber int NOT NULL",
          "ep_bilv int NOT NULL", "ep_user char(6) NULL default"},
         false},
    };
    for (const auto& t : tables) {
        SCOPED_TRACE(t.table);
        EXPECT_EQ(ColumnsDescribed(t.table), t.columns);
        EXPECT_EQ(HasKey(t.table), t.key);
    }
    // The subscription tables: the wider user code, the ISSN column after the old ones.
    for (const char* table : {"lib_bkzd", "lib_bkzdls"}) {
        SCOPED_TRACE(table);
        const auto columns = ColumnsDescribed(table);
        EXPECT_EQ(std::count(columns.begin(), columns.end(), "zd_usercode char(9) NULL default"),
                  1);
        EXPECT_EQ(columns.back(), "zd_issn char(13) NULL default");
    }
    EXPECT_EQ(ColumnsDescribed("lib_baokan").back(), "bk_yprice numeric(7,2) NULL default");

    // The identities start at 1; the tables that are new and not seeded are empty.
    EXPECT_EQ(Rows("select * from lib_booknopara"),
              (Table{{"1", "0", "130", "265", "17", "4", "3", "3", "8", "3", "3", "0"}}));
    EXPECT_EQ(Rows("select * from lib_prtblank"), (Table{{"1", "0", "10", "10", "10", "10"}}));
    EXPECT_EQ(Rows("select * from lib_tmpsign"), (Table{{"0"}}));
    for (const char* table : {"lib_rukutj", "lib_prtno", "lib_goodbook", "lib_notepad",
                              "lib_cuihuan", "lib_duzhe", "lib_jieshu", "lib_bianma", "lib_tiaoma",
                              "lib_bkzdtmp", "lib_qstmp", "lib_enterpeople", "lib_enterpeoplep"}) {
        EXPECT_EQ(One(std::string("select count(*) from ") + table), "0") << table;
    }
}

TEST_F(BaselineStepTest, AFirstRunKeepsAndConvertsTheRowsThatWereThere) {
    Start(kIssnCodes);
    if (IsSkipped()) return;
    runner->Do2005Before();

    // The operators come back under the nine-byte key, the NULL name included.
    EXPECT_EQ(Rows("select '[' + pe_code + ']' as code, pe_name from lib_people order by pe_code"),
              (Table{{"[000001   ]", "王芳"},
                     {"[000002   ]", "李强"},
                     {"[000003   ]", "赵敏"},
                     {"[000009   ]", "NULL"},
                     {"[O'01     ]", "O'Brien"}}));
    EXPECT_EQ(Rows("select cs_autosign, cs_toudilv from lib_canshub"),
              (Table{{"0", "10.00"}, {"0", "10.00"}}));
    // A yearly periodical's half-year price becomes its yearly price; the count is 1 where
    // there is a cost.
    EXPECT_EQ(Rows("select bk_code, bk_yprice, bk_hyprice, bk_number from lib_baokan "
                   "where bk_code in ('1-001', '1-002', '1-004', '1-012', '1-013', 'O''K-016') "
                   "order by bk_code"),
              (Table{{"1-001", "60.00", "0.00", "0"},
                     {"1-002", "0.00", "48.50", "1"},
                     {"1-004", "0.00", "40.00", "0"},
                     {"1-012", "0.00", "0.00", "0"},
                     {"1-013", "0.00", "NULL", "0"},
                     {"O'K-016", "51.00", "0.00", "0"}}));
    EXPECT_EQ(One("select count(*) from lib_bkzd where zd_usercode = 'O''01'"), "1");

    // Every subscription's ISSN was cleared, then set from the codes listed; the quote in a
    // code or a value is data.
    EXPECT_EQ(
        Rows("select zd_code, zd_issn from lib_bkzd where zd_issn <> '' order by zd_code, zd_no"),
        (Table{{"1-001", "1000-1234"},
               {"1-003", "2000-0002"},
               {"1-006", "0000-0006"},
               {"O'K-016", "1234-567X"}}));
    EXPECT_EQ(One("select count(*) from lib_bkzd where zd_issn is null"), "0");
    EXPECT_EQ(Rows("select zd_code, zd_issn from lib_bkzdls order by zd_code"),
              (Table{{"1-001", "1000-1234"},
                     {"1-003", "2000-0002"},
                     {"1-006", "0000-0006"},
                     {"1-099", ""},
                     {"O'K-016", "1234-567X"}}));

    // The defaults that the new tables give a row.
    runner->RunSql("insert into lib_bkzdtmp(zd_code, zd_order) values('X', 'Y')");
    runner->RunSql("insert into lib_jieshu(js_libcard, js_barcode) values('C', 'B')");
    EXPECT_EQ(Rows("select zd_sign, '[' + zd_qperiod + ']' as qperiod, zd_price, zd_amount, "
                   "zd_number from lib_bkzdtmp"),
              (Table{{"报纸", "[月  价]", "0.00", "0.00", "0"}}));
    EXPECT_EQ(Rows("select js_no, '[' + js_mark + ']' as mark, js_sign, '[' + js_user + ']' as usr "
                   "from lib_jieshu"),
              (Table{{"1", "[  ]", "0", "[      ]"}}));
}

// Tables of an earlier, partial upgrade: each action looks at its own table or column only.
TEST_F(BaselineStepTest, TablesThatAreThereKeepTheirLayoutAndGetOnlyTheColumnsTheyLack) {
    Start(kIssnCodes + R"(
create table lib_booknopara (bp_id int NOT NULL IDENTITY (1, 1), bp_sign int NOT NULL)
GO
insert into lib_booknopara (bp_sign) values (5), (6)
GO
create table lib_tiaoma (tm_barcode char(9) NOT NULL, tm_no int NOT NULL, tm_logdate datetime)
GO
insert into lib_tiaoma values ('B0001', 1, '2007-03-04 08:15:00'), ('B0002', 2, NULL)
GO
create table lib_duzhe (dz_id numeric(2,0) NOT NULL)
GO
alter table lib_bkzd add zd_issn char(13) default('')
GO
)");
    if (IsSkipped()) return;
    const auto sent = RunStep();
    auto wasSent = [&](const std::string& statement) {
        return std::count(sent.begin(), sent.end(), statement + "\r\n");
    };

    // bp_step joins an old label table, 0 in every row; no default row is added.
    EXPECT_EQ(
        ColumnsDescribed("lib_booknopara"),
        (Strings{"bp_id int NOT NULL", "bp_sign int NOT NULL", "bp_step int NOT NULL default"}));
    EXPECT_EQ(Rows("select bp_id, bp_sign, bp_step from lib_booknopara order by bp_id"),
              (Table{{"1", "5", "0"}, {"2", "6", "0"}}));
    EXPECT_EQ(wasSent("alter table lib_booknopara add bp_step int NOT NULL DEFAULT(0)"), 1);
    EXPECT_EQ(wasSent("update lib_booknopara set bp_step=0"), 1);
    // The end date of an old barcode is its log date; the table keeps its layout and gets no key.
    EXPECT_EQ(ColumnsDescribed("lib_tiaoma"),
              (Strings{"tm_barcode char(9) NOT NULL", "tm_no int NOT NULL",
                       "tm_logdate datetime NULL", "tm_enddate datetime NULL default"}));
    EXPECT_EQ(One("select count(*) from lib_tiaoma where tm_enddate = tm_logdate"), "1");
    EXPECT_EQ(One("select count(*) from lib_tiaoma where tm_enddate is null"), "1");
    EXPECT_FALSE(HasKey("lib_tiaoma"));
    // With lib_duzhe there, lib_people and the user codes stay as they are.
    EXPECT_EQ(ColumnsDescribed("lib_people"),
              (Strings{"pe_code char(6) NOT NULL", "pe_name char(40) NULL default"}));
    EXPECT_EQ(ColumnsDescribed("lib_duzhe"), (Strings{"dz_id numeric(2,0) NOT NULL"}));
    EXPECT_EQ(One("select count(*) from syscolumns where name = 'zd_usercode' and length = 6"),
              "2");
    // Each subscription table is probed on its own.
    EXPECT_EQ(wasSent("alter table lib_bkzd add zd_issn char(13) default('')"), 0);
    EXPECT_EQ(wasSent("alter table lib_bkzdls add zd_issn char(13) default('')"), 1);
    EXPECT_EQ(One("select count(*) from syscolumns where name = 'zd_issn'"), "2");
}

// ---- The ISSN copy ----

TEST_F(BaselineStepTest, TheCatalogueAndHistoryGetTheCodesOnlyInTheRunThatAddsTheColumns) {
    Start(kIssnCodes + kOldCatalogue);
    if (IsSkipped()) return;
    const std::string bianma = "select bm_code, bm_issn, bm_cnno from lib_bianma order by bm_no";
    const std::string bkzd = "select rtrim(zd_issn) from lib_bkzd where zd_code = '1-001'";
    const std::string bkzdls = "select rtrim(zd_issn) from lib_bkzdls where zd_code = '1-001'";

    runner->Do2005Before();  // the columns are new: all three tables
    EXPECT_EQ(Rows(bianma), (Table{{"1-001", "1000-1234", "11-1234/G2"},
                                   {"O'K-016", "1234-567X", "44-0'01"},
                                   {"1-002", "", ""}}));
    EXPECT_EQ(Column(bkzd), (Strings{"1000-1234"}));
    EXPECT_EQ(Column(bkzdls), (Strings{"1000-1234"}));

    runner->RunSql(
        "update lib_issncode set ic_issn='1000-9999', ic_cnno='11-9999' where ic_code='1-001'");
    runner->Do2005Before();  // the columns were there: this year's subscriptions only
    EXPECT_EQ(Rows(bianma)[0], (Strings{"1-001", "1000-1234", "11-1234/G2"}));
    EXPECT_EQ(Column(bkzd), (Strings{"1000-9999"}));
    EXPECT_EQ(Column(bkzdls), (Strings{"1000-1234"}));
}

TEST_F(BaselineStepTest, TheCopyPumpsMessagesAndMovesTheBarOncePerCodeWrappingAtTheMaximum) {
    Start(kIssnCodes);
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
        int importLines;
        std::vector<int> positions;  // after each of the six codes
    } cases[] = {
        {88, {99, 100, 1, 2, 3, 4}},
        {90, {1, 2, 3, 4, 5, 6}},
        {0, {11, 12, 13, 14, 15, 16}},
    };
    const Strings codes = {"1-001", "1-003", "1-004", "1-006", "1-777", "O'K-016"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.importLines);
        WriteIssnDat(
            IssnDat(std::vector<IssnRecord>(static_cast<std::size_t>(c.importLines),
                                            IssnRecord{"1-001", "1000-1234", "11-1234/G2"})));
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

// ---- Menu rows ----

struct MenuCase {
    const char* name;
    std::string extraSql;
    const char* caption2601;  // a row that is there stays as it is
};

class BaselineMenuTest : public BaselineStepTest, public testing::WithParamInterface<MenuCase> {};

TEST_P(BaselineMenuTest, MenuRowsEndTheSameWithOrWithoutAKeyOnTheCodeAndNeverTwice) {
    Start(kIssnCodes + GetParam().extraSql);
    if (IsSkipped()) return;
    const Table expected = {{"1101", "期刊订购"},
                            {"2101", "到刊登记"},
                            {"2102", "到刊记事签收"},
                            {"2104", "预订库转换"},
                            {"2109", "到刊记事查询"},
                            {"2501", "现刊借还"},
                            {"2502", "现刊出入库管理"},
                            {"2503", "删除已停止流通的期刊"},
                            {"2601", GetParam().caption2601},
                            {"3101", "统计'报表'"}};
    const std::string menu =
        "select gn_menucode, gn_menuitem from lib_gongneng order by gn_menucode";
    runner->Do2005Before();
    EXPECT_EQ(Rows(menu), expected);
    runner->Do2005Before();
    EXPECT_EQ(Rows(menu), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, BaselineMenuTest,
    testing::Values(
        MenuCase{"NoKeyOnTheCode", "", "阅览室管理"},
        MenuCase{"KeyOnTheCodeAnd2601There",
                 "delete from lib_gongneng where gn_menuitem = '借还（重复）'\nGO\n"
                 "alter table lib_gongneng add constraint PK_lib_gongneng primary key nonclustered "
                 "(gn_menucode)\nGO\n"
                 "insert into lib_gongneng values (2601, '旧的阅览室')\nGO\n",
                 "旧的阅览室"}),
    [](const testing::TestParamInfo<MenuCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavel
