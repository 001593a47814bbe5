// scripts/rehearse on a stand-in that plays the live database, without a display: UpKavelCmd runs
// with the box 同时升级以前所有的系统升级 unticked and ticked (or as an option says), each on a
// fresh copy; the report tells each outcome and which setting to use, the exit code whether any
// setting succeeded, and the live database receives only reads.

#include <QProcess>
#include <QStringList>
#include <optional>

#include "KavelSettings.h"
#include "StandinDatabase.h"

namespace kavel {
namespace {

namespace fs = std::filesystem;

const std::string kSucceeded = "exit code 0\nOutcome: the upgrade SUCCEEDED on the copy.\n";
// Step 2005-03 finds lib_bianma, so leaves out the baseline, which alone creates lib_issncode.
const std::string kIssnFailure =
    "exit code 1\nOutcome: the upgrade FAILED on the copy.\nFailed in step: 2005-03\n"
    "Error: Msg 4902: Cannot find the object \"lib_issncode\" because it does not exist or you "
    "do not have permissions.\n"  // the server's message as it sent it, quotes and all
    "Failing statement:\n    alter table lib_issncode add ic_phttp char(128) DEFAULT('')\n";
// A parameter column that came without its partner fails the baseline's second ALTER, whether
// the box runs the baseline or step 2005-03 runs it for want of lib_bianma.
std::string ToudilvFailure(const std::string& step) {
    return "exit code 1\nOutcome: the upgrade FAILED on the copy.\nFailed in step: " + step +
           "\nError: Msg 2705: Column names in each table must be unique. Column name "
           "'cs_toudilv' in table 'lib_canshub' is specified more than once.\nFailing "
           "statement:\n    alter table lib_canshub add cs_toudilv numeric(5,2) default(10)\n";
}

struct RehearsalCase {
    const char* name;
    const char* fixture;
    std::string extraSql;
    const char* option;  // of scripts/rehearse
    int status;
    // How the run of each setting ended, from its exit code on; none: the setting was not run.
    std::optional<std::string> unticked, ticked;
    std::string advice;  // the closing sentence
};
void PrintTo(const RehearsalCase& c, std::ostream* out) { *out << c.name; }

class RehearsalTest : public test::StandinDatabaseTest,
                      public testing::WithParamInterface<RehearsalCase> {};

TEST_P(RehearsalTest, ReportsEachSettingsOutcomeAndOnlyReadsTheLiveDatabase) {
    const RehearsalCase& c = GetParam();
    StartStandinOn(c.fixture, c.extraSql);
    if (IsSkipped()) return;
    const std::string liveSchema = Schema();
    const std::size_t mark = TraceMark();
    const fs::path folder = server->Folder() / "rehearsal";
    const fs::path reg = server->Folder() / "live.reg";
    test::WriteFile(reg, test::KavelRegistry(test::LoginValues(
                             server->DsnName(), test::DigitCode(server->SaPassword()))));
    QProcess script;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KAVEL_REHEARSE_DIR", QString::fromStdString(folder.string()));
    env.insert("KAVEL_REHEARSE_HEADLESS", "1");
    env.insert("KAVEL_SQLSTANDIN", KAVEL_SQLSTANDIN_PATH);
    env.insert("KAVEL_UPKAVELCMD", KAVEL_UPKAVELCMD_PATH);
    env.insert("LSAN_OPTIONS", "suppressions=" KAVEL_LSAN_SUPPRESSIONS);
    env.remove("DISPLAY");
    script.setProcessEnvironment(env);
    script.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args{KAVEL_SCRIPTS_DIR "/rehearse", "--reg", QString::fromStdString(reg.string())};
    if (*c.option) args << c.option;
    script.start("bash", args);
    script.waitForFinished(15 * 60 * 1000);
    const std::string output = script.readAllStandardOutput().toStdString();

    EXPECT_EQ(script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1, c.status)
        << output;
    const std::string markdown = test::ReadFile(folder / "rehearsal.md");
    std::vector<std::string> reported = {c.advice};
    const std::string box = " (同时升级以前所有的系统升级): UpKavelCmd --backed-up";
    if (c.unticked) reported.push_back("With the box unticked" + box + ", " + *c.unticked);
    if (c.ticked) reported.push_back("With the box ticked" + box + " --with-earlier, " + *c.ticked);
    for (const std::string& text : reported) {
        EXPECT_NE(output.find(text), std::string::npos) << text << "\n---\n" << output;
        EXPECT_NE(markdown.find(text), std::string::npos) << text;
    }
    // The live round trip, timed while cloning, and an estimate of the live run for each run
    // that succeeded.
    const auto count = [&](const std::string& text) {
        int n = 0;
        for (std::size_t at = 0; (at = output.find(text, at)) != std::string::npos; ++at) ++n;
        return n;
    };
    EXPECT_EQ(count("Round trip: median "), 1);
    EXPECT_EQ(count("Expected duration of the live run: about "),
              count("Outcome: the upgrade SUCCEEDED on the copy."));
    // Each run met the live database's state, without the ledger, and kept its journal in the
    // rehearsal's folder.
    EXPECT_EQ(count("  ver_manage: created"), c.unticked.has_value() + c.ticked.has_value());
    for (const char* run : {"without-earlier", "with-earlier"}) {
        if (fs::exists(folder / run)) {
            EXPECT_TRUE(fs::exists(folder / run / "data/KorvenSoft/UpKavel/UpKavel.log")) << run;
        }
    }

    const auto statements = TracedSince(mark);
    EXPECT_FALSE(statements.empty());
    for (const std::string& s : statements) EXPECT_EQ(s.rfind("select ", 0), 0u) << s;
    EXPECT_EQ(Schema(), liveSchema);
}

const char* const kIssnDropped = "drop table lib_issncode\nGO\n";
const char* const kToudilvBoth =
    "alter table lib_canshub add cs_toudilv numeric(5,2) default(10)\nGO\n";
const std::string kBothSucceed =
    "\nUpgrade with the box unticked or ticked: it succeeded on the copy both ways.\n";
const std::string kTickedSucceeds =
    "\nUpgrade with the box ticked: it succeeded on the copy; unticked it fails at step 2005-03 "
    "(Msg 4902).\n";
const std::string kOnlyTickedRehearsed =
    "\nUpgrade with the box ticked: it succeeded on the copy (only this setting was rehearsed).\n";
const std::string kOnlyUntickedRehearsed =
    "\nDo not upgrade with the box unticked: it fails at step 2005-03 (Msg 4902) on the copy "
    "(only this setting was rehearsed).\n";
const std::string kBothFail =
    "\nDo not upgrade the live database yet: the upgrade fails on the copy both ways; unticked it "
    "fails at step 2005-03 (Msg 2705), ticked it fails at step baseline (Msg 2705).\n";

INSTANTIATE_TEST_SUITE_P(
    , RehearsalTest,
    testing::Values(
        RehearsalCase{"SucceedsBothWays", test::kOldestLayout, "", "", 0, kSucceeded, kSucceeded,
                      kBothSucceed},
        RehearsalCase{"FailsUntickedSucceedsTicked", test::kBaselineLevel, kIssnDropped, "", 0,
                      kIssnFailure, kSucceeded, kTickedSucceeds},
        RehearsalCase{"OnlyTicked", test::kBaselineLevel, kIssnDropped, "--with-earlier", 0,
                      std::nullopt, kSucceeded, kOnlyTickedRehearsed},
        RehearsalCase{"OnlyUnticked", test::kBaselineLevel, kIssnDropped, "--without-earlier", 1,
                      kIssnFailure, std::nullopt, kOnlyUntickedRehearsed},
        RehearsalCase{"FailsBothWays", test::kOldestLayout, kToudilvBoth, "", 1,
                      ToudilvFailure("2005-03"), ToudilvFailure("baseline"), kBothFail}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavel
