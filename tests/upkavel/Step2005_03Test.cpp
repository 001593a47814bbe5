// Step 2005-03 through the upgrade form on a stand-in database at the baseline level: the
// columns and tables it adds, the sort keys it stores, the lending settings that come with
// fines, what a second run sends, the menu rows with and without a key on the code, and the
// failures that end a run.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>

#include "Cp936.h"
#include "MakeNoOrder.h"
#include "RecordingPresenter.h"
#include "StandinDatabase.h"
#include "TQuery.h"
#include "Trim.h"
#include "frmUpKavelMain.h"

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

std::string Crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

std::string TableProbe(const std::string& table) {
    return "select * from sysobjects where name ='" + table + "'\r\n";
}
std::string ColumnProbe(const std::string& table, const std::string& column) {
    return "select name from syscolumns where name='" + column +
           "' and id in (select id from sysobjects where name = '" + table + "')\r\n";
}

class Step2005_03Test : public test::StandinDatabaseTest {
protected:
    void StartForm(const std::string& extraSql = {}) {
        StartStandinOn(test::kBaselineLevel, extraSql);
        if (IsSkipped()) return;
        form = std::make_unique<TUpKavelMain>(database);
        form->show();
        QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
        ASSERT_TRUE(form->btUp->isEnabled());
    }

    // One click on the upgrade button; the boxes the run showed.
    std::vector<test::RecordedBox> RunUpgrade() {
        test::RecordingPresenter boxes;
        QTest::mouseClick(form->btUp, Qt::LeftButton);
        return boxes.Boxes();
    }

    void ExpectSuccess(const std::vector<test::RecordedBox>& boxes) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Kavel升级成功，请更新Kavel.exe");
    }

    std::size_t Count(const std::string& sql) { return std::stoul(Column(sql).at(0)); }

    // A statement of the main program between two runs, on the form's own connection.
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

    std::unique_ptr<TUpKavelMain> form;
};

