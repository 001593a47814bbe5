// Statements per second of single-row keyed updates (`update bench set c='...' where id=N`,
// random ids) on a table of 200,000 rows: the stand-in engine through Engine::ExecuteBatch (each
// statement logged and written to the operating system before it returns, not synced), beside
// SQLite running the same statement texts with sqlite3_exec on an equivalent table (autocommit,
// WAL journal, synchronous=OFF: the same durability class).
//
// Usage: standin_update_bench [--rows N] [--statements N] [--only engine|sqlite]

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "Engine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
    int rows = 200'000;
    int statements = 100'000;
    bool engine = true;
    bool sqlite = true;
};

std::vector<std::string> InsertBatches(int rows) {
    std::vector<std::string> batches;
    constexpr int kPerBatch = 1000;
    for (int first = 1; first <= rows; first += kPerBatch) {
        std::string sql = "insert into bench (id, c) values ";
        for (int id = first; id < first + kPerBatch && id <= rows; ++id) {
            if (id != first) sql += ", ";
            const std::string key = std::to_string(id);
            sql.append("(").append(key).append(", 'initial-").append(key).append("')");
        }
        batches.push_back(std::move(sql));
    }
    return batches;
}

std::vector<std::string> UpdateStatements(int rows, int count) {
    std::mt19937 rng(20161);
    std::uniform_int_distribution<int> id(1, rows), text(0, 99'999'999);
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back(std::string("update bench set c='upd-")
                          .append(std::to_string(text(rng)))
                          .append("' where id=")
                          .append(std::to_string(id(rng))));
    return out;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Check(const standin::BatchOutcome& outcome, const std::string& sql) {
    for (const auto& s : outcome.statements)
        if (s.failed) {
            const std::string message = s.messages.empty() ? "failed" : s.messages.front().text;
            throw std::runtime_error("engine: " + message + " in: " + sql.substr(0, 120));
        }
}

double RunEngine(const fs::path& dir, const Options& o, const std::vector<std::string>& updates) {
    standin::Engine::Create(dir, "bench");
    auto engine = standin::Engine::Open(dir);
    standin::Session session;
    Check(engine->ExecuteBatch(session,
                               "create table bench (id int not null primary key, c varchar(40))"),
          "create");
    const auto loadStart = Clock::now();
    for (const std::string& batch : InsertBatches(o.rows))
        Check(engine->ExecuteBatch(session, batch), batch);
    std::printf("engine: loaded %d rows in %.2f s\n", o.rows, Seconds(loadStart));

    const auto start = Clock::now();
    for (const std::string& sql : updates) Check(engine->ExecuteBatch(session, sql), sql);
    const double rate = static_cast<double>(updates.size()) / Seconds(start);
    const auto mib = [](const fs::path& file) {
        return static_cast<double>(fs::file_size(file)) / (1 << 20);
    };
    std::printf("engine: %zu updates, %.0f statements/s\n", updates.size(), rate);

    // What a restart costs: replaying the log, then a checkpoint that makes the next one quick.
    engine.reset();
    const double logMib = mib(dir / "log.wal");
    const auto reopenStart = Clock::now();
    engine = standin::Engine::Open(dir);
    std::printf("engine: reopened in %.2f s, replaying %.1f MiB of log\n", Seconds(reopenStart),
                logMib);
    const auto checkpointStart = Clock::now();
    engine->Checkpoint();
    std::printf("engine: checkpoint in %.2f s, snapshot %.1f MiB\n", Seconds(checkpointStart),
                mib(dir / "snapshot.bin"));
    return rate;
}

void SqliteExec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "failed";
        sqlite3_free(error);
        throw std::runtime_error("sqlite: " + message + " in: " + sql.substr(0, 120));
    }
}

double RunSqlite(const fs::path& file, const Options& o, const std::vector<std::string>& updates) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("sqlite: cannot open " + file.string());
    SqliteExec(db, "pragma journal_mode=wal");
    SqliteExec(db, "pragma synchronous=off");
    // INTEGER PRIMARY KEY is SQLite's fastest keyed access (the rowid itself).
    SqliteExec(db, "create table bench (id integer not null primary key, c varchar(40))");
    const auto loadStart = Clock::now();
    SqliteExec(db, "begin");
    for (const std::string& batch : InsertBatches(o.rows)) SqliteExec(db, batch);
    SqliteExec(db, "commit");
    std::printf("sqlite: loaded %d rows in %.2f s (SQLite %s)\n", o.rows, Seconds(loadStart),
                sqlite3_libversion());

    const auto start = Clock::now();
    for (const std::string& sql : updates) SqliteExec(db, sql);
    const double rate = static_cast<double>(updates.size()) / Seconds(start);
    std::printf("sqlite: %zu updates, %.0f statements/s\n", updates.size(), rate);
    sqlite3_close(db);
    return rate;
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::runtime_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--rows")
            o.rows = std::stoi(value());
        else if (arg == "--statements")
            o.statements = std::stoi(value());
        else if (arg == "--only") {
            const std::string which = value();
            o.engine = which == "engine";
            o.sqlite = which == "sqlite";
            if (!o.engine && !o.sqlite) throw std::runtime_error("--only takes engine or sqlite");
        } else {
            throw std::runtime_error("unknown argument " + arg);
        }
    }
    if (o.rows < 1 || o.statements < 1)
        throw std::runtime_error("--rows and --statements must be positive");
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work =
        fs::temp_directory_path() / ("standin-update-bench-" + std::to_string(::getpid()));
    try {
        const Options o = Parse(argc, argv);
        fs::create_directories(work);
        const std::vector<std::string> updates = UpdateStatements(o.rows, o.statements);
        double engineRate = 0, sqliteRate = 0;
        if (o.engine) engineRate = RunEngine(work / "standin", o, updates);
        if (o.sqlite) sqliteRate = RunSqlite(work / "sqlite.db", o, updates);
        if (o.engine && o.sqlite)
            std::printf(
                "engine/sqlite: %.2f (%s)\n", engineRate / sqliteRate,
                engineRate >= sqliteRate ? "at least as fast as SQLite" : "slower than SQLite");
        fs::remove_all(work);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "standin_update_bench: %s\n", e.what());
        std::error_code ec;
        fs::remove_all(work, ec);
        return 1;
    }
}
