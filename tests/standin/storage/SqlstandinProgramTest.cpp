// The sqlstandin program's init and exec commands, run as a separate process, including a crash
// test that kills a writing process at random points.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "ChildProcess.h"
#include "StorageTestSupport.h"

namespace standin {
namespace {

using testing::ChildProcess;
using testing::ReadBytes;
using testing::RunProgram;
using testing::RunResult;
using testing::TempDir;
using testing::WriteBytes;

const std::string kProgram = SQLSTANDIN_PATH;
constexpr const char* kCreate = "create table t (id int primary key, c varchar(40))";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What exec prints after a statement that changed one row.
constexpr const char* kOneRowAffected = "(1 row affected)";

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

bool IsEmptyFolder(const std::filesystem::path& dir) {
    return std::filesystem::is_directory(dir) && std::filesystem::is_empty(dir);
}

TEST(SqlstandinInit, RunsScriptsSplitAtGoLines) {
    TempDir tmp;
    WriteBytes(tmp / "a.sql", std::string("\xEF\xBB\xBF") + kCreate +
                                  "\r\ngo\r\ninsert into t values (1, 'one')\r\n  GO  \r\n"
                                  "insert into t values (2, 'two')\n");
    WriteBytes(tmp / "b.sql", "update t set c='deux' where id=2\nGO\n\nGO\n");
    const RunResult init = Init(tmp / "db", {tmp / "a.sql", tmp / "b.sql"});
    ASSERT_EQ(init.status, 0) << init.err;

    const RunResult select = Exec(tmp / "db", "select id, c from t order by id");
    EXPECT_EQ(select.status, 0) << select.err;
    EXPECT_TRUE(Contains(select.out, "1\tone\n2\tdeux\n")) << select.out;
}

TEST(SqlstandinInit, FailingScriptLeavesNoDatabase) {
    TempDir tmp;
    WriteBytes(tmp / "bad.sql", std::string(kCreate) + "\nGO\ninsert into nope values (1)\nGO\n");
    WriteBytes(tmp / "good.sql",
               std::string(kCreate) + "\nGO\ninsert into t values (7, 'seven')\n");

    for (const bool folderExists : {false, true}) {
        const auto dir = tmp / (folderExists ? "empty" : "absent");
        if (folderExists) std::filesystem::create_directory(dir);
        const RunResult init = Init(dir, {tmp / "bad.sql"});
        EXPECT_EQ(init.status, 1);
        EXPECT_TRUE(Contains(init.err, "Invalid object name 'nope'.")) << init.err;
        EXPECT_TRUE(Contains(init.err, "batch 2")) << init.err;
        EXPECT_EQ(std::filesystem::exists(dir), folderExists);
        if (folderExists) {
            EXPECT_TRUE(IsEmptyFolder(dir));
        }
        EXPECT_TRUE(Contains(Exec(dir, "select 1").err,
                             folderExists ? "is not a sqlstandin database" : "does not exist"));

        const RunResult again = Init(dir / ".", {tmp / "good.sql"});
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_TRUE(Contains(Exec(dir, "select id, c from t").out, "7\tseven"))
            << "the failed attempt left nothing behind";
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            EXPECT_FALSE(Contains(entry.path().filename().string(), "sqlstandin-init"))
                << entry.path();
    }
}

TEST(SqlstandinInit, RefusesAFolderInUse) {
    TempDir tmp;
    std::filesystem::create_directory(tmp / "mine");
    WriteBytes(tmp / "mine" / "keep.txt", "data");
    RunResult init = Init(tmp / "mine", {});
    EXPECT_EQ(init.status, 1);
    EXPECT_TRUE(Contains(init.err, "is not empty")) << init.err;
    EXPECT_EQ(ReadBytes(tmp / "mine" / "keep.txt"), "data");

    ASSERT_EQ(Init(tmp / "db", {}).status, 0);
    ASSERT_EQ(Exec(tmp / "db", kCreate).status, 0);
    init = Init(tmp / "db", {});
    EXPECT_EQ(init.status, 1);
    EXPECT_TRUE(Contains(init.err, "already holds a database")) << init.err;
    EXPECT_EQ(Exec(tmp / "db", "insert into t values (1, 'still here')").status, 0);

    init = RunProgram(
        {kProgram, "init", (tmp / "other").string(), "--script", (tmp / "missing.sql").string()});
    EXPECT_EQ(init.status, 1);
    EXPECT_TRUE(Contains(init.err, "missing.sql")) << init.err;
    EXPECT_FALSE(std::filesystem::exists(tmp / "other"));
}

TEST(SqlstandinExec, ReportsErrorsSqlcmdStyleAndExitsWithOne) {
    TempDir tmp;
    ASSERT_EQ(Init(tmp / "db", {}).status, 0);
    const RunResult ok = Exec(tmp / "db", "-- a comment first\n" + std::string(kCreate) +
                                              "\nGO\ninsert into t values (1, 'a')");
    EXPECT_EQ(ok.status, 0) << ok.out << ok.err;
    EXPECT_TRUE(Contains(ok.out, std::string(kOneRowAffected) + "\n")) << ok.out;

    const RunResult bad =
        Exec(tmp / "db", "insert into nope values (1)\nGO\ninsert into t values (2, 'b')");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(
        Contains(bad.out, "Msg 208, Level 16, State 1, Line 1\nInvalid object name 'nope'.\n"))
        << bad.out;
    EXPECT_TRUE(Contains(bad.out, kOneRowAffected)) << "later batches still run";
}

TEST(SqlstandinExec, RunsStandardInputAndTracesEachBatch) {
    TempDir tmp;
    ASSERT_EQ(Init(tmp / "db", {}).status, 0);
    const auto trace = tmp / "trace.jsonl";
    const RunResult run =
        RunProgram({kProgram, "exec", (tmp / "db").string(), "--trace", trace.string(), "--fsync"},
                   std::string(kCreate) + "\r\nGO\r\ninsert into nope values (1)\nGO\n");
    EXPECT_EQ(run.status, 1);
    std::istringstream lines(ReadBytes(trace));
    std::string first, second, extra;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, extra));
    EXPECT_EQ(first, std::string(R"({"seq":1,"session":51,"text":")") + kCreate +
                         R"(\r\n","error":null})");
    EXPECT_TRUE(
        Contains(second, R"("error":{"number":208,"message":"Invalid object name 'nope'."})"))
        << second;
}