TEST_F(Step2005_03Test, AddsEveryColumnAndTable) {
    StartForm();
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());

    struct Case {
        std::string table;
        std::vector<ColumnInfo> columns;  // the whole table, or its last columns for a table
        bool whole;                       // that the step only adds to
    } cases[] = {
        {"lib_bianma", {Char("bm_bookno", 22), Char("bm_link", 128), Char("bm_noorder", 26)}, false},
        {"lib_issncode", {Char("ic_cnno", 12), Char("ic_phttp", 128), Char("ic_fenlei", 20)}, false},
        {"lib_bkzd", {Char("zd_issn", 13), Int("zd_inlib"), Char("zd_otheraddr", 128)}, false},
        {"lib_bkzdls", {Char("zd_issn", 13), Int("zd_inlib"), Char("zd_otheraddr", 128)}, false},
        {"lib_bkzdtmp", {Char("zd_order", 10, false, false), Int("zd_inlib"), Char("zd_otheraddr", 128)}, false},
        {"lib_canshub", {Numeric("cs_toudilv", 5, 2), Int("cs_inlibsign")}, false},
        {"lib_duzhe", {Numeric("dz_booknum", 2, 0), Numeric("dz_fakuan", 6, 2)}, false},
        {"lib_prttab4new", CounterColumns(31), true},
        {"lib_prttab4anew", CounterColumns(12), true},
        {"lib_curtermno", {Char("ct_termno", 8, false, false), Char("ct_date", 10, false, false)}, true},
        {"lib_fakuan",
         {Int("fk_no", false, false), Char("fk_id", 9, false, false), DateTime("fk_date"),
          Numeric("fk_amount", 6, 2), Char("fk_why", 80), Char("fk_operator", 6), Char("fk_name", 8),
          Char("fk_deptment", 40), Int("fk_type"), Char("fk_optname", 20)},
         true},
        {"lib_jieyueorder",
         {Char("jy_code", 10, false, false), Char("jy_name", 40), Char("jy_issn", 13),
          Numeric("jy_price", 5, 2), Int("jy_number"), Char("jy_user", 6)},
         true},
    };
    for (const auto& c : cases) {
        auto columns = ColumnsOf(c.table);
        if (!c.whole && columns.size() > c.columns.size())
            columns.erase(columns.begin(), columns.end() - static_cast<std::ptrdiff_t>(c.columns.size()));
        EXPECT_EQ(columns, c.columns) << c.table;
    }
    EXPECT_EQ(CounterColumns(31).size(), 34u);
    EXPECT_EQ(CounterColumns(12).size(), 15u);

    // Keys: only lib_fakuan has one; the counter, terminal and lending-order tables none.
    EXPECT_EQ(Column("select name from sysobjects where xtype='PK' and parent_obj in (select id from "
                     "sysobjects where name in ('lib_fakuan','lib_prttab4new','lib_prttab4anew',"
                     "'lib_curtermno','lib_jieyueorder'))"),
              std::vector<std::string>{"PK_lib_fakuan"});
    // Rows already there carry the UPDATE's values, not NULL; the new tables start as stated.
    EXPECT_EQ(Count("select count(*) from lib_bianma where bm_link <> '' or bm_link is null"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_issncode where ic_phttp is null or ic_fenlei is null"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_bkzd where zd_inlib <> 0 or zd_inlib is null or zd_otheraddr is null"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_bkzdls where zd_inlib is null or zd_otheraddr is null"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_canshub where cs_inlibsign is null or cs_inlibsign <> 0"), 0u);
    EXPECT_EQ(Rows("select '[' + ct_termno + ct_date + ']' from lib_curtermno"),
              (std::vector<std::vector<std::string>>{{"[" + std::string(18, ' ') + "]"}}));
    EXPECT_EQ(Count("select count(*) from lib_prttab4new"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_fakuan"), 0u);
    EXPECT_EQ(Count("select count(*) from lib_jieyueorder"), 0u);
}

TEST_F(Step2005_03Test, StoresTheSortKeyOfEveryCallNumber) {
    struct Case {
        std::string bookNo;  // UTF-8 as the test writes it
        std::string key;     // empty: checked against MakeNoOrder of its GBK bytes only
    } cases[] = {
        {"2005-3/4", "2005!3 00000000004"},
        {"TP312.8/15", "TP312/8 0000000015"},
        {"I247.5/123:2", "I247/5 00000000123-02"},
        {"TP3/15=1", "TP3 00000000000015&01"},
        {"TP3/15:12", "TP3 00000000000015-12"},
        {"A/1:23=4", "A 0000000000000001-23&4"},
        {"G4/5a:3", "G4 000000000000005/-03"},
        {"A/12/3", "A 0000000000000012/3"},
        {"K(2)=3", "K#2#&3"},
        {"A/B", "A B"},
        {"/12", "00000000000000012"},
        {"abc/7", "/// 00000000000007"},
        {"  H31 / 2 ", "H31/ /2"},
        {"ABCDEFGHIJKLMNOP/123", "ABCDEFGHIJKLMNOP 123"},
        {"ABCDEFGHIJKLMNOPQRS/12", "ABCDEFGHIJKLMNOPQRS 12"},  // 22 bytes, no zeros
        {"O'K/7", "O$K 00000000000007"},
        {"''/'", "$$ $"},
        {"中文/12", "//// 0000000000012"},
        {"丄/1", "/A 000000000000001"},     // 81 41: the trail byte is a capital
        {"G25/中文:5", "G25 ////-05"},
        {"期刊期刊期刊期刊期刊/9", ""},      // 20 bytes of head
        {"Ｉ２４７/１", ""},                 // full-width letters and digits are double-byte
        {"€/5", ""},                        // 0x80, a single byte of code page 936
        {"", ""},
    };
    std::string inserts;
    for (const auto& c : cases)
        inserts += "insert into lib_bianma (bm_code, bm_order, bm_bookno) values ('X', 'X', N'" +
                   [&] { std::string q; for (char ch : c.bookNo) { q += ch; if (ch == '\'') q += '\''; } return q; }() +
                   "')\nGO\n";
    StartForm("delete from lib_bianma\nGO\n" + inserts +
              "insert into lib_bianma (bm_code, bm_order, bm_bookno) values ('X', 'X', NULL)\nGO\n");
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());

    const auto rows = Rows("select bm_bookno, bm_noorder, datalength(bm_noorder) as bytes from lib_bianma order by bm_no");
    ASSERT_EQ(rows.size(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const std::string expected = Trim(MakeNoOrder(Utf8ToCp936(c.bookNo)));
        if (!c.key.empty() || c.bookNo.empty()) {
            EXPECT_EQ(expected, c.key) << c.bookNo;
        }
        EXPECT_EQ(rows[i][1], expected) << c.bookNo;
        EXPECT_EQ(rows[i][2], "26") << c.bookNo;
    }
    EXPECT_EQ(rows.back()[0], "NULL");
    EXPECT_EQ(rows.back()[1], "");
}

TEST_F(Step2005_03Test, LoansBecome30DaysOnlyInTheRunThatCreatesTheFinesTable) {
    StartForm();
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
    StartForm("create table lib_fakuan (fk_no int NOT NULL)\nGO\n");
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(Column("select isnull(dz_bdays, -1) from lib_duzhe order by dz_id"),
              (std::vector<std::string>{"60", "15", "-1"}));
    EXPECT_EQ(Column("select convert(varchar(23), js_edate, 121) from lib_jieshu where js_no = 1"),
              std::vector<std::string>{"2008-02-14 09:00:00.000"});
    EXPECT_EQ(ColumnsOf("lib_fakuan").size(), 1u);
}

TEST_F(Step2005_03Test, FinesAre0_1ForReadersThereBeforeAnd0ForNewOnes) {
    StartForm();
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());
    Exec("insert into lib_duzhe (dz_id) values (4)");
    EXPECT_EQ(Column("select dz_fakuan from lib_duzhe order by dz_id"),
              (std::vector<std::string>{"0.10", "0.10", "0.10", "0.00"}));
    // A second run does not reset them.
    Exec("update lib_duzhe set dz_fakuan = 2.5 where dz_id = 1");
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(Column("select dz_fakuan from lib_duzhe where dz_id = 1"), std::vector<std::string>{"2.50"});
}

