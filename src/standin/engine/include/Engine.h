#pragma once
// The face of the embedded engine that the sqlstandin program and the TDS server use.
// One Engine owns one database folder. Batches from all sessions run one at a time (the engine
// serialises them internally), each statement atomic.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "types/Value.h"

namespace standin {

// A message as SQL Server sends it: severity <= 10 is informational (TDS INFO token),
// above 10 an error (TDS ERROR token).
struct SqlMessage {
    int number = 0;
    int state = 1;
    int severity = 16;
    std::string text;  // UTF-8, names filled in
    int line = 1;      // line within the batch, counting from 1
};

struct ResultColumn {
    std::string name;  // UTF-8; empty for an unnamed expression
    SqlType type;
    bool nullable = true;
};

struct ResultSet {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<Value>> rows;
};

// What one statement of a batch produced, in the order SQL Server sends it.
struct StatementOutcome {
    std::optional<ResultSet> resultSet;    // SELECT
    std::optional<std::int64_t> rowCount;  // rows selected or affected (TDS DONE_COUNT)
    std::vector<SqlMessage> messages;      // errors and informational messages
    bool failed = false;
    // Stored rows the statement looked at to find the rows its WHERE selects: 1 for a keyed
    // look-up that hits, the whole table for a scan. Not sent to clients; tests and benchmarks
    // read it to see whether an index was used.
    std::int64_t rowsVisited = 0;
};

struct BatchOutcome {
    std::vector<StatementOutcome> statements;
};

// Per-connection state: SET options and identity of the session.
struct Session {
    int spid = 51;
    std::string login = "sa";
    bool ansiNullDefaultOn = true;  // new columns of unstated nullability allow NULL
    // SET IDENTITY_INSERT: the one table whose identity column takes explicit values; empty
    // when none.
    std::string identityInsertTable;
    // Replaying the log: an explicit identity value in a logged INSERT was allowed when it ran.
    bool replaying = false;
};

struct EngineOptions {
    bool fsync = false;               // sync the log to disk before acknowledging
    std::filesystem::path traceFile;  // empty: no trace
    // A checkpoint runs after the batch that brings the log to this size, or to the size of the
    // last snapshot if that is larger: opening replays at most about that much, and writing
    // snapshots never costs more than writing the log.
    std::uint64_t checkpointLogBytes = 16u << 20;
};

class Engine {
public:
    virtual ~Engine() = default;

    // Creates an empty database in `dir` (which must not hold one) with the login sa/saPassword.
    static void Create(const std::filesystem::path& dir, const std::string& saPassword);
    // Opens an existing database; replays its log. Throws std::runtime_error with a clear
    // message when the folder is not a database or is damaged beyond what recovery allows.
    static std::unique_ptr<Engine> Open(const std::filesystem::path& dir,
                                        const EngineOptions& options = {});

    // Runs one batch (UTF-8 text, exactly as received) for a session. Thread-safe.
    virtual BatchOutcome ExecuteBatch(Session& session, std::string_view sqlUtf8) = 0;

    // Checks a login. Thread-safe.
    virtual bool CheckLogin(std::string_view user, std::string_view password) const = 0;

    // Writes a snapshot and truncates the log (clean shutdown).
    virtual void Checkpoint() = 0;
};

}  // namespace standin
