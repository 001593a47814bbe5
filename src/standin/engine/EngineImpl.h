#pragma once
// The Engine over one database folder: a Database in memory, made durable by a snapshot and a
// write-ahead log, with the optional statement trace.
//
// Batches run one at a time under one mutex. For each batch: run it, append the statements that
// changed the database to the log as one record (flushed, synced with EngineOptions::fsync),
// write the trace line, and only then return, so that an acknowledged batch is on disk. If the
// log cannot be written, the batch is undone by reloading the state from disk and reported as
// failed.

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "Database.h"
#include "Engine.h"
#include "Trace.h"
#include "storage/DatabaseFolder.h"
#include "storage/Wal.h"

namespace standin {

class EngineImpl final : public Engine {
public:
    // Opens and recovers the database in `dir`; throws std::runtime_error naming any problem.
    EngineImpl(const std::filesystem::path& dir, const EngineOptions& options);

    BatchOutcome ExecuteBatch(Session& session, std::string_view sqlUtf8) override;
    bool CheckLogin(std::string_view user, std::string_view password) const override;
    void Checkpoint() override;

private:
    // Loads the snapshot, replays the log over it and opens the log for appending.
    void Recover();
    // Recover() after a failed batch; on failure the engine refuses all further batches.
    void RestoreFromDisk();
    void CheckpointLocked();
    void WriteTrace(const Session& session, std::string_view sql, const BatchOutcome& outcome);

    DatabaseFolder folder_;
    EngineOptions options_;
    FileHandle lock_;
    mutable std::mutex mutex_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<WalWriter> wal_;
    std::unique_ptr<TraceWriter> trace_;
    std::uint64_t generation_ = 0;
    std::uint64_t snapshotBytes_ = 0;  // size of the last snapshot's database image
    std::string broken_;               // when not empty: why every batch is refused
    bool traceFailureReported_ = false;
};

}  // namespace standin
