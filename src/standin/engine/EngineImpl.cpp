#include "EngineImpl.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "EngineClock.h"
#include "storage/SnapshotFile.h"
#include "storage/StorageFile.h"

namespace standin {
namespace {

constexpr std::uint64_t kFirstGeneration = 1;

StatementOutcome FailedStatement(int number, int severity, std::string text) {
    StatementOutcome s;
    s.failed = true;
    s.messages.push_back(SqlMessage{number, 1, severity, std::move(text), 1});
    return s;
}

// The batch could not be made durable; it has been undone.
StatementOutcome LogWriteFailure(const std::filesystem::path& log, const std::string& reason) {
    return FailedStatement(3271, 16,
                           "A nonrecoverable I/O error occurred on file \"" + log.string() +
                               ":\" " + reason + ". The batch has been undone.");
}

}  // namespace

void Engine::Create(const std::filesystem::path& dir, const std::string& saPassword) {
    const DatabaseFolder folder(dir);
    folder.PrepareForCreate();
    Database db;
    db.SetLogin("sa", saPassword);
    WriteSnapshotFile(folder.SnapshotFile(), kFirstGeneration, db.Save());
    WalWriter::CreateEmpty(folder.LogFile(), kFirstGeneration);
    folder.WriteMarker();
}

std::unique_ptr<Engine> Engine::Open(const std::filesystem::path& dir,
                                     const EngineOptions& options) {
    return std::make_unique<EngineImpl>(dir, options);
}

EngineImpl::EngineImpl(const std::filesystem::path& dir, const EngineOptions& options)
    : folder_(dir), options_(options) {
    lock_ = folder_.OpenAndLock();
    Recover();
    if (!options_.traceFile.empty()) trace_ = std::make_unique<TraceWriter>(options_.traceFile);
}

void EngineImpl::Recover() {
    SnapshotContents snapshot = ReadSnapshotFile(folder_.SnapshotFile());
    const std::uint64_t snapshotBytes = snapshot.payload.size();
    std::unique_ptr<Database> db;
    try {
        db = Database::Load(snapshot.payload);
    } catch (const std::exception& e) {
        throw std::runtime_error("snapshot '" + folder_.SnapshotFile().string() +
                                 "' cannot be loaded: " + e.what());
    }
    // The rows hold the data now; the image's bytes would only add to the peak of the replay.
    std::string().swap(snapshot.payload);

    const std::filesystem::path log = folder_.LogFile();
    WalScan scan = ScanWal(ReadWholeFile(log), log);
    if (scan.generation + 1 == snapshot.generation) {
        // A checkpoint stopped after writing its snapshot: the whole log is in the snapshot.
        WalWriter::CreateEmpty(log, snapshot.generation);
        scan = WalScan{snapshot.generation, {}, kWalHeaderSize, 0};
    } else if (scan.generation != snapshot.generation) {
        throw std::runtime_error("log '" + log.string() + "' continues checkpoint " +
                                 std::to_string(scan.generation) + " but snapshot '" +
                                 folder_.SnapshotFile().string() + "' is checkpoint " +
                                 std::to_string(snapshot.generation) +
                                 "; they do not belong together, so the database is not opened");
    }

    std::size_t recordNo = 0;
    for (const LoggedBatch& batch : scan.batches) {
        ++recordNo;
        for (const AppliedStatement& statement : batch) {
            try {
                db->Replay(statement);
            } catch (const std::exception& e) {
                throw std::runtime_error(
                    "log '" + log.string() + "', record " + std::to_string(recordNo) +
                    ": the statement does not apply to the snapshot (" + e.what() +
                    "); the database is not opened. Statement: " + statement.text.substr(0, 200));
            }
        }
    }
    // Cuts off a torn last record, if any.
    auto wal = std::make_unique<WalWriter>(log, scan.validEnd, options_.fsync);
    if (scan.droppedTail > 0)
        std::fprintf(stderr,
                     "sqlstandin: '%s': dropped a torn last record (%llu bytes) whose write did "
                     "not complete\n",
                     log.c_str(), static_cast<unsigned long long>(scan.droppedTail));
    db_ = std::move(db);
    wal_ = std::move(wal);
    generation_ = snapshot.generation;
    snapshotBytes_ = snapshotBytes;
}

void EngineImpl::RestoreFromDisk() {
    try {
        Recover();
    } catch (const std::exception& e) {
        broken_ = std::string("the database could not be reloaded after a failed batch: ") +
                  e.what() + "; restart sqlstandin";
    }
}

BatchOutcome EngineImpl::ExecuteBatch(Session& session, std::string_view sqlUtf8) {
    const std::lock_guard<std::mutex> lock(mutex_);
    BatchOutcome outcome;
    if (!broken_.empty()) {
        outcome.statements.push_back(
            FailedStatement(3271, 16, "The database is unavailable: " + broken_ + "."));
        WriteTrace(session, sqlUtf8, outcome);
        return outcome;
    }

    std::vector<AppliedStatement> applied;
    ExecContext context{&CurrentSqlDateTime, &applied};
    try {
        outcome = db_->ExecuteBatch(session, sqlUtf8, context);
    } catch (const std::exception& e) {
        // The executor failed part way; what it changed cannot be trusted, so reload.
        outcome.statements.push_back(
            FailedStatement(8630, 16,
                            std::string("Internal Query Processor Error: ") + e.what() +
                                ". The batch has been undone."));
        applied.clear();
        RestoreFromDisk();
    }

    if (!applied.empty()) {
        try {
            wal_->Append(applied);
        } catch (const std::exception& e) {
            outcome.statements.push_back(LogWriteFailure(folder_.LogFile(), e.what()));
            RestoreFromDisk();
        }
    }
    WriteTrace(session, sqlUtf8, outcome);

    // Waiting until the log is also as large as the snapshot keeps the cost of checkpoints in
    // proportion to the work logged, however large the database.
    if (broken_.empty() && wal_->Size() >= std::max(options_.checkpointLogBytes, snapshotBytes_)) {
        try {
            CheckpointLocked();
        } catch (const std::exception& e) {
            // The batch itself is durable in the log; only the compaction failed.
            std::fprintf(stderr, "sqlstandin: checkpoint failed: %s\n", e.what());
        }
    }
    return outcome;
}

void EngineImpl::WriteTrace(const Session& session, std::string_view sql,
                            const BatchOutcome& outcome) {
    if (!trace_) return;
    try {
        trace_->Write(session.spid, sql, FirstError(outcome));
    } catch (const std::exception& e) {
        // The trace is a diagnostic; the batch stands. Say so once rather than on every batch.
        if (!traceFailureReported_) std::fprintf(stderr, "sqlstandin: trace: %s\n", e.what());
        traceFailureReported_ = true;
    }
}

bool EngineImpl::CheckLogin(std::string_view user, std::string_view password) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return db_->CheckLogin(user, password);
}

