// sqlstandin: the SQL Server stand-in. `init` creates a database, `exec` runs batches on it
// without a server, `serve` (tds/Serve.cpp) serves it over TDS, `clone` copies a live database
// into one (clone/), `catalogue` and `compare` describe a database's tables and the changes
// between two such descriptions.

#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "Engine.h"
#include "Serve.h"
#include "clone/CatalogueReader.h"
#include "clone/CatalogueText.h"
#include "clone/CloneDatabase.h"
#include "clone/CopyWriter.h"
#include "clone/OdbcReader.h"
#include "clone/RoundTrip.h"
#include "exec/TextFormat.h"
#include "sql/ScriptSplitter.h"
#include "storage/DatabaseFolder.h"
#include "storage/StorageFile.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultSaPassword = "StandIn.2016";

constexpr const char* kUsage =
    "usage:\n"
    "  sqlstandin init DIR [--sa-password P] [--script FILE.sql ...]\n"
    "      Creates an empty database in folder DIR (absent or empty) with the login sa, then runs\n"
    "      the scripts into it, split into batches at lines holding only GO. If any statement\n"
    "      fails, nothing is left in DIR. The sa password defaults to StandIn.2016.\n"
    "  sqlstandin exec DIR [--trace FILE] [--fsync] [--checkpoint-log-bytes N] [\"SQL\"]\n"
    "      Runs the batches of SQL (or of standard input, each as soon as its GO line arrives)\n"
    "      and prints their results. Exit status 1 when any statement failed.\n"
    "  sqlstandin serve DIR [--listen 127.0.0.1:PORT] [--trace FILE] [--fsync]\n"
    "      Serves the database over TDS; port 0 picks a free port and prints it first.\n"
    "  sqlstandin clone DIR --dsn NAME [--user U --password P] [--sa-password P]\n"
    "      Copies the user tables of the database behind the ODBC data source NAME (columns,\n"
    "      identity, defaults, keys, indexes, rows) into a new database in DIR, reading the\n"
    "      source only. Lists what the copy lacks and says whether it can rehearse the upgrade;\n"
    "      exit status 3 when it cannot.\n"
    "  sqlstandin round-trip --dsn NAME [--user U --password P]\n"
    "      Times 300 round trips of `select 1` to the database behind the data source NAME\n"
    "      through ODBC, one at a time as the upgrade sends its statements, and prints their\n"
    "      median and spread (the clone prints the same line for the database it copies).\n"
    "  sqlstandin catalogue DIR | --dsn NAME [--user U --password P]\n"
    "      Prints the tables, columns, keys, indexes and row counts, one per line.\n"
    "  sqlstandin compare BEFORE AFTER\n"
    "      Prints the changes between two catalogue files, table by table.\n"
    "options:\n"
    "  --trace FILE   append every batch received to FILE as one JSON line\n"
    "  --fsync        sync the log to disk before acknowledging (survives a machine crash)\n"
    "  --checkpoint-log-bytes N\n"
    "                 write a snapshot and start a new log once the log reaches N bytes and\n"
    "                 the size of the last snapshot (default 16 MiB; smaller makes opening\n"
    "                 quicker and writing slower)\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Prints a batch's results the way sqlcmd does; returns whether a statement failed.
bool PrintOutcome(const standin::BatchOutcome& outcome) {
    const std::string text = standin::FormatOutcome(outcome);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::any_of(outcome.statements.begin(), outcome.statements.end(),
                       [](const standin::StatementOutcome& s) { return s.failed; });
}

struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> saPassword;
    std::vector<std::string> scripts;
    std::string trace;
    bool fsync = false;
    std::optional<std::uint64_t> checkpointLogBytes;
    standin::clone::SourceLogin source;  // --dsn, --user, --password
};

std::uint64_t ParseByteCount(const std::string& option, const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0)
        throw UsageError(option + " needs a positive whole number of bytes, not '" + text + "'");
    return value;
}

