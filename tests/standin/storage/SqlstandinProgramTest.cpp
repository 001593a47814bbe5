// The sqlstandin program's init and exec commands, run as a separate process, including a crash
// test that kills a writing process at random points.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <random>
#include <thread>

#include "Program.h"
#include "TestSupport.h"

namespace standin {
namespace {

using testing::ReadBytes;
using testing::RunProgram;
using testing::RunResult;
using testing::StartProgram;
using testing::TempDir;
using testing::WaitProgram;
using testing::WriteBytes;

const std::string kProgram = SQLSTANDIN_PATH;
constexpr const char* kCreate = "create table t (id int primary key, c varchar(40))";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

RunResult Init(const std::filesystem::path& dir,
               const std::vector<std::filesystem::path>& scripts) {
    std::vector<std::string> args{kProgram, "init", dir.string(), "--sa-password", "pw"};
    if (!scripts.empty()) args.push_back("--script");
    for (const auto& s : scripts) args.push_back(s.string());
    return RunProgram(args);
}

RunResult Exec(const std::filesystem::path& dir, const std::string& sql) {
    return RunProgram({kProgram, "exec", dir.string(), sql});
}

// A script that fails leaves no database and nothing else behind, whether the folder was absent
// or empty; scripts that run are split at GO lines and run in order.
TEST(SqlstandinInit, RunsScriptsOrLeavesNoDatabase) {
    TempDir tmp;
    WriteBytes(tmp / "bad.sql", std::string(kCreate) + "\nGO\ninsert into nope values (1)\nGO\n");
    WriteBytes(tmp / "a.sql", std::string("\xEF\xBB\xBF") + kCreate +
                                  "\r\ngo\r\ninsert into t values (1, 'one')\r\n  GO  \r\n"
                                  "insert into t values (2, 'two')\n");
    WriteBytes(tmp / "b.sql", "update t set c='deux' where id=2\nGO\n\nGO\n");
    for (const bool folderExists : {false, true}) {
        const auto dir = tmp / (folderExists ? "empty" : "absent");
        if (folderExists) std::filesystem::create_directory(dir);
        const RunResult init = Init(dir, {tmp / "bad.sql"});
        EXPECT_EQ(init.status, 1);
        EXPECT_TRUE(Contains(init.err,
                             "batch 2 failed:\nMsg 208, Level 16, State 1, Line 1\n"
                             "Invalid object name 'nope'."))
            << init.err;
        EXPECT_EQ(std::filesystem::exists(dir), folderExists);
        EXPECT_TRUE(!folderExists || std::filesystem::is_empty(dir));
        EXPECT_TRUE(Contains(Exec(dir, "select 1").err,
                             folderExists ? "is not a sqlstandin database" : "does not exist"));

        const RunResult again = Init(dir / ".", {tmp / "a.sql", tmp / "b.sql"});
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_TRUE(
            Contains(Exec(dir, "select id, c from t order by id").out, "1\tone\n2\tdeux\n"));
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            EXPECT_FALSE(Contains(entry.path().filename().string(), "sqlstandin-init"))
                << entry.path();
    }
}

// Batches from the command line or standard input run one by one; errors are printed as sqlcmd
// prints them, later batches still run, the status is 1, and --trace records each batch.
TEST(SqlstandinExec, RunsBatchesReportsErrorsAndTraces) {
    TempDir tmp;
    const std::string db = (tmp / "db").string();
    ASSERT_EQ(Init(db, {}).status, 0);
    const RunResult ok = Exec(
        db, "-- a comment first\n" + std::string(kCreate) + "\nGO\ninsert into t values (1, 'a')");
    EXPECT_EQ(ok.status, 0) << ok.out << ok.err;
    EXPECT_TRUE(Contains(ok.out, "(1 row affected)\n")) << ok.out;
    const RunResult bad =
        Exec(db, "insert into nope values (1)\nGO\ninsert into t values (2, 'b')");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(
        Contains(bad.out, "Msg 208, Level 16, State 1, Line 1\nInvalid object name 'nope'.\n"))
        << bad.out;
    EXPECT_TRUE(Contains(bad.out, "(1 row affected)")) << "later batches still run";

    const auto trace = tmp / "trace.jsonl";
    const RunResult run =
        RunProgram({kProgram, "exec", db, "--trace", trace.string(), "--fsync"},
                   "create table u (a int)\r\nGO\r\ninsert into nope values (1)\nGO\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        ReadBytes(trace),
        R"({"seq":1,"session":51,"text":"create table u (a int)\r\n","error":null})"
        "\n"
        R"({"seq":2,"session":51,"text":"insert into nope values (1)\n","error":{"number":208,"message":"Invalid object name 'nope'."}})"
        "\n");
}

// Each refusal gives its reason and status and changes nothing: an init or a serve on a
// database leaves it working, and a missing script leaves no folder behind.
TEST(SqlstandinProgram, RefusalsAreClearAndChangeNothing) {
    TempDir tmp;
    const std::string db = (tmp / "db").string(), other = (tmp / "other").string();
    ASSERT_EQ(Init(db, {}).status, 0);
    ASSERT_EQ(Exec(db, kCreate).status, 0);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* expect;
    } cases[] = {
        {{}, 2, "no command given"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{"init"}, 2, "init needs exactly one folder"},
        {{"exec"}, 2, "exec needs a folder"},
        {{"init", "x", "--sa-password"}, 2, "--sa-password needs a value"},
        {{"exec", "x", "--bogus"}, 2, "unknown option --bogus"},
        {{"exec", "x", "--checkpoint-log-bytes", "lots"},
         2,
         "needs a positive whole number of bytes, not 'lots'"},
        {{"exec", (tmp / "nothing").string(), "select 1"}, 1, "does not exist"},
        {{"init", db}, 1, "already holds a database"},
        {{"init", other, "--script", (tmp / "missing.sql").string()}, 1, "missing.sql"},
        {{"serve"}, 2, "no database folder given"},
        {{"serve", db, "--listen"}, 2, "--listen needs HOST:PORT"},
        {{"serve", db, "--listen", "127.0.0.1:70000"}, 2, "--listen needs HOST:PORT"},
        {{"serve", db, "--listen", "nohost:1"}, 2, "--listen needs HOST:PORT"},
        {{"serve", db, "--bogus"}, 2, "unknown option --bogus"},
        {{"serve", (tmp / "nothing").string(), "--listen", "127.0.0.1:0"}, 1, "nothing"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{kProgram};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = RunProgram(args);
        EXPECT_EQ(r.status, c.status) << c.expect;
        EXPECT_TRUE(Contains(r.err, c.expect)) << r.err;
    }
    EXPECT_EQ(Exec(db, "insert into t values (1, 'still here')").status, 0);
    EXPECT_FALSE(std::filesystem::exists(other));
    const RunResult help = RunProgram({kProgram, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "defaults to StandIn.2016")) << help.out;
}

// Has `sqlstandin exec` run one INSERT per batch and SIGKILLs it at a random moment. Every insert
// it acknowledged must be there after reopening; what is there must be a gapless prefix of what
// was sent (the log is replayed in order and never half-applied), each row whole.
TEST(SqlstandinCrash, AcknowledgedStatementsSurviveKill) {
    TempDir tmp;
    const auto db = tmp / "db";
    ASSERT_EQ(Init(db, {}).status, 0);
    ASSERT_EQ(Exec(db, kCreate).status, 0);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    int next = 1, totalAcked = 0;
    for (int round = 0; round < 8; ++round) {
        // More batches than the writer gets through before the kill.
        std::string batches;
        for (int id = next; id < next + 10000; ++id)
            batches += "insert into t values (" + std::to_string(id) + ", 'row-" +
                       std::to_string(id * 7919) + "')\nGO\n";
        WriteBytes(tmp / "batches.sql", batches);
        // Every other round checkpoints every few batches, so kills also land in checkpoints.
        std::vector<std::string> args{kProgram, "exec", db.string()};
        if (round % 2 == 1) args.insert(args.end(), {"--checkpoint-log-bytes", "2048"});
        const pid_t writer = StartProgram(args, tmp / "batches.sql", tmp / "out.txt");
        // Once the first insert is acknowledged the writer is up; kill it a random time later.
        for (int wait = 0; ReadBytes(tmp / "out.txt").empty(); ++wait) {
            ASSERT_LT(wait, 20000) << "no acknowledgement from the writer";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60'000)(rng)));
        ::kill(writer, SIGKILL);
        WaitProgram(writer, std::chrono::seconds(10));
        // A line is printed once its batch is durable.
        const std::string out = ReadBytes(tmp / "out.txt");
        int acked = 0;
        for (std::size_t at = 0; (at = out.find("(1 row affected)\n", at)) != std::string::npos;
             ++at)
            ++acked;

        // Distinct ids, as many as the highest: 1 to that one, no gaps.
        const RunResult check = Exec(
            db,
            "select count(*) as n, isnull(max(id), 0) as last from t\n"
            "select count(*) as torn from t where c <> 'row-' + convert(varchar(12), id * 7919)");
        int present = -1, last = -2, torn = -1;
        std::sscanf(check.out.c_str(), "n\tlast\n%d\t%d\ntorn\n%d", &present, &last, &torn);
        ASSERT_EQ(present, last) << "round " << round << ": " << check.out << check.err;
        EXPECT_EQ(torn, 0);
        EXPECT_GE(last, next + acked - 1) << "an acknowledged insert was lost";
        totalAcked += acked;
        next = present + 1;  // unacknowledged ids that did not survive are sent again
    }
    EXPECT_GT(totalAcked, 0) << "the writer was never given time to acknowledge anything";
}

}  // namespace
}  // namespace standin
