// The whole upgrade as the user runs it with its button, on the oldest layout, with and without
// the box that runs the baseline step from the driver. Checks the final schema
// (every table, column, type, nullability, default, key and index), the nine markers, data that
// must survive, and a second run that only looks.
//
// With KAVEL_TEST_ODBC_DSN naming a data source on a real SQL Server these tests run there
// instead of on a stand-in (see LiveServer.h); the checks that read the stand-in's statement
// trace are then left out.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "RecordingRunner.h"

namespace kavel {
namespace {

const std::vector<std::string> kAllMarkers = {
    "PEOPLE_LEN_12",          "ZZ20071103.CHGBMMONTH", "ZZ20071203.BOOKBAR_LEN_12",
    "ZZ20100511.PUBLISH_LEN", "ZZ20101230.YUELANSHI",  "ZZ20120315.BKZD",
    "ZZ20130901.VERUP",       "ZZ20150325.YIGONG",     "ZZ20170109.SFZ"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class WholeUpgradeTest : public test::RunnerTest, public testing::WithParamInterface<bool> {
protected:
    void Start() {
        StartUpgradeDatabase(test::kOldestLayout);
        if (IsSkipped() || HasFatalFailure()) return;
        AttachRunner();
        runner->ProgramFolder = KAVEL_SHIPPED_DATA_DIR;  // the issn.dat shipped beside the program
    }

    // The upgrade as its button runs it, the baseline box ticked as the parameter says; returns
    // the error that ended it (empty when none did), the boxes shown, the seconds and statements
    // it took.
    struct Run {
        std::string failure;
        std::vector<test::ShownBox> boxes;
        double seconds = 0;
        std::vector<std::string> statements;
    };
    Run Upgrade() {
        const std::size_t mark = TraceMark();
        recorder.boxes.clear();
        const auto started = std::chrono::steady_clock::now();
        Run run;
        run.failure = RunUpgradeFailure(GetParam());
        run.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        run.boxes = recorder.boxes;
        run.statements = TracedSince(mark);
        return run;
    }

    std::vector<std::string> Ledger() {
        auto rows = Column("select vm_mess from ver_manage");
        for (auto& r : rows) r.erase(r.find_last_not_of(' ') + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_P(WholeUpgradeTest, TheOldestLayoutEndsWithTheFinalSchemaAndTheNineMarkers) {
    Start();
    if (IsSkipped()) return;
    const Run first = Upgrade();
    EXPECT_EQ(first.failure, "");
    ASSERT_EQ(first.boxes.size(), 1u);
    EXPECT_EQ(first.boxes[0].text, "Kavel升级成功，请更新Kavel.exe");
    RecordProperty("first_run_seconds", std::to_string(first.seconds));
    RecordProperty("first_run_statements", std::to_string(first.statements.size()));

    auto markers = kAllMarkers;
    std::sort(markers.begin(), markers.end());
    EXPECT_EQ(Ledger(), markers);

    const std::string expectedFile = KAVEL_EXPECTED_DIR "/upgraded_oldest_layout.schema";
    const std::string schema = Schema();
    if (std::getenv("KAVEL_WRITE_EXPECTED"))
        std::ofstream(expectedFile, std::ios::binary) << schema;
    EXPECT_EQ(schema, ReadFile(expectedFile));

    // Data the upgrade must carry over: operators under their wider key, prices and counts of the
    // periodicals, every subscription with its ISSN from the code table, the arrival register in
    // the new layout.
    EXPECT_EQ(Column("select count(*) from lib_people"), std::vector<std::string>{"5"});
    EXPECT_EQ(Rows("select pe_name from lib_people where pe_code='O''01'"),
              (std::vector<std::vector<std::string>>{{"O'Brien"}}));
    EXPECT_EQ(Rows("select bk_yprice, bk_hyprice, bk_number from lib_baokan where bk_code='1-001'"),
              (std::vector<std::vector<std::string>>{{"60.00", "0.00", "0"}}));
    EXPECT_EQ(Column("select count(*) from lib_bkzd"), std::vector<std::string>{"21"});
    EXPECT_EQ(Column("select count(*) from lib_bkzd where zd_issn is null or zd_issn=''"),
              Column("select count(*) from lib_bkzd where zd_code not in "
                     "(select ic_code from lib_issncode)"));
    // Every pair with issues has its schedule; pairs without (no period word, a NULL start or
    // mark) lost their old rows; a register row of a pair no longer subscribed stays as it was.
    EXPECT_EQ(Column("select count(*) from lib_bkqs where qs_notice like 'FORMAT%'"),
              std::vector<std::string>{"13"});
    EXPECT_EQ(Column("select qs_code from lib_bkqs where qs_notice is null or "
                     "qs_notice not like 'FORMAT%'"),
              std::vector<std::string>{"1-099     "});
    EXPECT_EQ(Rows("select count(*) as n, min(yn_name) as name from lib_YlsName"),
              (std::vector<std::vector<std::string>>{{"1", "默认阅览室"}}));
}

TEST_P(WholeUpgradeTest, ASecondRunOnlyLooksApartFromTheUnguardedStatements) {
    Start();
    if (IsSkipped()) return;
    const Run first = Upgrade();
    EXPECT_EQ(first.failure, "");
    ASSERT_EQ(first.boxes.size(), 1u);
    const std::string schemaAfterFirst = Schema();
    const auto ledgerAfterFirst = Ledger();

    const Run second = Upgrade();
    EXPECT_EQ(second.failure, "");
    ASSERT_EQ(second.boxes.size(), 1u);
    EXPECT_EQ(second.boxes[0].text, "Kavel升级成功，请更新Kavel.exe");
    RecordProperty("second_run_seconds", std::to_string(second.seconds));
    RecordProperty("second_run_statements", std::to_string(second.statements.size()));
    EXPECT_EQ(Ledger(), ledgerAfterFirst);
    EXPECT_EQ(Schema(), schemaAfterFirst);
    if (!HasTrace()) return;

    // Without the baseline step every statement of a second run is a probe or a ledger look-up.
    // The baseline step, run again from the driver, repeats the actions it leaves unguarded: the
    // ISSN import (filling numbers still empty), the ISSN copy into lib_bkzd, and the menu rows.
    const std::vector<std::string> unguarded = {
        "update lib_issncode set ", "update lib_bkzd set", "delete from lib_gongneng where",
        "update lib_gongneng set", "INSERT INTO lib_gongneng VALUES("};
    ASSERT_FALSE(second.statements.empty());
    for (const auto& s : second.statements) {
        if (s.rfind("select ", 0) == 0) continue;
        const bool allowed =
            GetParam() && std::any_of(unguarded.begin(), unguarded.end(),
                                      [&](const std::string& p) { return s.rfind(p, 0) == 0; });
        EXPECT_TRUE(allowed) << s;
    }
}

INSTANTIATE_TEST_SUITE_P(BaselineBox, WholeUpgradeTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Ticked" : "Unticked";
                         });

}  // namespace
}  // namespace kavel
