// The console program as a person at a remote shell runs it: the real UpKavelCmd binary, its
// settings from a .reg file, a stand-in of its own. It must send exactly what the window sends,
// and say by its exit code and its words what happened.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "KavelSettings.h"
#include "RecordingPresenter.h"
#include "SkipOrFail.h"
#include "StandinDatabase.h"
#include "StandinServer.h"
#include "TDatabase.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "pw";

using test::ReadFile;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class UpKavelCmdTest : public testing::Test {
protected:
    // A stand-in on the sample `fixture` (plus extraSql), and a .reg naming its data source.
    void Serve(const std::string& fixture, const std::string& extraSql = {}) {
        server.reset();
        standin::test::StandinServerOptions options;
        options.fixtureScripts = {fs::path(KAVEL_FIXTURE_DIR) / fixture};
        options.extraScriptSql = extraSql;
        options.saPassword = kPassword;
        try {
            server = std::make_unique<standin::test::StandinServer>(options);
        } catch (const std::exception& e) {
            SKIP_OR_FAIL_UNDER_CI(std::string("the stand-in server cannot start here: ") +
                                  e.what());
        }
        registry = server->Folder() / "HKLM.reg";
        kavel::test::WriteFile(registry,
                               kavel::test::KavelRegistry(kavel::test::LoginValues(
                                   server->DsnName(), kavel::test::DigitCode(kPassword))));
        journalHome = server->Folder() / "data";
    }

    // The command line that runs UpKavelCmd with `arguments`, its settings from `registry`, its
    // journal under `journalHome`.
    std::string Command(const std::string& arguments) const {
        return "env XDG_DATA_HOME='" + journalHome.string() + "' KAVEL_HKLM='" + registry.string() +
               "' LSAN_OPTIONS=suppressions=" KAVEL_LSAN_SUPPRESSIONS " '" KAVEL_UPKAVELCMD_PATH
               "' " +
               arguments;
    }

    Outcome Run(const std::string& arguments) const {
        const fs::path out = server->Folder() / "cmd.out";
        const fs::path err = server->Folder() / "cmd.err";
        const std::string command =
            Command(arguments) + " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }

    std::string Journal() const { return ReadFile(journalHome / "KorvenSoft/UpKavel/UpKavel.log"); }

    std::vector<std::string> Trace() const {
        std::vector<std::string> statements;
        for (const auto& line : server->TraceLines()) statements.push_back(test::TraceText(line));
        return statements;
    }

    std::unique_ptr<standin::test::StandinServer> server;
    fs::path registry;
    fs::path journalHome;
};

TEST_F(UpKavelCmdTest, TwoRunsSendExactlyWhatTheWindowSends) {
    for (const bool withEarlier : {true, false}) {
        SCOPED_TRACE(withEarlier ? "with earlier upgrades" : "without");
        const std::string args = withEarlier ? "--backed-up --with-earlier" : "--backed-up";

        Serve(test::kOldestLayout);
        if (IsSkipped()) return;
        const Outcome first = Run(args);
        const Outcome second = Run(args);
        EXPECT_EQ(first.exitCode, 0) << first.err;
        EXPECT_EQ(second.exitCode, 0) << second.err;
        EXPECT_NE(first.out.find("step 2012-03-15\n"), std::string::npos) << first.out;
        EXPECT_NE(first.out.find("marker ZZ20170109.SFZ recorded\n"), std::string::npos);
        EXPECT_EQ(second.out.find("recorded"), std::string::npos) << "a second run records nothing";
        EXPECT_NE(second.out.find("Kavel升级成功，请更新Kavel.exe\n"), std::string::npos);
        const std::vector<std::string> console = Trace();

        Serve(test::kOldestLayout);
        TDatabase libDB;
        libDB.AliasName = server->DsnName();
        libDB.Params = {"USER NAME=sa", std::string("PASSWORD=") + kPassword};
        libDB.Open();
        const std::size_t mark = Trace().size();  // the test's own login
        {
            test::RecordingPresenter boxes;
            TUpKavelMain form(libDB);
            form.Runner.ProgramFolder = KAVEL_SHIPPED_DATA_DIR;
            form.cbBackup->setChecked(true);
            form.ckBefore->setChecked(withEarlier);
            form.btUp->click();
            form.btUp->click();
            ASSERT_EQ(boxes.Boxes().size(), 2u);
        }
        const std::vector<std::string> all = Trace();
        const std::vector<std::string> window(all.begin() + static_cast<std::ptrdiff_t>(mark),
                                              all.end());
        ASSERT_GT(window.size(), 1000u);
        EXPECT_EQ(console, window);
    }
}

TEST_F(UpKavelCmdTest, ExitCodesAndWordsForEachOutcome) {
    Serve(test::kLevel2010);
    if (IsSkipped()) return;

    // No backup confirmed: refused before anything is sent.
    const Outcome refused = Run("");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--backed-up"), std::string::npos) << refused.err;
    EXPECT_TRUE(Trace().empty());

    const Outcome bad = Run("--backed-up --yes");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("usage: UpKavelCmd"), std::string::npos) << bad.err;

    const Outcome help = Run("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--with-earlier"), std::string::npos);

    // A statement the server refuses: the box's text, the step and the statement, exit 1.
    Serve(test::kLevel2010, "DROP TABLE lib_enterpeoplep\n");
    const Outcome failed = Run("--backed-up");
    EXPECT_EQ(failed.exitCode, 1) << failed.out << failed.err;
    EXPECT_NE(failed.err.find("lib_enterpeoplep"), std::string::npos) << failed.err;
    EXPECT_NE(failed.err.find("step: 2012-03-15\n"), std::string::npos) << failed.err;
    EXPECT_NE(failed.err.find(
                  "statement:\nalter table lib_enterpeoplep add ep_dzlx char(20) default('')\n"),
              std::string::npos)
        << failed.err;
    EXPECT_EQ(failed.out.find("Kavel升级成功"), std::string::npos);

    EXPECT_NE(
        failed.out.find("journal: " + (journalHome / "KorvenSoft/UpKavel/UpKavel.log").string()),
        std::string::npos)
        << failed.out;
    const std::string journal = Journal();
    EXPECT_NE(journal.find("refused (Msg 4902): Cannot find the object \"lib_enterpeoplep\""),
              std::string::npos)
        << journal;
    EXPECT_NE(journal.find("\n    alter table lib_enterpeoplep add ep_dzlx char(20) default('')\n"),
              std::string::npos);
    EXPECT_NE(journal.find("upgrade FAILED in step 2012-03-15 after "), std::string::npos);

    // No server: the connection box's text, exit 3, and the journal says so too.
    server->Stop();
    const Outcome unreachable = Run("--backed-up");
    EXPECT_EQ(unreachable.exitCode, 3);
    EXPECT_NE(unreachable.err.find("数据库连接失败，请检查通信参数或服务器状态！"),
              std::string::npos)
        << unreachable.err;
    EXPECT_NE(Journal().find("connection FAILED: "), std::string::npos);
}