// An option is a word like --trace; SQL text that starts with a "-- comment" is not one.
bool IsOptionWord(std::string_view arg) {
    return arg.size() > 2 && arg.starts_with("--") &&
           std::none_of(arg.begin(), arg.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// Parses what follows the command word. `allowed` lists the options the command takes; after a
// lone "--" every argument is positional.
Arguments ParseArguments(int argc, char** argv, std::initializer_list<std::string_view> allowed) {
    Arguments a;
    const auto isAllowed = [&](std::string_view o) {
        for (std::string_view x : allowed)
            if (x == o) return true;
        return false;
    };
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !IsOptionWord(arg)) {
            a.positional.emplace_back(arg);
            continue;
        }
        if (!isAllowed(arg)) throw UsageError("unknown option " + std::string(arg));
        if (arg == "--fsync") {
            a.fsync = true;
            continue;
        }
        if (i + 1 >= argc) throw UsageError(std::string(arg) + " needs a value");
        if (arg == "--sa-password") {
            a.saPassword = argv[++i];
        } else if (arg == "--trace") {
            a.trace = argv[++i];
        } else if (arg == "--checkpoint-log-bytes") {
            a.checkpointLogBytes = ParseByteCount(std::string(arg), argv[++i]);
        } else if (arg == "--dsn") {
            a.source.dsn = argv[++i];
        } else if (arg == "--user") {
            a.source.user = argv[++i];
        } else if (arg == "--password") {
            a.source.password = argv[++i];
        } else if (arg == "--script") {
            a.scripts.emplace_back(argv[++i]);
            while (i + 1 < argc && !std::string_view(argv[i + 1]).starts_with("--"))
                a.scripts.emplace_back(argv[++i]);
        }
    }
    return a;
}

int RunInit(int argc, char** argv) {
    const Arguments args = ParseArguments(argc, argv, {"--sa-password", "--script"});
    if (args.positional.size() != 1) throw UsageError("init needs exactly one folder");
    const fs::path dir = fs::path(args.positional[0]).lexically_normal();

    // Read every script before touching the folder: a missing script changes nothing.
    std::vector<std::pair<std::string, std::vector<std::string>>> scripts;
    for (const std::string& file : args.scripts)
        scripts.emplace_back(file, standin::SplitScript(standin::ReadWholeFile(file)));

    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    const standin::DatabaseFolder target(dir);
    target.PrepareForCreate();
    // The database is assembled in a hidden folder inside the target (so on the same file system)
    // and moved into place only when every script has run.
    const standin::DatabaseFolder assembly(dir /
                                           (".sqlstandin-init-" + std::to_string(::getpid())));
    const auto discard = [&] {
        fs::remove_all(assembly.Dir(), ec);
        target.RemoveDatabaseFiles();
        if (!existed) fs::remove(dir, ec);
    };
    try {
        standin::Engine::Create(assembly.Dir(), args.saPassword.value_or(kDefaultSaPassword));
        {
            const auto engine = standin::Engine::Open(assembly.Dir());
            standin::Session session;
            for (const auto& [file, batches] : scripts) {
                for (std::size_t b = 0; b < batches.size(); ++b) {
                    const standin::BatchOutcome outcome = engine->ExecuteBatch(session, batches[b]);
                    const auto failed =
                        std::find_if(outcome.statements.begin(), outcome.statements.end(),
                                     [](const standin::StatementOutcome& s) { return s.failed; });
                    if (failed == outcome.statements.end()) continue;
                    std::fprintf(stderr, "sqlstandin: init: script '%s', batch %zu failed:\n",
                                 file.c_str(), b + 1);
                    for (const standin::SqlMessage& m : failed->messages)
                        std::fprintf(stderr, "Msg %d, Level %d, State %d, Line %d\n%s\n", m.number,
                                     m.severity, m.state, m.line, m.text.c_str());
                    std::fprintf(stderr, "sqlstandin: init: no database was created in '%s'\n",
                                 dir.c_str());
                    discard();
                    return 1;
                }
            }
            engine->Checkpoint();
        }
        target.MoveDatabaseFrom(assembly);
        fs::remove(assembly.Dir(), ec);
    } catch (...) {
        discard();
        throw;
    }
    return 0;
}

int RunExec(int argc, char** argv) {
    const Arguments args =
        ParseArguments(argc, argv, {"--trace", "--fsync", "--checkpoint-log-bytes"});
    if (args.positional.empty() || args.positional.size() > 2)
        throw UsageError("exec needs a folder and at most one SQL text");
    standin::EngineOptions options;
    options.fsync = args.fsync;
    options.traceFile = args.trace;
    if (args.checkpointLogBytes) options.checkpointLogBytes = *args.checkpointLogBytes;
    const auto engine = standin::Engine::Open(args.positional[0], options);
    standin::Session session;
    bool anyFailed = false;
    // Output goes out after each batch has been made durable: a line read by another process
    // means the batch is done.
    const auto run = [&](const std::string& batch) {
        anyFailed = PrintOutcome(engine->ExecuteBatch(session, batch)) || anyFailed;
        std::fflush(stdout);
    };
    if (args.positional.size() == 2) {
        for (const std::string& batch : standin::SplitScript(args.positional[1])) run(batch);
    } else {
        standin::ScriptSplitter splitter;
        char* line = nullptr;
        std::size_t capacity = 0;
        ssize_t n;
        while ((n = ::getline(&line, &capacity, stdin)) > 0)
            if (auto batch = splitter.AddLine(std::string_view(line, static_cast<std::size_t>(n))))
                run(*batch);
        std::free(line);
        if (std::ferror(stdin)) throw std::runtime_error("cannot read standard input");
        if (auto batch = splitter.Finish()) run(*batch);
    }
    return anyFailed ? 1 : 0;
}