// The probes a run of the step sends on a database it has already upgraded, and nothing else.
const std::vector<std::string> kSecondRunProbes = {
    TableProbe("lib_bianma"),
    ColumnProbe("lib_bianma", "bm_link"),
    ColumnProbe("lib_issncode", "ic_phttp"),
    ColumnProbe("lib_bkzd", "zd_inlib"),
    ColumnProbe("lib_bkzdls", "zd_inlib"),
    ColumnProbe("lib_bkzdtmp", "zd_inlib"),
    ColumnProbe("lib_canshub", "cs_inlibsign"),
    TableProbe("lib_prttab4new"),
    TableProbe("lib_prttab4anew"),
    ColumnProbe("lib_bianma", "bm_noorder"),
    "select gn_menucode from lib_gongneng where gn_menucode=391\r\n",
    "select gn_menucode from lib_gongneng where gn_menucode=399\r\n",
    "select gn_menucode from lib_gongneng where gn_menucode=392\r\n",
    "select * from lib_gongneng where gn_menucode=2109\r\n",
    TableProbe("lib_curtermno"),
    TableProbe("lib_fakuan"),
    ColumnProbe("lib_duzhe", "dz_fakuan"),
    "select gn_menucode from lib_gongneng where gn_menucode=901\r\n",
    TableProbe("lib_jieyueorder"),
};

// lib_gongneng without a key on the code, and with one.
class Step2005_03MenuKeyTest : public Step2005_03Test,
                               public testing::WithParamInterface<std::string> {};

TEST_P(Step2005_03MenuKeyTest, MenuRowsAreAddedOnce) {
    StartForm(GetParam());
    if (IsSkipped()) return;
    ExpectSuccess(RunUpgrade());
    const auto mark = TraceMark();
    form->Do2005_03();
    EXPECT_EQ(TracedSince(mark), kSecondRunProbes);
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
                         [](const auto& info) { return info.param.empty() ? "NoKey" : "UniqueKey"; });