TEST_F(UpKavelCmdTest, TheJournalTellsTheRunAndNeverStandsInItsWay) {
    Serve(test::kOldestLayout);
    if (IsSkipped()) return;
    const Outcome run = Run("--backed-up --with-earlier");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string journal = Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back(), '\n');
    EXPECT_NE(journal.find(" == UpKavelCmd "), std::string::npos);
    EXPECT_NE(journal.find(", data source " + server->DsnName() + ", user sa, host "),
              std::string::npos);
    EXPECT_NE(journal.find("earlier upgrades ticked\n"), std::string::npos);
    EXPECT_EQ(journal.find(kPassword + std::string(",")), std::string::npos)
        << "the password stays out";
    EXPECT_NE(journal.find("step 2007-12-03 done in "), std::string::npos);
    EXPECT_NE(journal.find("marker ZZ20170109.SFZ recorded\n"), std::string::npos);
    EXPECT_NE(journal.find("sent: create table lib_rukutj ( \n"), std::string::npos);
    EXPECT_NE(journal.find("loop over the lines of issn.dat: 422 rows, 844 statements, "),
              std::string::npos);
    EXPECT_NE(journal.find("upgrade succeeded after "), std::string::npos);

    // A journal folder that cannot be made: the upgrade runs as ever, one line says so.
    Serve(test::kOldestLayout);
    std::ofstream(server->Folder() / "data") << "a file where the folder would go";
    const Outcome unjournalled = Run("--backed-up --with-earlier");
    EXPECT_EQ(unjournalled.exitCode, 0) << unjournalled.err;
    EXPECT_NE(unjournalled.out.find("Kavel升级成功，请更新Kavel.exe\n"), std::string::npos);
    EXPECT_EQ(unjournalled.err.rfind("UpKavelCmd: no journal of this run: cannot create ", 0), 0u)
        << unjournalled.err;

    // Killed in the middle of a run: the journal ends with a whole line.
    Serve(test::kOldestLayout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/bin/sh", "sh", "-c",
              ("exec " + Command("--backed-up --with-earlier") + " >/dev/null 2>&1").c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // Once the run is well under way (its baseline step has begun), it is killed.
    for (int i = 0; i < 2000 && Journal().find("step baseline started") == std::string::npos; ++i)
        usleep(1000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const std::string cut = Journal();
    ASSERT_NE(cut.find("step baseline started"), std::string::npos);
    EXPECT_EQ(cut.back(), '\n');
}

}  // namespace
}  // namespace kavel
