// The sample databases of later layouts, run through the whole upgrade as the user runs it
// (the upgrade as its button runs it): each must end in the same final schema as the oldest
// layout. A database already upgraded must come through untouched, with probes and ledger
// look-ups only; one upgraded up to 2010-12-30 gains the rest and keeps its rows.

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <sstream>

#include "RecordingRunner.h"

namespace kavel {
namespace {

const char* const kSuccess = "Kavel升级成功，请更新Kavel.exe";

std::string ExpectedSchema() {
    std::ifstream in(KAVEL_EXPECTED_DIR "/upgraded_oldest_layout.schema", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SampleDatabasesTest : public test::StandinDatabaseTest {
protected:
    struct Run {
        std::string failure;  // the error that ended the run; empty when none did
        std::vector<test::ShownBox> boxes;
        std::vector<std::string> statements;
    };
    // The upgrade as the button runs it (the baseline box not ticked), by a runner of its own on
    // the database started already, with the issn.dat shipped beside the program.
    Run Upgrade() {
        test::RecordingRunner shown;
        TUpgradeRunner runner(database, shown, shown);
        runner.ProgramFolder = KAVEL_SHIPPED_DATA_DIR;
        const std::size_t mark = HasTrace() ? TraceMark() : 0;
        Run run;
        try {
            runner.RunUpgrade(false);
        } catch (const std::exception& e) {
            run.failure = e.what();
        }
        run.boxes = shown.boxes;
        if (HasTrace()) run.statements = TracedSince(mark);
        return run;
    }
    std::vector<std::string> Ledger() {
        auto rows = Column("select vm_mess from ver_manage");
        for (auto& r : rows) r.erase(r.find_last_not_of(' ') + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // Row counts of the tables that carry the library's data, to see that none were lost.
    std::vector<std::string> Counts() {
        std::vector<std::string> counts;
        for (const char* table :
             {"lib_baokan", "lib_bkzd", "lib_bkzdls", "lib_bianma", "lib_tiaoma", "lib_people",
              "lib_jieshu", "lib_fakuan", "lib_enterpeople", "lib_issncode", "lib_gongneng"}) {
            counts.push_back(std::string(table) + " " +
                             Column(std::string("select count(*) from ") + table).at(0));
        }
        return counts;
    }
};

TEST_F(SampleDatabasesTest, AnUpgradedDatabaseIsOnlyLookedAt) {
    StartUpgradeDatabase(test::kUpgraded);
    if (IsSkipped()) return;
    const auto ledgerBefore = Ledger();
    ASSERT_EQ(ledgerBefore.size(), 9u);
    const std::string schemaBefore = Schema();
    const auto countsBefore = Counts();

    const Run run = Upgrade();
    EXPECT_EQ(run.failure, "");
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, kSuccess);
    EXPECT_EQ(Ledger(), ledgerBefore);
    EXPECT_EQ(Schema(), schemaBefore);
    EXPECT_EQ(Schema(), ExpectedSchema());
    EXPECT_EQ(Counts(), countsBefore);
    if (!HasTrace()) return;
    ASSERT_FALSE(run.statements.empty());
    for (const auto& s : run.statements) EXPECT_EQ(s.rfind("select ", 0), 0u) << s;
}

TEST_F(SampleDatabasesTest, TheLevelOf2010GainsTheRestAndKeepsItsRows) {
    StartUpgradeDatabase(test::kLevel2010);
    if (IsSkipped()) return;
    ASSERT_EQ(Ledger().size(), 5u);
    const auto countsBefore = Counts();

    const Run run = Upgrade();
    EXPECT_EQ(run.failure, "");
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, kSuccess);
    EXPECT_EQ(Ledger().size(), 9u);
    EXPECT_EQ(Schema(), ExpectedSchema());
    EXPECT_EQ(Counts(), countsBefore);
    // What 2012-03-15 fills in on rows that were there: entries signed out, shelf numbers empty.
    EXPECT_EQ(Column("select count(*) from lib_enterpeople where ep_sign<>'签退'"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(Column("select count(*) from lib_bkzd where zd_shanjiahao<>''"),
              std::vector<std::string>{"0"});
    // The earlier steps, already marked, were not run again: no table was rebuilt.
    if (!HasTrace()) return;
    for (const auto& s : run.statements) {
        EXPECT_EQ(s.find("drop table"), std::string::npos) << s;
    }
}

}  // namespace
}  // namespace kavel