int RunClone(int argc, char** argv) {
    const Arguments args =
        ParseArguments(argc, argv, {"--dsn", "--user", "--password", "--sa-password"});
    if (args.positional.size() != 1) throw UsageError("clone needs exactly one folder");
    if (args.source.dsn.empty())
        throw UsageError("clone needs --dsn NAME, the data source of the database to copy");
    standin::clone::CloneOptions options;
    options.dir = args.positional[0];
    options.source = args.source;
    options.saPassword = args.saPassword.value_or(kDefaultSaPassword);
    const standin::clone::CloneOutcome outcome = standin::clone::CloneDatabase(options);
    std::fputs(standin::clone::CloneReport(outcome, options.dir).c_str(), stdout);
    return outcome.usable ? 0 : 3;
}

int RunRoundTrip(int argc, char** argv) {
    const Arguments args = ParseArguments(argc, argv, {"--dsn", "--user", "--password"});
    if (!args.positional.empty() || args.source.dsn.empty())
        throw UsageError("round-trip needs --dsn NAME and nothing else");
    kavel::TDatabase source;
    standin::clone::ConnectSource(source, args.source);
    std::fputs(
        standin::clone::RoundTripLine(standin::clone::MeasureRoundTrips(source, 300)).c_str(),
        stdout);
    return 0;
}

int RunCatalogue(int argc, char** argv) {
    const Arguments args = ParseArguments(argc, argv, {"--dsn", "--user", "--password"});
    standin::clone::SourceCatalogue catalogue;
    if (!args.source.dsn.empty()) {
        if (!args.positional.empty())
            throw UsageError("catalogue reads a folder or a data source, not both");
        kavel::TDatabase source;
        standin::clone::ConnectSource(source, args.source);
        catalogue = standin::clone::ReadCatalogue(standin::clone::OdbcQueryText(source));
    } else {
        if (args.positional.size() != 1) throw UsageError("catalogue needs a folder or --dsn NAME");
        standin::clone::EngineReader reader(args.positional[0]);
        catalogue = standin::clone::ReadCatalogue(reader.Reader());
    }
    std::fputs(standin::clone::CatalogueText(catalogue).c_str(), stdout);
    return 0;
}

int RunCompare(int argc, char** argv) {
    const Arguments args = ParseArguments(argc, argv, {});
    if (args.positional.size() != 2) throw UsageError("compare needs two catalogue files");
    std::fputs(standin::clone::CompareCatalogues(standin::ReadWholeFile(args.positional[0]),
                                                 standin::ReadWholeFile(args.positional[1]))
                   .c_str(),
               stdout);
    return 0;
}

// The engine's rows are heap objects that every write frees and allocates again, in whichever
// thread serves the session. With glibc's default of one arena per thread, rows loaded by the
// main thread and freed by a session thread leave holes that session never reuses, and each
// session's arena grows and is trimmed page by page: an upgrade of a large library held four
// times the memory it needed and spent a tenth of the server's time growing heaps. One arena,
// trimmed only above 64 MiB and grown 16 MiB at a time, keeps the freed rows in use. Batches
// run one at a time under the engine's mutex anyway, so one arena is no point of contention.
void TuneHeap() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_TOP_PAD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // fixed now: large vectors stay in the arena too
#endif
}

}  // namespace

int main(int argc, char** argv) {
    TuneHeap();
    const std::string_view command = argc >= 2 ? argv[1] : "";
    try {
        if (command == "serve") return standin::RunServe(argc - 1, argv + 1);
        if (command == "init") return RunInit(argc - 2, argv + 2);
        if (command == "exec") return RunExec(argc - 2, argv + 2);
        if (command == "clone") return RunClone(argc - 2, argv + 2);
        if (command == "catalogue") return RunCatalogue(argc - 2, argv + 2);
        if (command == "round-trip") return RunRoundTrip(argc - 2, argv + 2);
        if (command == "compare") return RunCompare(argc - 2, argv + 2);
        if (command == "--help" || command == "-h" || command == "help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        throw UsageError(command.empty() ? "no command given"
                                         : "unknown command " + std::string(command));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "sqlstandin: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sqlstandin: %s\n", e.what());
        return 1;
    }
}
