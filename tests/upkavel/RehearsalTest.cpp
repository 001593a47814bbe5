// scripts/rehearse on a stand-in that plays the live database: the upgrade runs on a copy, the
// report tells the outcome and the schema changes, and the live database receives only reads.
// Runs the real UpKavel program on a virtual display, as the script does on a site's machine
// without a screen.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Engine.h"
#include "SkipOrFail.h"
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

    // Runs scripts/rehearse with the settings the live database's users have.
    void Rehearse(Rehearsal& r) {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
            QStandardPaths::findExecutable("xdotool").isEmpty()) {
            SKIP_OR_FAIL_UNDER_CI(
                "Xvfb and xdotool are needed to run UpKavel on a virtual display");
        }
        r.folder = server->Folder() / "rehearsal";
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
        env.insert("KAVEL_UPKAVEL", KAVEL_UPKAVEL_PATH);
        env.insert("LSAN_OPTIONS", "suppressions=" KAVEL_LSAN_SUPPRESSIONS);
        env.remove("DISPLAY");
        script.setProcessEnvironment(env);
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start(
            "bash", {KAVEL_SCRIPTS_DIR "/rehearse", "--reg", QString::fromStdString(reg.string())});
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

    // Every statement the live database received since `mark` only read.
    void ExpectOnlyReadsSince(std::size_t mark) {
        const auto statements = TracedSince(mark);
        EXPECT_FALSE(statements.empty());
        for (const std::string& s : statements) EXPECT_EQ(s.rfind("select ", 0), 0u) << s;
    }
};

TEST_F(RehearsalTest, TheOldestLayoutRehearsesToTheFinalSchemaOfTheWholeUpgrade) {
    StartStandinOn(test::kOldestLayout);
    if (IsSkipped()) return;
    const std::string liveSchema = Schema();
    const std::size_t mark = TraceMark();
    Rehearsal r;
    Rehearse(r);
    if (IsSkipped()) return;
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Outcome: the upgrade SUCCEEDED on the copy."), std::string::npos)
        << r.output;
    EXPECT_EQ(SchemaOfFolder(r.folder / "copy"),
              ReadFile(KAVEL_EXPECTED_DIR "/upgraded_oldest_layout.schema"));
    // The report's changes are those between the copy before and after, table by table.
    const std::string changes = ReadFile(r.folder / "changes.txt");
    EXPECT_NE(r.output.find("Schema changes, table by table:"), std::string::npos);
    EXPECT_NE(changes.find("ver_manage: created"), std::string::npos) << changes;
    EXPECT_NE(changes.find("lib_people: rebuilt"), std::string::npos) << changes;
    EXPECT_NE(r.output.find("Statements sent: "), std::string::npos);
    EXPECT_TRUE(fs::exists(r.folder / "rehearsal.md"));
    EXPECT_TRUE(fs::exists(r.folder / "screenshots" / "3-closing-box.png"));
    ExpectOnlyReadsSince(mark);
    EXPECT_EQ(Schema(), liveSchema);
}

TEST_F(RehearsalTest, AFailingUpgradeIsReportedWithItsStatementAndTheLiveDatabaseIsUntouched) {
    // A parameter column that came without its partner makes the baseline's second ALTER fail.
    StartStandinOn(test::kOldestLayout,
                   "alter table lib_canshub add cs_toudilv numeric(5,2) default(10)\nGO\n");
    if (IsSkipped()) return;
    const std::string liveSchema = Schema();
    const std::size_t mark = TraceMark();
    Rehearsal r;
    Rehearse(r);
    if (IsSkipped()) return;
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("Outcome: the upgrade FAILED on the copy."), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("Msg 2705: Column names in each table must be unique. Column name "
                            "'cs_toudilv' in table 'lib_canshub' is specified more than once."),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("Failing statement:\n    alter table lib_canshub add cs_toudilv "
                            "numeric(5,2) default(10)"),
              std::string::npos)
        << r.output;
    ExpectOnlyReadsSince(mark);
    EXPECT_EQ(Schema(), liveSchema);
    EXPECT_TRUE(Column("select name from sysobjects where name = 'ver_manage'").empty());
}

}  // namespace
}  // namespace kavel
