// The whole upgrade as its button runs it, on a sample database of each level (the oldest layout,
// the baseline's, 2005-03's, 2010-12-30's and one already upgraded), with the box that runs the
// baseline step from the driver ticked and unticked: every level ends in the final schema with
// the nine markers and keeps the library's rows, the baseline runs exactly once, and a second
// run only looks (apart from what the baseline leaves unguarded, when the box is ticked).
//
// With KAVEL_TEST_ODBC_DSN naming a data source on a real SQL Server these tests run there
// instead of on a stand-in; the checks that read the statement trace are then left out.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "ExpectedTrace.h"
#include "RecordingRunner.h"

namespace kavel {
namespace {

using Table = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

const Strings kAllMarkers = {
    "PEOPLE_LEN_12",          "ZZ20071103.CHGBMMONTH", "ZZ20071203.BOOKBAR_LEN_12",
    "ZZ20100511.PUBLISH_LEN", "ZZ20101230.YUELANSHI",  "ZZ20120315.BKZD",
    "ZZ20130901.VERUP",       "ZZ20150325.YIGONG",     "ZZ20170109.SFZ"};

class UpgradeLevelsTest;

struct Level {
    const char* name;
    const char* fixture;
    bool wholeDatabase;  // false: a sample holding only the tables its steps touch
    std::function<void(UpgradeLevelsTest&)> checkData;  // what the upgrade made of the rows
};

void PrintTo(const Level& l, std::ostream* out) { *out << l.name; }

class UpgradeLevelsTest : public test::RunnerTest,
                          public testing::WithParamInterface<std::tuple<Level, bool>> {
public:
    using StandinDatabaseTest::Column;
    using StandinDatabaseTest::Rows;

protected:
    const Level& level() const { return std::get<0>(GetParam()); }
    bool ticked() const { return std::get<1>(GetParam()); }

    // Row counts of the tables that carry the library's data, where they exist.
    Strings Counts() {
        Strings counts;
        for (const char* table :
             {"lib_baokan", "lib_bkzd", "lib_bkzdls", "lib_bianma", "lib_tiaoma", "lib_people",
              "lib_jieshu", "lib_fakuan", "lib_enterpeople", "lib_duzhe", "lib_canshub"}) {
            if (Exists(table))
                counts.push_back(
                    table + (" " + Column(std::string("select count(*) from ") + table).at(0)));
        }
        return counts;
    }

    // One run; the statements it sent (none on a real server).
    Strings Upgrade() {
        const std::size_t mark = HasTrace() ? TraceMark() : 0;
        recorder.boxes.clear();
        EXPECT_EQ(RunUpgradeFailure(ticked()), "");
        EXPECT_EQ(recorder.boxes.size(), 1u);
        if (!recorder.boxes.empty()) {
            EXPECT_EQ(recorder.boxes[0].text, test::kSuccess);
        }
        EXPECT_FALSE(recorder.workingVisible);
        return HasTrace() ? TracedSince(mark) : Strings{};
    }
};

TEST_P(UpgradeLevelsTest, EndsInTheFinalSchemaKeepsTheRowsAndASecondRunOnlyLooks) {
    StartUpgradeDatabase(level().fixture);
    if (IsSkipped() || HasFatalFailure()) return;
    AttachRunner();
    runner->ProgramFolder = KAVEL_SHIPPED_DATA_DIR;  // the issn.dat shipped beside the program
    const auto countsBefore = Counts();

    const auto first = Upgrade();
    const std::string schema = Schema();
    if (level().wholeDatabase) {
        EXPECT_EQ(schema, test::ExpectedSchema(schema));
    }
    auto markers = kAllMarkers;
    std::sort(markers.begin(), markers.end());
    EXPECT_EQ(Ledger(), markers);
    // Tables that held rows hold them still (the new ones may add more columns, not rows).
    const auto countsAfter = Counts();
    for (const auto& before : countsBefore)
        EXPECT_NE(std::find(countsAfter.begin(), countsAfter.end(), before), countsAfter.end())
            << before;
    if (level().checkData) level().checkData(*this);
    if (HasTrace()) {
        // The baseline runs once: from the driver when ticked, from step 2005-03 on a database
        // without its tables, never both.
        const bool oldest = std::string(level().fixture) == test::kOldestLayout;
        EXPECT_EQ(std::count(first.begin(), first.end(),
                             "select * from sysobjects where name ='lib_rukutj'\r\n"),
                  ticked() || oldest ? 1 : 0);
    }

    const auto second = Upgrade();
    EXPECT_EQ(Schema(), schema);
    EXPECT_EQ(Ledger(), markers);
    if (!HasTrace()) return;
    // Without the baseline every statement of a second run is a probe or a ledger look-up; the
    // baseline repeats what it leaves unguarded: the ISSN import filling numbers still empty,
    // the ISSN copy into lib_bkzd, and the menu rows.
    const Strings unguarded = {"update lib_issncode set ", "update lib_bkzd set",
                               "delete from lib_gongneng where", "update lib_gongneng set",
                               "INSERT INTO lib_gongneng VALUES("};
    ASSERT_FALSE(second.empty());
    for (const auto& s : second) {
        if (s.rfind("select ", 0) == 0) continue;
        EXPECT_TRUE(ticked() && std::any_of(unguarded.begin(), unguarded.end(),
                                            [&](const auto& p) { return s.rfind(p, 0) == 0; }))
            << s;
    }
}

void OldestLayoutData(UpgradeLevelsTest& t) {
    // Operators under their wider key, every subscription with its
    // ISSN from the code table, the arrival register in the new layout, one reading room.
    EXPECT_EQ(t.Rows("select pe_code, pe_name from lib_people where pe_code='O''01'"),
              (Table{{"O'01", "O'Brien"}}));
    EXPECT_EQ(t.Column("select count(*) from lib_bkzd where zd_issn is null or zd_issn=''"),
              t.Column("select count(*) from lib_bkzd where zd_code not in "
                       "(select ic_code from lib_issncode)"));
    // Every pair with issues has its schedule; a register row of a pair no longer subscribed
    // stays as it was.
    EXPECT_EQ(t.Column("select count(*) from lib_bkqs where qs_notice like 'FORMAT%'"),
              Strings{"13"});
    EXPECT_EQ(t.Column("select qs_code from lib_bkqs where qs_notice is null or "
                       "qs_notice not like 'FORMAT%'"),
              Strings{"1-099     "});
    EXPECT_EQ(t.Rows("select count(*) as n, min(yn_name) as name from lib_YlsName"),
              (Table{{"1", "默认阅览室"}}));
}

void Level2010Data(UpgradeLevelsTest& t) {
    // What 2012-03-15 fills in on rows that were there: entries signed out, shelf numbers empty.
    EXPECT_EQ(t.Column("select count(*) from lib_enterpeople where ep_sign<>'签退'"), Strings{"0"});
    EXPECT_EQ(t.Column("select count(*) from lib_bkzd where zd_shanjiahao<>''"), Strings{"0"});
}

INSTANTIATE_TEST_SUITE_P(
    Levels, UpgradeLevelsTest,
    testing::Combine(testing::Values(Level{"Oldest", test::kOldestLayout, true, OldestLayoutData},
                                     Level{"Baseline", test::kBaselineLevel, false, nullptr},
                                     Level{"Level2005_03", test::kLevel2005_03, false, nullptr},
                                     Level{"Level2010", test::kLevel2010, true, Level2010Data},
                                     Level{"Upgraded", test::kUpgraded, true, nullptr}),
                     testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) ? "BoxTicked" : "BoxUnticked");
    });

}  // namespace
}  // namespace kavel
