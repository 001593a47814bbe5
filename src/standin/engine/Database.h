#pragma once
// The in-memory database: catalogue, tables, indexes and the executor of Transact-SQL batches.
// Deterministic: given the same starting state, the same statements and the same clock values it
// reaches the same state, which is what lets the write-ahead log replay it. Not thread-safe; the
// Engine serialises access.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"
#include "storage/AppliedStatement.h"
#include "types/Value.h"

namespace standin {

struct ExecContext {
    // Gives getdate() for a statement; called at most once per statement.
    std::function<DateTime()> clock;
    // Receives, in order, every statement that succeeded and changed the database (DDL, INSERT,
    // UPDATE, DELETE with at least the attempt to change; SELECT and SET are not recorded).
    std::vector<AppliedStatement>* applied = nullptr;
};

class Database {
public:
    Database();  // an empty database: system tables only, no logins
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    BatchOutcome ExecuteBatch(Session& session, std::string_view sqlUtf8, ExecContext& ctx);

    // Runs one logged statement again. Throws std::runtime_error when it fails, which means the
    // log does not belong to this state.
    void Replay(const AppliedStatement& statement);

    void SetLogin(const std::string& user, const std::string& password);
    bool CheckLogin(std::string_view user, std::string_view password) const;

    // Whole-state snapshot in a versioned binary format; Load throws std::runtime_error with a
    // clear message on anything malformed or truncated.
    std::string Save() const;
    static std::unique_ptr<Database> Load(std::string_view image);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace standin