TEST(SqlstandinExec, RefusesADatabaseThatAnotherProcessHasOpen) {
    TempDir tmp;
    ASSERT_EQ(Init(tmp / "db", {}).status, 0);
    ChildProcess holder({kProgram, "exec", (tmp / "db").string()});
    holder.Write(std::string(kCreate) + "\nGO\nselect 1 as up\nGO\n");
    std::optional<std::string> line;
    while ((line = holder.ReadLine(std::chrono::seconds(20))) && *line != "up") {
    }
    ASSERT_TRUE(line) << "the first exec did not start: " << holder.Stderr();

    const RunResult second = Exec(tmp / "db", "insert into t values (1, 'x')");
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(Contains(second.err, "is in use by another sqlstandin process")) << second.err;

    holder.CloseInput();
    EXPECT_EQ(holder.Wait(), 0);
    EXPECT_EQ(Exec(tmp / "db", "insert into t values (1, 'x')").status, 0);
}

// A long script whose results are long too: both pipes fill while the script is still being
// written, so the writer must take in output meanwhile instead of waiting for input room.
TEST(SqlstandinExec, ALongScriptWithLongResultsRunsThroughFullPipes) {
    TempDir tmp;
    ASSERT_EQ(Init(tmp / "db", {}).status, 0);
    const std::string wide(200, 'x');
    const int batches = 1000;  // about 220 KB each way, several times a pipe's buffer
    std::string script;
    for (int i = 0; i < batches; ++i) script += "select '" + wide + "' as c\nGO\n";
    const RunResult run = RunProgram({kProgram, "exec", (tmp / "db").string()}, script);
    EXPECT_EQ(run.status, 0) << run.err;
    int rows = 0;
    for (std::size_t at = run.out.find(wide); at != std::string::npos;
         at = run.out.find(wide, at + wide.size()))
        ++rows;
    EXPECT_EQ(rows, batches);
}