TEST_F(Step2005_03Test, ExistingMenuRowsAreNotInsertedAgain) {
    StartForm("insert into lib_gongneng values (391, '旧义工'), (392, '旧签到'), (901, '旧一卡通')\nGO\n");
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    ExpectSuccess(RunUpgrade());
    EXPECT_EQ(SentSince(mark, "INSERT INTO lib_gongneng"),
              std::vector<std::string>{"INSERT INTO lib_gongneng VALUES(399,'阅览室管理')\r\n"});
    EXPECT_EQ(Rows("select gn_menucode, gn_menuitem from lib_gongneng where gn_menucode in "
                   "(391, 392, 399, 901) order by gn_menucode"),
              (std::vector<std::vector<std::string>>{
                  {"391", "旧义工"}, {"392", "旧签到"}, {"399", "阅览室管理"}, {"901", "旧一卡通"}}));
}

TEST_F(Step2005_03Test, AMissingMenuTableIsDiscardedUntilTheUnprotectedProbe) {
    StartForm("drop table lib_gongneng\nGO\n");
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    const auto boxes = RunUpgrade();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid object name 'lib_gongneng'.");
    // 391 and 399 went by without a word; the probe for 392 ended the run.
    EXPECT_EQ(SentSince(mark, "select gn_menucode from lib_gongneng"),
              (std::vector<std::string>{kSecondRunProbes[10], kSecondRunProbes[11], kSecondRunProbes[12]}));
    EXPECT_TRUE(form->btUp->isEnabled());
    EXPECT_TRUE(form->lbWorking->isVisible());
}

// A table that actions 3 to 7 alter is missing: its ALTER fails with the server's error, the
// actions before it stay applied, nothing after it runs, and the form stays usable.
struct MissingTable {
    const char* table;
    const char* tableBefore;  // the table of the action before, already changed
    const char* lastColumnBefore;
};

class Step2005_03MissingTableTest : public Step2005_03Test,
                                    public testing::WithParamInterface<MissingTable> {};

