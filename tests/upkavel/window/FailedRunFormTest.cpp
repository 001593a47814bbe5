// Runs that end in an error, through the window: the error box the application shows for it, the
// working label left shown, and a window whose controls are all usable again, so the user can
// fix the cause and run once more. What the runner sends and leaves on these databases is in the
// runner's tests (upkavel_runner_tests).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <optional>

#include "BaselineExtraSql.h"
#include "JobFormTest.h"
#include "RecordingPresenter.h"
#include "StandinDatabase.h"
#include "TApplication.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

using test::kIssnCodes;

// ---- The baseline step (the box "同时升级以前所有的系统升级" ticked) on the oldest layout ----

class BaselineStepTest : public test::JobFormTest {
protected:
    // The form on the oldest layout plus `extraSql`, its program folder holding an empty
    // issn.dat (the import then leaves lib_issncode as the extra SQL made it).
    void StartBaseline(const std::string& extraSql) {
        StartForm(test::kOldestLayout, extraSql);
        if (IsSkipped() || HasFatalFailure()) return;
        WriteFile("issn.dat", "");
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // The user's way: both boxes ticked, then the upgrade button.
    void ClickUpgrade() {
        if (!form->ckBefore->isChecked())
            QTest::mouseClick(form->ckBefore, Qt::LeftButton, {}, {6, 8});
        if (!form->cbBackup->isChecked())
            QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, {6, 8});
        ASSERT_TRUE(form->btUp->isEnabled());
        QTest::mouseClick(form->btUp, Qt::LeftButton);
    }

    std::string One(const std::string& sql) {
        const auto values = Column(sql);
        return values.size() == 1 ? values[0] : "(" + std::to_string(values.size()) + " rows)";
    }
};

// Each ends the run with the server's message in the default error box, keeps what ran before,
// and leaves the form ready for another run once the cause is fixed.
struct FailureCase {
    const char* name;
    std::string extraSql;
    std::string message;
    std::string keptQuery, kept;  // work of the actions before the failure
    std::string notReachedQuery, notReached;
    std::string fixSql;  // what the user does before trying again
};

class BaselineFailureTest : public BaselineStepTest,
                            public testing::WithParamInterface<FailureCase> {};

