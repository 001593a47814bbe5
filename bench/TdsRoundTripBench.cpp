// Round trips per second through the whole client stack the utility uses (unixODBC + FreeTDS)
// to a sqlstandin server on loopback: `select 1`, and single-row updates by primary key.
// Usage: tds_roundtrip_bench [SECONDS_PER_FIGURE] [--fsync]
//        tds_roundtrip_bench [SECONDS] --connect "DSN=...;UID=...;PWD=..."
//            only `select 1`, on a server that is already running (bench/large_library's), with
//            this client's processor time per round trip

#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

#include "StandinServer.h"

namespace {

constexpr int kRows = 1000;

class Connection {
public:
    explicit Connection(const std::string& connectionString) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        if (!SQL_SUCCEEDED(SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)connectionString.c_str(),
                                            SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
            throw std::runtime_error("cannot connect: " + Diagnostic(SQL_HANDLE_DBC, dbc_));
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
    }
    ~Connection() {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }

    // One round trip: execute, read every row, close the cursor.
    void Execute(const std::string& sql) {
        if (!SQL_SUCCEEDED(SQLExecDirect(stmt_, (SQLCHAR*)sql.c_str(), SQL_NTS)))
            throw std::runtime_error(sql + ": " + Diagnostic(SQL_HANDLE_STMT, stmt_));
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt_, &columns);
        if (columns > 0)
            while (SQL_SUCCEEDED(SQLFetch(stmt_))) {
            }
        SQLFreeStmt(stmt_, SQL_CLOSE);
    }

private:
    static std::string Diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
        SQLCHAR state[6] = {}, text[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
        return reinterpret_cast<char*>(text);
    }

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

// Processor time of this process so far, user and system, in seconds.
double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs `once(i)` for about `seconds`; returns round trips per second. With `cpuPerTrip`, also
// the process's processor time per round trip in microseconds (meaningful only when the server
// runs in another process).
double Rate(double seconds, const std::function<void(long)>& once, double* cpuPerTrip = nullptr) {
    using Clock = std::chrono::steady_clock;
    for (long i = 0; i < 50; ++i) once(i);  // warm up
    const auto start = Clock::now();
    const double cpuStart = ProcessorSeconds();
    long n = 0;
    double elapsed = 0;
    do {
        for (int k = 0; k < 50; ++k, ++n) once(n);
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    if (cpuPerTrip != nullptr) *cpuPerTrip = (ProcessorSeconds() - cpuStart) * 1e6 / n;
    return static_cast<double>(n) / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 3;
    bool fsync = false;
    const char* connect = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fsync") == 0)
            fsync = true;
        else if (std::strcmp(argv[i], "--connect") == 0 && i + 1 < argc)
            connect = argv[++i];
        else
            seconds = std::atof(argv[i]);
    }
    try {
        if (connect) {
            Connection connection(connect);
            double cpu = 0;
            const double rate = Rate(
                seconds, [&](long) { connection.Execute("select 1"); }, &cpu);
            std::printf("  select 1:                 %10.0f per second\n", rate);
            std::printf("  client processor time:    %10.1f us per select 1\n", cpu);
            return 0;
        }
        std::string fixture =
            "create table counters (id int not null primary key, hits int not null)\nGO\n";
        for (int i = 0; i < kRows; ++i)
            fixture += "insert into counters values (" + std::to_string(i) + ", 0)\n" +
                       (i % 100 == 99 ? "GO\n" : "");
        standin::test::StandinServerOptions options;
        options.fixtureSql = fixture;
        options.fsync = fsync;
        standin::test::StandinServer server(options);
        Connection connection(server.ConnectionString());

        const double selects = Rate(seconds, [&](long) { connection.Execute("select 1"); });
        const double updates = Rate(seconds, [&](long i) {
            connection.Execute("update counters set hits = hits + 1 where id = " +
                               std::to_string(i % kRows));
        });
        std::printf("round trips through unixODBC + FreeTDS to sqlstandin on loopback%s\n",
                    fsync ? " (--fsync)" : "");
        std::printf("  select 1:                 %10.0f per second\n", selects);
        std::printf("  single-row keyed update:  %10.0f per second\n", updates);
        std::printf("  ratio select/update:      %10.2f\n", selects / updates);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tds_roundtrip_bench: %s\n", e.what());
        return 1;
    }
}