TEST(SqlstandinProgram, UsageErrorsAreClear) {
    TempDir tmp;
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
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{kProgram};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = RunProgram(args);
        EXPECT_EQ(r.status, c.status) << c.expect;
        EXPECT_TRUE(Contains(r.err, c.expect)) << r.err;
    }
    const RunResult help = RunProgram({kProgram, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "defaults to StandIn.2016")) << help.out;
}

// Feeds one INSERT per batch to `sqlstandin exec` and SIGKILLs it at random moments. Every
// insert it acknowledged must be there after reopening; what is there must be a gapless prefix
// of what was sent (the log is replayed in order and never half-applied).
TEST(SqlstandinCrash, AcknowledgedStatementsSurviveKill) {
    TempDir tmp;
    const auto db = tmp / "db";
    ASSERT_EQ(Init(db, {}).status, 0);
    ASSERT_EQ(Exec(db, kCreate).status, 0);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const auto value = [](int id) { return "row-" + std::to_string(id * 7919); };
    int next = 1;
    std::size_t totalAcked = 0;
    for (int round = 0; round < 8; ++round) {
        std::vector<int> sent;
        std::set<int> acked;
        {
            // Every other round checkpoints every few batches, so kills also land in checkpoints.
            std::vector<std::string> args{kProgram, "exec", db.string()};
            if (round % 2 == 1) args.insert(args.end(), {"--checkpoint-log-bytes", "2048"});
            ChildProcess writer(args);
            const auto countAck = [&](const std::string& line) {
                if (line == kOneRowAffected) acked.insert(sent.at(acked.size()));
            };
            const auto send = [&](int count) {
                std::string batches;
                for (int i = 0; i < count; ++i, ++next) {
                    batches += "insert into t values (" + std::to_string(next) + ", '" +
                               value(next) + "')\nGO\n";
                    sent.push_back(next);
                }
                writer.Write(batches);
            };
            // Once the first insert is acknowledged the writer is up; from then on keep it busy
            // and kill it after a random time, mostly while batches are still queued.
            send(1);
            while (acked.empty())
                if (auto line = writer.ReadLine(std::chrono::seconds(20)))
                    countAck(*line);
                else
                    FAIL() << "no acknowledgement from the writer: " << writer.Stderr();
            const auto stopAt =
                std::chrono::steady_clock::now() +
                std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60'000)(rng));
            do {
                send(std::uniform_int_distribution<int>(1, 20)(rng));
                while (auto line = writer.ReadLine(std::chrono::milliseconds(1))) countAck(*line);
            } while (std::chrono::steady_clock::now() < stopAt);
            writer.Kill();
            // Lines already written before the kill were printed after their batch was durable.
            std::istringstream rest(writer.ReadRest(std::chrono::seconds(5)));
            for (std::string line; std::getline(rest, line);) countAck(line);
            writer.Wait();
        }

        const RunResult select = Exec(db, "select id, c from t order by id");
        ASSERT_EQ(select.status, 0) << "round " << round << ": " << select.err;
        std::istringstream out(select.out);
        std::vector<int> present;
        for (std::string line; std::getline(out, line);) {
            const std::size_t tab = line.find('\t');
            if (tab == std::string::npos || line.empty() ||
                !std::isdigit(static_cast<unsigned char>(line[0])))
                continue;
            const int id = std::stoi(line.substr(0, tab));
            EXPECT_EQ(line.substr(tab + 1), value(id)) << "row " << id << " is whole";
            present.push_back(id);
        }
        for (std::size_t i = 0; i < present.size(); ++i)
            ASSERT_EQ(present[i], static_cast<int>(i) + 1) << "no gaps";
        for (const int id : acked)
            EXPECT_TRUE(std::binary_search(present.begin(), present.end(), id))
                << "acknowledged id " << id << " lost";
        totalAcked += acked.size();
        ::testing::Test::RecordProperty("round" + std::to_string(round),
                                        std::to_string(sent.size()) + " sent, " +
                                            std::to_string(acked.size()) + " acknowledged, " +
                                            std::to_string(present.size()) + " present");
        next = static_cast<int>(present.size()) +
               1;  // unacknowledged ids that did not survive are sent again
    }
    EXPECT_GT(totalAcked, 0u) << "the writer was never given time to acknowledge anything";
}

}  // namespace
}  // namespace standin