TEST_P(BaselineFailureTest, ShowsTheServersErrorKeepsTheEarlierWorkAndLeavesTheFormUsable) {
    const auto& c = GetParam();
    StartBaseline(c.extraSql);
    if (IsSkipped()) return;
    test::RecordingPresenter boxes;
    ClickUpgrade();

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, c.message);
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    EXPECT_EQ(One(c.keptQuery), c.kept);
    EXPECT_EQ(One(c.notReachedQuery), c.notReached);
    EXPECT_EQ(One("select count(*) from ver_manage"), "0");  // no driver marker
    EXPECT_TRUE(form->lbWorking->isVisible());
    EXPECT_FALSE(form->Running());
    EXPECT_TRUE(form->btUp->isEnabled() && form->btExit->isEnabled() &&
                form->ckBefore->isEnabled() && form->cbBackup->isEnabled());

    if (!c.fixSql.empty()) form->Runner.RunSql(c.fixSql);
    ClickUpgrade();
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Kavel升级成功，请更新Kavel.exe");
    EXPECT_EQ(One("select count(*) from sysobjects where name = 'lib_enterpeople'"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, BaselineFailureTest,
    testing::Values(
        // Rows of an interrupted rebuild in lib_peopletmp, more than lib_people holds: nothing
        // can tell which copy is right, so the run stops before it changes anything.
        FailureCase{
            "PeopleRowsInBothTables",
            kIssnCodes +
                "create table lib_peopletmp (pe_code char(6) NOT NULL, pe_name char(40))\nGO\n"
                "insert into lib_peopletmp select * from lib_people\nGO\n"
                "insert into lib_peopletmp values ('000004', 'X')\nGO\n",
            "上次升级中断时，lib_peopletmp 中留下 6 行，而 lib_people 只有 5 行。两个表都未改动，"
            "请核对后再升级。",
            "select count(*) from lib_people", "5",
            "select length from syscolumns where name = 'zd_usercode' and id in "
            "(select id from sysobjects where name = 'lib_bkzdls')",
            "6", "drop table lib_peopletmp"},
        FailureCase{
            "CanshubWithToudilvOnly",
            kIssnCodes + "alter table lib_canshub add cs_toudilv numeric(5,2) default(10)\nGO\n",
            "Column names in each table must be unique. Column name 'cs_toudilv' in table "
            "'lib_canshub' is specified more than once.",
            "select count(*) from syscolumns where name = 'cs_autosign'", "1",
            "select count(*) from syscolumns where name = 'bk_yprice'", "0", ""},
        // The name taken by a key of another table: the import finds it and creates nothing,
        // and the copy cannot open it.
        FailureCase{"IssncodeMissingAtTheCopy",
                    "create table lib_other (ot_id int NOT NULL)\nGO\n"
                    "alter table lib_other add constraint lib_issncode primary key nonclustered "
                    "(ot_id)\nGO\n",
                    "Invalid object name 'lib_issncode'.",
                    // action 18 cleared every subscription's ISSN; action 20 did not run
                    "select count(*) from lib_bkzd where zd_issn = ''", "21",
                    "select count(*) from syscolumns where name = 'bm_bookno'", "0",
                    "alter table lib_other drop constraint lib_issncode"},
        FailureCase{"EnterpeoplepWithoutEnterpeople",
                    kIssnCodes + "create table lib_enterpeoplep (ep_name char(40))\nGO\n",
                    "There is already an object named 'lib_enterpeoplep' in the database.",
                    "select count(*) from sysobjects where name = 'PK_lib_enterpeople'", "1",
                    // the arrival schedules (action 36) were not rewritten
                    "select count(*) from lib_bkqs where qs_notice like 'FORMAT%'", "0",
                    // lib_enterpeople now exists, so the next run would skip the action that
                    // creates both tables: the user removes the half-done pair
                    "drop table lib_enterpeoplep drop table lib_enterpeople"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// ---- Step 2005-03 on a database at the baseline level ----

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

    // The statements sent since `mark` that begin with `prefix`.
    std::vector<std::string> SentSince(std::size_t mark, const std::string& prefix) const {
        std::vector<std::string> sent;
        for (const auto& s : TracedSince(mark))
            if (s.rfind(prefix, 0) == 0) sent.push_back(s);
        return sent;
    }

    std::unique_ptr<TUpKavelMain> form;
};

TEST_F(Step2005_03Test, AMissingMenuTableIsDiscardedUntilTheUnprotectedProbe) {
    StartForm("drop table lib_gongneng\nGO\n");
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    const auto boxes = RunUpgrade();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid object name 'lib_gongneng'.");
    // 391 and 399 went by without a word; the probe for 392 ended the run.
    EXPECT_EQ(SentSince(mark, "select gn_menucode from lib_gongneng"),
              (std::vector<std::string>{
                  "select gn_menucode from lib_gongneng where gn_menucode=391\r\n",
                  "select gn_menucode from lib_gongneng where gn_menucode=399\r\n",
                  "select gn_menucode from lib_gongneng where gn_menucode=392\r\n"}));
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
                                         MissingTable{"lib_canshub", "lib_bkzdtmp",
                                                      "zd_otheraddr"}),
                         [](const auto& info) { return std::string(info.param.table); });

// ---- The steps 2007-03-12 to 2012-03-15 on a database at the 2005-03 level ----

const std::vector<std::string> kStepMarkers = {
    "PEOPLE_LEN_12",          "ZZ20071103.CHGBMMONTH", "ZZ20071203.BOOKBAR_LEN_12",
    "ZZ20100511.PUBLISH_LEN", "ZZ20101230.YUELANSHI",  "ZZ20120315.BKZD"};

using Table = std::vector<std::vector<std::string>>;

class LaterStepsTest : public test::StandinDatabaseTest {
public:
    void Start(const std::string& extraSql = {}) {
        StartStandinOn(test::kLevel2005_03, extraSql);
        if (IsSkipped()) return;
        form = std::make_unique<TUpKavelMain>(database);
        form->show();
    }

    std::vector<std::string> Ledger() {
        auto rows = Column("select vm_mess from ver_manage");
        for (auto& r : rows) r.erase(r.find_last_not_of(' ') + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    using StandinDatabaseTest::Column;
    using StandinDatabaseTest::ColumnOf;
    using StandinDatabaseTest::ColumnsOf;
    using StandinDatabaseTest::Exists;
    using StandinDatabaseTest::Rows;

    std::unique_ptr<TUpKavelMain> form;
};

struct FaultCase {
    const char* name;
    std::string extraSql;
    const char* message;              // the server's error, shown as it is
    std::vector<std::string> ledger;  // sorted
    std::function<void(LaterStepsTest&)> checkDatabase;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class LaterStepsFaultTest : public LaterStepsTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(LaterStepsFaultTest, TheRunEndsInTheErrorBoxAndTheFormStaysUsable) {
    Start(GetParam().extraSql);
    if (IsSkipped()) return;
    form->cbBackup->click();
    test::RecordingPresenter boxes;
    form->btUp->click();

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, GetParam().message);
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    EXPECT_EQ(Ledger(), GetParam().ledger);
    GetParam().checkDatabase(*this);
    EXPECT_TRUE(form->lbWorking->isVisible());
    EXPECT_TRUE(form->btUp->isEnabled());
    EXPECT_TRUE(form->btExit->isEnabled());
    EXPECT_FALSE(form->Running());

    // The failed work is not tried again: the next run goes past it to the end.
    form->btUp->click();
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Kavel升级成功，请更新Kavel.exe");
    EXPECT_FALSE(form->lbWorking->isVisible());
}

std::vector<std::string> MarkersUpTo(const std::string& last) {
    std::vector<std::string> markers(kStepMarkers.begin(),
                                     std::find(kStepMarkers.begin(), kStepMarkers.end(), last) + 1);
    std::sort(markers.begin(), markers.end());
    return markers;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LaterStepsFaultTest,
    testing::Values(
        FaultCase{"PeopleWithAThirdColumn",
                  "alter table lib_people add pe_dept char(20) default('')\nGO\n",
                  "Column name or number of supplied values does not match table definition.",
                  MarkersUpTo("PEOPLE_LEN_12"),
                  [](LaterStepsTest& t) {
                      // The widths changed; the work copy stays, empty; lib_people as it was.
                      EXPECT_EQ(t.ColumnOf("lib_enterpeople", "ep_name")->length, 20);
                      EXPECT_EQ(t.Column("select count(*) from lib_peopletmp"),
                                std::vector<std::string>{"0"});
                      EXPECT_EQ(t.ColumnsOf("lib_people").size(), 3u);
                      EXPECT_EQ(t.ColumnOf("lib_people", "pe_code")->length, 9);
                      EXPECT_EQ(t.Column("select count(*) from lib_people"),
                                std::vector<std::string>{"5"});
                  }},
        FaultCase{"BarcodesWithoutEndDate",
                  "drop table lib_tiaoma\nGO\n"
                  "create table lib_tiaoma (tm_barcode char(9) NOT NULL, tm_mark char(1) "
                  "default('0'), tm_no int NOT NULL, tm_logdate datetime default(getdate()))\nGO\n"
                  "alter table lib_tiaoma add constraint PK_lib_tiaoma primary key nonclustered "
                  "(tm_barcode)\nGO\n"
                  "insert into lib_tiaoma (tm_barcode, tm_no, tm_logdate) "
                  "values ('B00000001', 1, '2007-07-02'), ('B00000002', 2, '2007-12-20')\nGO\n",
                  "Invalid column name 'tm_enddate'.", MarkersUpTo("ZZ20071203.BOOKBAR_LEN_12"),
                  [](LaterStepsTest& t) {
                      EXPECT_EQ(t.Column("select count(*) from lib_tiaoma_tmp"),
                                std::vector<std::string>{"0"});
                      EXPECT_EQ(t.ColumnOf("lib_tiaoma", "tm_barcode")->length, 9);
                      EXPECT_EQ(t.Column("select count(*) from lib_tiaoma"),
                                std::vector<std::string>{"2"});
                      EXPECT_TRUE(t.Exists("lib_biaoqianfont"));
                      // The bar stays where the step stopped.
                      EXPECT_TRUE(t.form->pgbBar->isVisible());
                      EXPECT_EQ(t.form->pgbBar->value(), 5);
                  }},
        FaultCase{"ReadingRoomTableAlreadyThere",
                  "create table lib_YlsName (yn_id int NOT NULL, yn_name char(40))\nGO\n"
                  "insert into lib_YlsName values (3, '第三阅览室')\nGO\n",
                  "There is already an object named 'lib_YlsName' in the database.",
                  MarkersUpTo("ZZ20101230.YUELANSHI"),
                  [](LaterStepsTest& t) {
                      EXPECT_EQ(t.ColumnOf("lib_bianma", "bm_publish")->length, 40);
                      EXPECT_EQ(t.Rows("select yn_id, yn_name from lib_YlsName"),
                                (Table{{"3", "第三阅览室"}}));
                      EXPECT_FALSE(t.ColumnOf("lib_enterpeople", "ep_room").has_value());
                  }},
        FaultCase{"ShelfNumberOnlyInTheWorkTable",
                  "alter table lib_bkzdtmp add zd_shanjiahao char(12) default('')\nGO\n"
                  "update lib_bkzdtmp set zd_shanjiahao = 'A-01'\nGO\n",
                  "Column names in each table must be unique. Column name 'zd_shanjiahao' in "
                  "table 'lib_bkzdtmp' is specified more than once.",
                  MarkersUpTo("ZZ20120315.BKZD"),
                  [](LaterStepsTest& t) {
                      EXPECT_EQ(
                          t.Rows("select distinct '[' + zd_shanjiahao + ']' as s from lib_bkzd"),
                          (Table{{"[            ]"}}));
                      EXPECT_EQ(t.Rows("select zd_shanjiahao from lib_bkzdtmp"), (Table{{"A-01"}}));
                      EXPECT_TRUE(t.ColumnOf("lib_enterpeople", "ep_sign").has_value());
                  }}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// ---- The ISSN code import without issn.dat ----

class IssnImportTest : public test::JobFormTest {};

TEST_F(IssnImportTest, AMissingIssnDatEndsTheRunWithABoxNamingTheFileAndItsFolder) {
    StartForm(test::kOldestLayout);
    if (IsSkipped()) return;
    test::RecordingPresenter boxes;
    Application.Guarded([&] { form->Runner.DoCodeIssnWork(); });

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string& text = boxes.Boxes()[0].text;
    EXPECT_NE(text.find("issn.dat"), std::string::npos) << text;
    EXPECT_NE(text.find(folder.path().toStdString()), std::string::npos) << text;
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    // The table was created before the file was opened.
    EXPECT_EQ(ColumnsOf("lib_issncode").size(), 3u);
}

}  // namespace
}  // namespace kavel
