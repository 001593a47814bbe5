// scripts/rehearse on a stand-in that plays the live database: without a display the upgrade runs
// twice with UpKavelCmd, with the box 同时升级以前所有的系统升级 unticked and ticked, each on a
// fresh copy; the report tells each outcome and the schema changes and says which setting to use,
// and the live database receives only reads.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "Engine.h"
#include "StandinDatabase.h"
#include "exec/TextFormat.h"

namespace kavel {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The digit code of the main program's registry values (the reverse of DecodeDigits).
std::string DigitCode(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        for (int shift = 6; shift >= 0; shift -= 2)
            out += static_cast<char>('0' + ((c >> shift) & 3) * 2);
    return out;
}

class RehearsalTest : public test::StandinDatabaseTest {
protected:
    struct Rehearsal {
        int status = -1;
        std::string output;  // what the script printed
        fs::path folder;     // the copy, the catalogues, the report
    };

    // Runs scripts/rehearse without a display, with the settings the live database's users have,
    // in the folder `name` of the stand-in's folder.
    void Rehearse(Rehearsal& r, const QStringList& options = {},
                  const std::string& name = "rehearsal") {
        r.folder = server->Folder() / name;
        const fs::path reg = server->Folder() / "live.reg";
        std::ofstream(reg) << "Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n"
                              "\"ODBCNAME\"=\""
                           << server->DsnName()
                           << "\"\r\n"
                              "\"USERNAME\"=\""
                           << DigitCode("sa")
                           << "\"\r\n"
                              "\"PASSWORD\"=\""
                           << DigitCode(server->SaPassword()) << "\"\r\n";
        QProcess script;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KAVEL_REHEARSE_DIR", QString::fromStdString(r.folder.string()));
        env.insert("KAVEL_REHEARSE_HEADLESS", "1");
        env.insert("KAVEL_REHEARSE_TIMEOUT", "600");
        env.insert("KAVEL_SQLSTANDIN", KAVEL_SQLSTANDIN_PATH);
        env.insert("KAVEL_UPKAVELCMD", KAVEL_UPKAVELCMD_PATH);
        env.insert("LSAN_OPTIONS", "suppressions=" KAVEL_LSAN_SUPPRESSIONS);
        env.remove("DISPLAY");
        script.setProcessEnvironment(env);
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start("bash", QStringList{KAVEL_SCRIPTS_DIR "/rehearse", "--reg",
                                         QString::fromStdString(reg.string())} +
                                 options);
        script.waitForFinished(15 * 60 * 1000);
        r.output = script.readAllStandardOutput().toStdString();
        r.status = script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
    }

    // The schema of a stand-in folder, read in-process with the queries Schema() sends a server.
    static std::string SchemaOfFolder(const fs::path& dir) {
        const auto engine = standin::Engine::Open(dir);
        standin::Session session;
        return test::SchemaOf([&](const std::string& sql) {
            std::vector<std::vector<std::string>> rows;
            const standin::BatchOutcome outcome = engine->ExecuteBatch(session, sql);
            if (outcome.statements.empty() || !outcome.statements[0].resultSet) {
                ADD_FAILURE() << "no result from " << sql;
                return rows;
            }
            for (const auto& r : outcome.statements[0].resultSet->rows) {
                auto& row = rows.emplace_back();
                for (const standin::Value& v : r) {
                    std::string text = standin::FormatValue(v);
                    text.erase(text.find_last_not_of(' ') + 1);
                    row.push_back(text);
                }
            }
            return rows;
        });
    }

    // Each text is in the report, as printed and in rehearsal.md.
    static void ExpectReported(const Rehearsal& r, const std::vector<std::string>& texts) {
        const std::string markdown = ReadFile(r.folder / "rehearsal.md");
        for (const std::string& text : texts) {
            EXPECT_NE(r.output.find(text), std::string::npos) << text << "\n---\n" << r.output;
            EXPECT_NE(markdown.find(text), std::string::npos) << text;
        }
    }