TEST_P(Step2005_03MissingTableTest, EndsTheRunWithTheServersError) {
    const MissingTable& c = GetParam();
    StartForm(std::string("drop table ") + c.table + "\nGO\n");
    if (IsSkipped()) return;
    const auto boxes = RunUpgrade();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string("Cannot find the object \"") + c.table +
                                 "\" because it does not exist or you do not have permissions.");
    EXPECT_EQ(boxes[0].caption, "UpKavel");
    const auto before = ColumnsOf(c.tableBefore);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.back().name, c.lastColumnBefore) << "the action before stays applied";
    EXPECT_TRUE(ColumnsOf("lib_prttab4new").empty()) << "nothing after it ran";
    EXPECT_TRUE(Column("select vm_mess from ver_manage").empty()) << "no driver marker";
    // The form is usable: the same run again gives the same error, nothing else.
    EXPECT_TRUE(form->btUp->isEnabled());
    EXPECT_TRUE(form->btExit->isEnabled());
    EXPECT_TRUE(form->lbWorking->isVisible());
    EXPECT_EQ(RunUpgrade().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(, Step2005_03MissingTableTest,
                         testing::Values(MissingTable{"lib_issncode", "lib_bianma", "bm_link"},
                                         MissingTable{"lib_bkzd", "lib_issncode", "ic_fenlei"},
                                         MissingTable{"lib_bkzdls", "lib_bkzd", "zd_otheraddr"},
                                         MissingTable{"lib_bkzdtmp", "lib_bkzdls", "zd_otheraddr"},
                                         MissingTable{"lib_canshub", "lib_bkzdtmp", "zd_otheraddr"}),
                         [](const auto& info) { return std::string(info.param.table); });

TEST_F(Step2005_03Test, AnActionThatFailedHalfWayIsNotResumed) {
    // ic_fenlei already there: the second ALTER of its action fails, ic_phttp stays added, and the
    // next run finds ic_phttp and skips the action, its UPDATE included.
    StartForm("alter table lib_issncode add ic_fenlei char(20) DEFAULT('')\nGO\n");
    if (IsSkipped()) return;
    auto boxes = RunUpgrade();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Column names in each table must be unique. Column name 'ic_fenlei' in "
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
    StartForm("create table lib_other (ot_id int NOT NULL)\nGO\n"
              "alter table lib_other add constraint PK_lib_fakuan primary key nonclustered (ot_id)\nGO\n");
    if (IsSkipped()) return;
    auto boxes = RunUpgrade();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("PK_lib_fakuan"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(ColumnsOf("lib_fakuan").size(), 10u);
    EXPECT_EQ(Column("select dz_bdays from lib_duzhe where dz_id = 1"), std::vector<std::string>{"60"});

    const auto mark = TraceMark();
    ExpectSuccess(RunUpgrade());
    EXPECT_TRUE(SentSince(mark, "ALTER TABLE lib_fakuan").empty());
    EXPECT_TRUE(SentSince(mark, "update lib_duzhe set dz_bdays").empty());
    EXPECT_TRUE(SentSince(mark, "update lib_jieshu").empty());
    EXPECT_EQ(Column("select dz_bdays from lib_duzhe where dz_id = 1"), std::vector<std::string>{"60"});
    EXPECT_EQ(Column("select name from sysobjects where parent_obj in "
                     "(select id from sysobjects where name = 'lib_fakuan') and xtype = 'PK'"),
              std::vector<std::string>{});
}

// The exact statements of a first run on the baseline-level database, in order, as they arrive.
std::vector<std::string> FirstRunTrace() {
    auto counterTable = [](const std::string& name, int counters) {
        std::string text = "create table " + name + " ( \r\n"
                           "\t\tp4_id \tnumeric(2,0) NOT NULL,\r\n"
                           "\t\tp4_dzlx \tchar(10) default(''),\r\n";
        for (int i = 1; i <= counters; ++i)
            text += "\t\tp4_" + std::to_string(i) + " \tnumeric(6,0) default(0),\r\n";
        return text + "\t\tp4_total \tnumeric(6,0) default(0)\r\n) \r\n";
    };
    auto keyUpdate = [](const std::string& key, int bmNo) {
        return Crlf({"update lib_bianma set", "  bm_noorder='" + key + "'",
                     "where bm_no=" + std::to_string(bmNo)});
    };
    return {
        TableProbe("lib_bianma"),
        ColumnProbe("lib_bianma", "bm_link"),
        "alter table lib_bianma add bm_link char(128) DEFAULT('')\r\n",
        "update lib_bianma set bm_link=''\r\n",
        ColumnProbe("lib_issncode", "ic_phttp"),
        "alter table lib_issncode add ic_phttp char(128) DEFAULT('')\r\n",
        "alter table lib_issncode add ic_fenlei char(20) DEFAULT('')\r\n",
        "update lib_issncode set ic_phttp='',ic_fenlei=''\r\n",
        ColumnProbe("lib_bkzd", "zd_inlib"),
        "alter table lib_bkzd add zd_inlib int DEFAULT(0)\r\n",
        "alter table lib_bkzd add zd_otheraddr char(128) DEFAULT('')\r\n",
        "update lib_bkzd set zd_inlib=0,zd_otheraddr=''\r\n",
        ColumnProbe("lib_bkzdls", "zd_inlib"),
        "alter table lib_bkzdls add zd_inlib int DEFAULT(0)\r\n",
        "alter table lib_bkzdls add zd_otheraddr char(128) DEFAULT('')\r\n",
        "update lib_bkzdls set zd_inlib=0,zd_otheraddr=''\r\n",
        ColumnProbe("lib_bkzdtmp", "zd_inlib"),
        "alter table lib_bkzdtmp add zd_inlib int DEFAULT(0)\r\n",
        "alter table lib_bkzdtmp add zd_otheraddr char(128) DEFAULT('')\r\n",
        "update lib_bkzdtmp set zd_inlib=0,zd_otheraddr=''\r\n",
        ColumnProbe("lib_canshub", "cs_inlibsign"),
        "alter table lib_canshub add cs_inlibsign int DEFAULT(0)\r\n",
        "update lib_canshub set cs_inlibsign=0\r\n",
        TableProbe("lib_prttab4new"),
        counterTable("lib_prttab4new", 31),
        TableProbe("lib_prttab4anew"),
        counterTable("lib_prttab4anew", 12),
        ColumnProbe("lib_bianma", "bm_noorder"),
        "alter table lib_bianma add bm_noorder char(26) default('')\r\n",
        "select bm_no,bm_bookno from lib_bianma\r\n",
        keyUpdate("2005!3 00000000004", 1),
        keyUpdate("TP312/8 0000000015", 2),
        keyUpdate("I247/5 00000000123-02", 3),
        keyUpdate("O$K 00000000000007", 4),
        keyUpdate("G25 ////-05", 5),
        keyUpdate("/// 00000000000007", 6),
        keyUpdate("H31/ /2", 7),
        keyUpdate("", 8),
        keyUpdate("", 9),
        "select gn_menucode from lib_gongneng where gn_menucode=391\r\n",
        "INSERT INTO lib_gongneng VALUES(391,'义工管理')\r\n",
        "select gn_menucode from lib_gongneng where gn_menucode=399\r\n",
        "INSERT INTO lib_gongneng VALUES(399,'阅览室管理')\r\n",
        "select gn_menucode from lib_gongneng where gn_menucode=392\r\n",
        "INSERT INTO lib_gongneng VALUES(392,'义工签到')\r\n",
        "select * from lib_gongneng where gn_menucode=2109\r\n",
        TableProbe("lib_curtermno"),
        Crlf({"create table lib_curtermno ( ", "\t\tct_termno \tchar(8) NOT NULL,",
              "\t\tct_date \tchar(10) NOT NULL", ") "}),
        "insert into lib_curtermno values('','') \r\n",
        TableProbe("lib_fakuan"),
        Crlf({"create table lib_fakuan ( ", "\t\tfk_no \tint NOT NULL IDENTITY (1, 1),",
              "\t\tfk_id \tchar(9) NOT NULL,", "\t\tfk_date \tdatetime default(getdate()),",
              "\t\tfk_amount \tnumeric(6,2) default(0),", "\t\tfk_why \tchar(80) default(''),",
              "\t\tfk_operator \tchar(6) default(''),", "\t\tfk_name \tchar(8) default(''),",
              "\t\tfk_deptment \tchar(40) default(''),", "\t\tfk_type \tint default(0),",
              "\t\tfk_optname \tchar(20) default('')", ") "}),
        Crlf({"ALTER TABLE lib_fakuan ADD CONSTRAINT ", "PK_lib_fakuan PRIMARY KEY NONCLUSTERED",
              "(fk_no)"}),
        "update lib_duzhe set dz_bdays=30\r\n",
        "update lib_jieshu set js_edate=js_bdate+30 where js_mark='借'\r\n",
        ColumnProbe("lib_duzhe", "dz_fakuan"),
        "alter table lib_duzhe add dz_fakuan numeric(6,2) default(0)\r\n",
        "update lib_duzhe set dz_fakuan=0.1\r\n",
        "select gn_menucode from lib_gongneng where gn_menucode=901\r\n",
        "INSERT INTO lib_gongneng VALUES(901,'一卡通参数配置')\r\n",
        TableProbe("lib_jieyueorder"),
        Crlf({"create table lib_jieyueorder ( ", "\t\tjy_code \tchar(10) NOT NULL,",
              "\t\tjy_name \tchar(40) default(''),", "\t\tjy_issn \tchar(13) default(''),",
              "\t\tjy_price \tnumeric(5,2) default(0.00),", "\t\tjy_number \tint default(0),",
              "\t\tjy_user \tchar(6) default('')", ") "}),
    };
}

TEST_F(Step2005_03Test, AFirstRunSendsExactlyTheseStatements) {
    StartForm();
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    form->Do2005_03();
    const auto sent = TracedSince(mark);
    const auto expected = FirstRunTrace();
    for (std::size_t i = 0; i < std::max(sent.size(), expected.size()); ++i)
        EXPECT_EQ(i < sent.size() ? sent[i] : "<none>", i < expected.size() ? expected[i] : "<none>")
            << "statement " << i;
}

}  // namespace
}  // namespace kavel
