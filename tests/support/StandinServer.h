#pragma once
// A sqlstandin server for one test: a fresh temporary folder, a database created by
// `sqlstandin init` from fixture T-SQL, `sqlstandin serve` on 127.0.0.1 and a free port, and an
// ODBC data source (unixODBC + FreeTDS) that reaches it. Nothing is read from /etc: the
// environment variables ODBCINI, FREETDSCONF and FREETDS point into the folder, ODBCSYSINI into
// one folder for the whole process that holds the driver definition.
//
//   standin::test::StandinServer server({.fixtureSql = "create table t (a int)\nGO\n"});
//   SQLDriverConnect(..., server.ConnectionString(), ...);   // "DSN=KavelODBC;UID=sa;PWD=..."
//
// The ODBC environment variables are process-wide, so keep one StandinServer alive at a time,
// and create it on a thread that outlives it (the server is stopped if that thread ends).
// The destructor stops the server and removes the folder (set KAVEL_KEEP_TEST_DIRS=1 to keep it).

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace standin::test {

struct StandinServerOptions {
    std::string fixtureSql;                             // run by `init`; batches split at GO lines
    std::vector<std::filesystem::path> fixtureScripts;  // run by `init` after fixtureSql
    std::string extraScriptSql;                         // run by `init` after fixtureScripts
    std::string saPassword = "Kavel#Test1";
    std::string dsnName = "KavelODBC";
    std::string database;  // Database= of the data source; empty: none
    bool fsync = false;
    std::filesystem::path program;  // empty: the sqlstandin built with the tests
};

class StandinServer {
public:
    // Creates, initialises and starts; throws std::runtime_error with the server's own words
    // when any step fails.
    explicit StandinServer(StandinServerOptions options = {});
    ~StandinServer();
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    std::uint16_t Port() const { return port_; }
    const std::filesystem::path& Folder() const { return folder_; }
    const std::filesystem::path& DatabaseDir() const { return databaseDir_; }
    const std::filesystem::path& TraceFile() const { return traceFile_; }
    const std::filesystem::path& ServerLog() const { return serverLog_; }
    const std::string& DsnName() const { return options_.dsnName; }
    const std::string& SaPassword() const { return options_.saPassword; }

    // "DSN=<name>;UID=sa;PWD=<password>" for SQLDriverConnect.
    std::string ConnectionString() const;

    // The trace, one JSON object per line; and the server's standard error so far.
    std::vector<std::string> TraceLines() const;
    std::string ServerLogText() const;

    // SIGTERM, then waits (SIGKILL after 10 s). Returns the exit status (0 after a clean stop).
    int Stop();
    // SIGKILL, as a crash would.
    void Kill();
    // Serves the same folder again on the same port, so the data source stays valid.
    void Start();
    bool Running() const { return pid_ > 0; }
    // The server process while it runs, -1 otherwise (for benchmarks that read its memory).
    pid_t Pid() const { return pid_; }

private:
    void WriteClientConfiguration() const;
    void RunInit() const;
    int Wait(int timeoutMs);

    StandinServerOptions options_;
    std::filesystem::path folder_;
    std::filesystem::path databaseDir_;
    std::filesystem::path traceFile_;
    std::filesystem::path serverLog_;
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::uint16_t port_ = 0;
};

// The FreeTDS ODBC driver (libtdsodbc.so): $KAVEL_TDSODBC_DRIVER, else the usual Debian and
// other locations. Throws std::runtime_error when it is not installed.
std::filesystem::path FindFreeTdsDriver();

// The bytes of a file, all of them (empty when it cannot be read); a file made of exactly
// `bytes` (throws when it cannot be written).
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace standin::test