    // Every statement the live database received since `mark` only read.
    void ExpectOnlyReadsSince(std::size_t mark) {
        const auto statements = TracedSince(mark);
        EXPECT_FALSE(statements.empty());
        for (const std::string& s : statements) EXPECT_EQ(s.rfind("select ", 0), 0u) << s;
    }
};

TEST_F(RehearsalTest, TheOldestLayoutSucceedsBothWaysEachOnAFreshCopyToTheFinalSchema) {
    StartStandinOn(test::kOldestLayout);
    if (IsSkipped()) return;
    const std::string liveSchema = Schema();
    const std::size_t mark = TraceMark();
    Rehearsal r;
    Rehearse(r);
    ASSERT_EQ(r.status, 0) << r.output;
    ExpectReported(r,
                   {"With the box unticked (同时升级以前所有的系统升级): UpKavelCmd --backed-up, "
                    "exit code 0\nOutcome: the upgrade SUCCEEDED on the copy.",
                    "With the box ticked (同时升级以前所有的系统升级): UpKavelCmd --backed-up "
                    "--with-earlier, exit code 0\nOutcome: the upgrade SUCCEEDED on the copy.",
                    "Statements sent: ", "Schema changes, table by table:",
                    "\nUpgrade with the box unticked or ticked: it succeeded on the copy both "
                    "ways.\n"});
    for (const char* run : {"without-earlier", "with-earlier"}) {
        SCOPED_TRACE(run);
        EXPECT_EQ(SchemaOfFolder(r.folder / run / "copy"),
                  ReadFile(KAVEL_EXPECTED_DIR "/upgraded_oldest_layout.schema"));
        // A marker is recorded only where it was missing: the run started from a fresh copy.
        EXPECT_NE(ReadFile(r.folder / run / "output.txt").find("marker ZZ20170109.SFZ recorded"),
                  std::string::npos);
        // The changes are those between the copy as cloned and after this run.
        const std::string changes = ReadFile(r.folder / run / "changes.txt");
        EXPECT_NE(changes.find("ver_manage: created"), std::string::npos) << changes;
        EXPECT_NE(changes.find("lib_people: rebuilt"), std::string::npos) << changes;
        // The program's journal stays in the rehearsal's folder.
        EXPECT_TRUE(fs::exists(r.folder / run / "data/KorvenSoft/UpKavel/UpKavel.log"));
    }
    ExpectOnlyReadsSince(mark);
    EXPECT_EQ(Schema(), liveSchema);
}

TEST_F(RehearsalTest, CatalogueTablesWithoutIssnCodesFailUntickedAndSucceedTicked) {
    // Step 2005-03 finds lib_bianma, so leaves out the baseline, which alone creates lib_issncode.
    StartStandinOn(test::kBaselineLevel, "drop table lib_issncode\nGO\n");
    if (IsSkipped()) return;
    const std::string liveSchema = Schema();
    const std::size_t mark = TraceMark();
    const std::string unticked =
        "With the box unticked (同时升级以前所有的系统升级): UpKavelCmd --backed-up, exit code 1\n"
        "Outcome: the upgrade FAILED on the copy.\n"
        "Failed in step: 2005-03\n"
        // The server's message as it sent it, quotes and all.
        "Error: Msg 4902: Cannot find the object \"lib_issncode\" because it does not exist or "
        "you do not have permissions.\n"
        "Failing statement:\n"
        "    alter table lib_issncode add ic_phttp char(128) DEFAULT('')\n";
    const std::string ticked =
        "With the box ticked (同时升级以前所有的系统升级): UpKavelCmd --backed-up --with-earlier, "
        "exit code 0\nOutcome: the upgrade SUCCEEDED on the copy.\n";
    const struct {
        QStringList options;
        int status;
        std::vector<std::string> reported;
        std::string absent;  // the run of the setting not rehearsed
    } cases[] = {
        {{},
         0,
         {unticked, ticked,
          "\nUpgrade with the box ticked: it succeeded on the copy; unticked it fails at "
          "step 2005-03 (Msg 4902).\n"},
         ""},
        {{"--with-earlier"},
         0,
         {ticked,
          "\nUpgrade with the box ticked: it succeeded on the copy (only this setting was "
          "rehearsed).\n"},
         "With the box unticked"},
        {{"--without-earlier"},
         1,
         {unticked,
          "\nDo not upgrade with the box unticked: it fails at step 2005-03 (Msg 4902) on "
          "the copy (only this setting was rehearsed).\n"},
         "With the box ticked"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        Rehearsal r;
        Rehearse(r, c.options, "rehearsal-" + std::to_string(++n));
        EXPECT_EQ(r.status, c.status) << r.output;
        ExpectReported(r, c.reported);
        if (!c.absent.empty()) {
            EXPECT_EQ(r.output.find(c.absent), std::string::npos) << r.output;
        }
    }
    ExpectOnlyReadsSince(mark);
    EXPECT_EQ(Schema(), liveSchema);
}

TEST_F(RehearsalTest, AnUpgradeThatFailsBothWaysIsReportedWithEachStatementAndExitsOne) {
    // A parameter column that came without its partner makes the baseline's second ALTER fail,
    // whether the box runs the baseline or step 2005-03 runs it for want of lib_bianma.
    StartStandinOn(test::kOldestLayout,
                   "alter table lib_canshub add cs_toudilv numeric(5,2) default(10)\nGO\n");
    if (IsSkipped()) return;
    const std::string liveSchema = Schema();
    const std::size_t mark = TraceMark();
    Rehearsal r;
    Rehearse(r);
    EXPECT_EQ(r.status, 1) << r.output;
    const std::string failure =
        "Error: Msg 2705: Column names in each table must be unique. Column name 'cs_toudilv' in "
        "table 'lib_canshub' is specified more than once.\n"
        "Failing statement:\n"
        "    alter table lib_canshub add cs_toudilv numeric(5,2) default(10)\n";
    ExpectReported(r, {"UpKavelCmd --backed-up, exit code 1\nOutcome: the upgrade FAILED on the "
                       "copy.\nFailed in step: 2005-03\n" +
                           failure,
                       "UpKavelCmd --backed-up --with-earlier, exit code 1\nOutcome: the upgrade "
                       "FAILED on the copy.\nFailed in step: baseline\n" +
                           failure,
                       "\nDo not upgrade the live database yet: the upgrade fails on the copy both "
                       "ways; unticked it fails at step 2005-03 (Msg 2705), ticked it fails at "
                       "step baseline (Msg 2705).\n"});
    ExpectOnlyReadsSince(mark);
    EXPECT_EQ(Schema(), liveSchema);
    EXPECT_TRUE(Column("select name from sysobjects where name = 'ver_manage'").empty());
}

}  // namespace
}  // namespace kavel