void EngineImpl::Checkpoint() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!broken_.empty()) throw std::runtime_error("checkpoint refused: " + broken_);
    CheckpointLocked();
}

void EngineImpl::CheckpointLocked() {
    const std::uint64_t next = generation_ + 1;
    const std::filesystem::path snapshotFile = folder_.SnapshotFile();
    const std::string image = db_->Save();
    try {
        WriteSnapshotFile(snapshotFile, next, image);
    } catch (const std::exception&) {
        // Unless the new snapshot is already in place (only syncing the folder failed), the old
        // snapshot and log are intact and batches may go on.
        std::uint64_t onDisk = 0;
        try {
            onDisk = ReadSnapshotFile(snapshotFile).generation;
        } catch (const std::exception& e) {
            broken_ = std::string("a failed checkpoint left the snapshot unreadable: ") + e.what();
            throw;
        }
        if (onDisk != next) throw;
    }
    // From here the log of the previous generation is wholly in the snapshot. Appending to it
    // would be lost on the next open, so unless a fresh log replaces it, stop taking batches.
    try {
        WalWriter::CreateEmpty(folder_.LogFile(), next);
        wal_ = std::make_unique<WalWriter>(folder_.LogFile(), kWalHeaderSize, options_.fsync);
    } catch (const std::exception& e) {
        broken_ = std::string("a checkpoint could not start a new log: ") + e.what();
        throw;
    }
    generation_ = next;
    snapshotBytes_ = image.size();
}

}  // namespace standin
