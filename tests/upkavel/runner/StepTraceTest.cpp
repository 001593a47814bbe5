// What each step sends, byte for byte and in order, on the database it was written for: a first
// run, a second run (its probes only, or what it leaves unguarded), and a third that sends what
// the second did. The statements are in tests/upkavel/expected/*.trace; the guard cases are
// databases whose ledger and catalogue disagree.

#include <gtest/gtest.h>

#include "BaselineExtraSql.h"
#include "ExpectedTrace.h"
#include "RecordingRunner.h"

namespace kavel {
namespace {

using Step = void (TUpgradeRunner::*)();
using Statements = std::vector<std::string>;

const std::vector<Step> kLaterSteps = {
    &TUpgradeRunner::Do2007_03_12, &TUpgradeRunner::Do2007_11_03, &TUpgradeRunner::Do2007_12_03,
    &TUpgradeRunner::Do2010_05_11, &TUpgradeRunner::Do2010_12_30, &TUpgradeRunner::Do2012_03_15};

std::string Marked(const char* marker) {
    return std::string("insert into ver_manage(vm_mess) values('") + marker + "')\nGO\n";
}

struct TraceCase {
    const char* name;
    const char* fixture;
    std::string extraSql;
    std::vector<Step> steps;
    const char* firstRun;                  // expected file of the first run
    const char* secondRun;                 // of the second, nullptr: not compared
    std::vector<std::string> ledger = {};  // after the first run, when given
};

void PrintTo(const TraceCase& c, std::ostream* out) { *out << c.name; }

class StepTraceTest : public test::RunnerTest, public testing::WithParamInterface<TraceCase> {
protected:
    Statements Run() {
        const auto mark = TraceMark();
        for (const Step step : GetParam().steps) ((*runner).*step)();
        return TracedSince(mark);
    }

    // The file's statements, with the name the server gave the default constraint of bm_month
    // (it carries an object id) in place of "{bm_month default}".
    Statements Expected(const std::string& fileName) {
        auto statements = test::ExpectedTrace(fileName);
        const auto name = Column(
            "select name from sysobjects where id in (select cdefault from syscolumns "
            "where name='bm_month' and id in (select id from sysobjects where name='lib_bianma'))");
        const std::string placeholder = "{bm_month default}";
        for (auto& s : statements)
            if (const auto at = s.find(placeholder); at != std::string::npos)
                s.replace(at, placeholder.size(), name.empty() ? "" : name[0]);
        return statements;
    }
};

TEST_P(StepTraceTest, FirstSecondAndThirdRunSendExactlyTheirStatements) {
    const auto& c = GetParam();
    StartRunner(c.fixture, c.extraSql);
    if (IsSkipped()) return;
    WriteFile("issn.dat", "");  // the baseline's import then leaves lib_issncode as it is
    const auto people = Column("select count(*) from lib_people");
    const auto expectFirst = Expected(c.firstRun);
    const auto expectSecond = c.secondRun ? Expected(c.secondRun) : Statements{};
    EXPECT_EQ(test::MatchTrace(Run(), expectFirst), "");
    if (!c.ledger.empty()) {
        EXPECT_EQ(Ledger(), c.ledger);
    }
    const auto second = Run();
    if (c.secondRun) {
        EXPECT_EQ(test::MatchTrace(second, expectSecond), "");
    }
    // Nothing the second run did is left for a third.
    EXPECT_EQ(Run(), second);
    // The operators keep their rows however their columns were found.
    EXPECT_EQ(Column("select count(*) from lib_people"), people);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepTraceTest,
    testing::Values(
        TraceCase{"Baseline",
                  test::kOldestLayout,
                  test::kIssnCodes,
                  {&TUpgradeRunner::Do2005Before},
                  "baseline_first_run.trace",
                  "baseline_second_run.trace"},
        TraceCase{"Step2005_03",
                  test::kBaselineLevel,
                  "",
                  {&TUpgradeRunner::Do2005_03},
                  "step2005_03_first_run.trace",
                  "step2005_03_second_run.trace"},
        TraceCase{"LaterSteps",
                  test::kLevel2005_03,
                  "",
                  kLaterSteps,
                  "later_steps_first_run.trace",
                  "later_steps_second_run.trace",
                  {"PEOPLE_LEN_12", "ZZ20071103.CHGBMMONTH", "ZZ20071203.BOOKBAR_LEN_12",
                   "ZZ20100511.PUBLISH_LEN", "ZZ20101230.YUELANSHI", "ZZ20120315.BKZD"}},
        TraceCase{"PeopleMarkerAbsentColumnsAlreadyWide",
                  test::kLevel2005_03,
                  "alter table lib_cuihuan alter column ch_name char(20)\nGO\n"
                  "alter table lib_fakuan alter column fk_id char(12)\nGO\n"
                  "alter table lib_bkzd alter column zd_usercode char(12)\nGO\n",
                  {&TUpgradeRunner::Do2007_03_12},
                  "later_steps_guard_PeopleMarkerAbsentColumnsAlreadyWide.trace",
                  nullptr,
                  {"PEOPLE_LEN_12"}},
        TraceCase{"MonthMarkerPresentOrderColumnMissing",
                  test::kLevel2005_03,
                  Marked("ZZ20071103.CHGBMMONTH"),
                  {&TUpgradeRunner::Do2007_11_03},
                  "later_steps_guard_MonthMarkerPresentOrderColumnMissing.trace",
                  nullptr,
                  {"ZZ20071103.CHGBMMONTH"}},
        TraceCase{"MonthMarkerAbsentOrderColumnPresent",
                  test::kLevel2005_03,
                  "alter table lib_baokan add bk_order char(10)\nGO\n",
                  {&TUpgradeRunner::Do2007_11_03},
                  "later_steps_guard_MonthMarkerAbsentOrderColumnPresent.trace",
                  nullptr,
                  {"ZZ20071103.CHGBMMONTH"}},
        TraceCase{"BarcodeMarkerPresentFontTableMissing",
                  test::kLevel2005_03,
                  Marked("ZZ20071203.BOOKBAR_LEN_12"),
                  {&TUpgradeRunner::Do2007_12_03},
                  "later_steps_guard_BarcodeMarkerPresentFontTableMissing.trace",
                  nullptr,
                  {"ZZ20071203.BOOKBAR_LEN_12"}},
        TraceCase{"BkzdMarkerPresentSignColumnMissing",
                  test::kLevel2005_03,
                  Marked("ZZ20120315.BKZD"),
                  {&TUpgradeRunner::Do2012_03_15},
                  "later_steps_guard_BkzdMarkerPresentSignColumnMissing.trace",
                  nullptr,
                  {"ZZ20120315.BKZD"}},
        TraceCase{"BkzdMarkerAbsentShelfColumnPresent",
                  test::kLevel2005_03,
                  "alter table lib_bkzd add zd_shanjiahao char(12) default('')\nGO\n"
                  "alter table lib_enterpeoplep add ep_dzlx char(20) default('')\nGO\n"
                  "alter table lib_enterpeople add ep_sign char(4) default('签到')\nGO\n",
                  {&TUpgradeRunner::Do2012_03_15},
                  "later_steps_guard_BkzdMarkerAbsentShelfColumnPresent.trace",
                  nullptr,
                  {"ZZ20120315.BKZD"}}),
    [](const testing::TestParamInfo<TraceCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavel
