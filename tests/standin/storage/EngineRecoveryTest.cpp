#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <optional>
#include <thread>

#include "Engine.h"
#include "TestSupport.h"
#include "exec/TextFormat.h"
#include "storage/Wal.h"

namespace standin {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Runs a batch in a session of its own, fails the test on any message, and returns what
// `sqlstandin exec` prints for it.
std::string Exec(Engine& engine, std::string_view sql) {
    Session session;
    const BatchOutcome outcome = engine.ExecuteBatch(session, sql);
    for (const StatementOutcome& s : outcome.statements)
        for (const SqlMessage& m : s.messages)
            ADD_FAILURE() << sql << ": Msg " << m.number << ": " << m.text;
    return FormatOutcome(outcome);
}

constexpr const char* kCreate = "create table t (id int primary key, c varchar(40))";
constexpr const char* kSelect = "select id, c from t order by id";

std::string Insert(int id, std::string_view c = "v") {
    return "insert into t values (" + std::to_string(id) + ", '" + std::string(c) + "')";
}

std::string OpenError(const std::filesystem::path& dir) {
    return testing::ErrorText([&] { Engine::Open(dir); });
}

class EngineRecovery : public ::testing::Test {
protected:
    void SetUp() override { Engine::Create(db_, "secret"); }

    // Opens, creates the table and inserts ids first..last.
    void Fill(int first, int last) {
        const auto engine = Engine::Open(db_);
        if (first == 1) Exec(*engine, kCreate);
        for (int id = first; id <= last; ++id) Exec(*engine, Insert(id));
    }
    std::string Reopened() { return Exec(*Engine::Open(db_), kSelect); }
    static std::string Expected(int last) {
        std::string rows = "id\tc\n";
        for (int id = 1; id <= last; ++id) rows += std::to_string(id) + "\tv\n";
        return rows;
    }

    TempDir tmp_;
    std::filesystem::path db_ = tmp_ / "db";
    std::filesystem::path log_ = db_ / "log.wal";
    std::filesystem::path snapshot_ = db_ / "snapshot.bin";
};

// The whole state (catalogue, object ids, identity counters, generated names, rows, the values
// getdate() gave) that replay reaches equals the state the statements reached when they ran:
// compared as snapshot images.
TEST_F(EngineRecovery, ReplayReachesTheSameWholeState) {
    const auto copy = tmp_ / "copy";
    std::string live;
    {
        const auto engine = Engine::Open(db_);
        Exec(*engine,
             "create table p (n int identity(1,1) not null primary key, name varchar(20) default "
             "'x', at datetime)");
        Exec(*engine,
             "insert into p (name, at) values ('a', getdate())\r\ninsert into p (at) values "
             "(getdate())");
        Session session;
        engine->ExecuteBatch(session,
                             "create table p (n int)");  // fails: takes no object id for good
        engine->ExecuteBatch(session,
                             "insert into p (n) values (5)");  // fails: explicit identity value
        Exec(*engine, "alter table p add flag char(2) not null default ('N')");
        Exec(*engine, "create index ix_p_name on p (name)");
        Exec(*engine, "insert into p (name, at) select name, at from p");
        Exec(*engine, "update p set name = name + '!' where n = 2");
        Exec(*engine, "delete from p where n = 3");
        Exec(*engine,
             "create table q (id int)\r\ndrop table q\r\ncreate table r (id int primary key)");
        std::filesystem::copy(db_, copy);
        engine->Checkpoint();
        live = ReadBytes(snapshot_).substr(16);  // past magic and generation
    }
    // Later, so that a replay reading the clock would write other datetimes.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Engine::Open(copy);
    Engine::Open(copy)->Checkpoint();  // the first open replayed, the second has nothing to add
    EXPECT_TRUE(ReadBytes(copy / "snapshot.bin").substr(16) == live)
        << "the replayed state differs";
}

// A checkpoint starts a new log, by request or once the log reaches the threshold and the
// snapshot's size; the state stays whole.
TEST_F(EngineRecovery, CheckpointsStartANewLogAndKeepTheState) {
    EngineOptions options;
    options.checkpointLogBytes = 1;
    int checkpoints = 0;
    {
        const auto engine = Engine::Open(db_);
        Exec(*engine, kCreate);
        EXPECT_GT(std::filesystem::file_size(log_), kWalHeaderSize);
        engine->Checkpoint();
        EXPECT_EQ(std::filesystem::file_size(log_), kWalHeaderSize);
        EXPECT_FALSE(std::filesystem::exists(db_ / "snapshot.bin.tmp"));
    }
    {
        const auto engine = Engine::Open(db_, options);
        for (int id = 1; id <= 300; ++id) {
            Exec(*engine, Insert(id));
            const auto logSize = std::filesystem::file_size(log_);
            if (logSize == kWalHeaderSize) ++checkpoints;
            ASSERT_LE(logSize, std::filesystem::file_size(snapshot_) + 200) << "log kept growing";
        }
    }
    EXPECT_GE(checkpoints, 2);
    EXPECT_EQ(Reopened(), Expected(300));
}

TEST_F(EngineRecovery, TornLastRecordIsDroppedAndCutAway) {
    Fill(1, 3);
    const std::string intact = ReadBytes(log_);
    std::string record;
    AppendWalRecord(record, LoggedBatch{AppliedStatement{Insert(4), DateTime{}, true}});
    WriteBytes(log_, intact + record.substr(0, record.size() - 3));

    EXPECT_EQ(Reopened(), Expected(3));
    EXPECT_EQ(ReadBytes(log_), intact)
        << "the torn record is gone, so later appends follow good data";
    Fill(4, 5);
    EXPECT_EQ(Reopened(), Expected(5));
}

// A checkpoint stopped after its snapshot was renamed into place but before the new log replaced
// the old one: the old log's statements are in the snapshot already and must not run twice.
TEST_F(EngineRecovery, InterruptedCheckpointDoesNotReplayTwice) {
    Fill(1, 3);
    const std::string oldLog = ReadBytes(log_);
    Engine::Open(db_)->Checkpoint();
    WriteBytes(log_, oldLog);
    EXPECT_EQ(Reopened(), Expected(3));
    Fill(4, 4);
    EXPECT_EQ(Reopened(), Expected(4));
}

// What cannot be the database's own state is refused and left as it was, never emptied or cut;
// files of others beside ours are ignored.
TEST_F(EngineRecovery, DamagedOrForeignFilesAreRefusedAndLeftAsTheyWere) {
    Fill(1, 2);
    WriteBytes(db_ / "notes.txt", "someone's notes");
    const std::string log = ReadBytes(log_), snapshot = ReadBytes(snapshot_);
    std::string damagedLog = log;
    damagedLog[kWalHeaderSize + kWalRecordHeaderSize + 20] ^= 0x10;  // inside the first record
    const struct {
        std::filesystem::path file;
        std::optional<std::string> bytes;  // nullopt: removed
        const char* expect;
    } cases[] = {
        {log_, damagedLog, "damaged in the middle"},
        {log_, EncodeWalHeader(9), "do not belong together"},  // a log of another checkpoint
        {log_, "PRAGMA journal_mode=WAL;\n", "is not a sqlstandin log"},
        {snapshot_, snapshot.substr(0, snapshot.size() - 1), "truncated"},
        {snapshot_, std::nullopt, "snapshot.bin' is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expect);
        if (c.bytes)
            WriteBytes(c.file, *c.bytes);
        else
            std::filesystem::remove(c.file);
        EXPECT_NE(OpenError(db_).find(c.expect), std::string::npos) << OpenError(db_);
        EXPECT_EQ(c.bytes ? std::optional(ReadBytes(c.file)) : std::nullopt, c.bytes);
        EXPECT_EQ(std::filesystem::exists(c.file), c.bytes.has_value());
        WriteBytes(c.file, c.file == log_ ? log : snapshot);
        EXPECT_EQ(Reopened(), Expected(2));
    }
}

TEST_F(EngineRecovery, SessionsOnManyThreadsLoseNothing) {
    {
        const auto engine = Engine::Open(db_);
        EXPECT_NE(OpenError(db_).find("in use by another sqlstandin process"), std::string::npos);
        Exec(*engine, kCreate);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                Session session;
                session.spid = 51 + t;
                for (int i = 0; i < 25; ++i) engine->ExecuteBatch(session, Insert(1 + t * 25 + i));
            });
        for (std::thread& th : threads) th.join();
        EXPECT_EQ(Exec(*engine, kSelect), Expected(100));
    }
    EXPECT_EQ(Reopened(), Expected(100));
}

// Makes writes past `bytes` into any file fail (EFBIG), as a full disk would, while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uintmax_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int);
};

// A full disk loses nothing. A checkpoint that cannot write its snapshot changes nothing: the
// engine goes on logging. A batch the log cannot take is reported as failed and undone in memory
// too, so what clients see matches what a restart will see.
TEST_F(EngineRecovery, AFullDiskLosesNothing) {
    auto engine = Engine::Open(db_);
    Exec(*engine, kCreate);
    for (int id = 1; id <= 300; ++id) Exec(*engine, Insert(id));
    engine->Checkpoint();
    const std::uintmax_t snapshotSize = std::filesystem::file_size(snapshot_);
    ASSERT_GT(snapshotSize, 2000u);
    {
        const FileSizeLimit limit(1000);  // room for a few more log records, not for a snapshot
        Exec(*engine, Insert(301));
        EXPECT_THROW(engine->Checkpoint(), std::runtime_error);
        Exec(*engine, Insert(302));
    }
    EXPECT_EQ(std::filesystem::file_size(snapshot_), snapshotSize);
    BatchOutcome outcome;
    {
        const FileSizeLimit limit(std::filesystem::file_size(log_) + 8);  // not for one record
        Session session;
        outcome = engine->ExecuteBatch(session, Insert(303, "does not fit"));
    }
    bool reported = false;  // after the statement's own outcome
    for (const StatementOutcome& s : outcome.statements)
        for (const SqlMessage& m : s.messages)
            reported = reported || (m.number == 3271 && s.failed);
    EXPECT_TRUE(reported);
    EXPECT_EQ(Exec(*engine, kSelect), Expected(302));
    Exec(*engine, Insert(303));
    EXPECT_EQ(Exec(*engine, kSelect), Expected(303));
    engine.reset();
    EXPECT_FALSE(std::filesystem::exists(db_ / "snapshot.bin.tmp")) << "written in full or removed";
    EXPECT_EQ(Reopened(), Expected(303));
}

// A database folder written by an earlier sqlstandin, whose snapshot holds a format-1 database
// image (FNV-1a trailer), opens with all its data; its next checkpoint writes the current format.
// Created by that release with `sqlstandin init DIR --sa-password 'Old#Pass1' --script` on a
// script that makes lib_notepad (identity key, defaults, an index) and inserts two rows.
const std::filesystem::path kFormat1Database = FORMAT1_DATABASE_DIR;

constexpr const char* kNotepadSelect =
    "select np_no, np_text, np_oprname, np_price from lib_notepad order by np_no";

// Version field of the image inside the snapshot: after the 32-byte snapshot header and the
// image's 8-byte magic.
std::uint32_t ImageVersion(const std::filesystem::path& snapshot) {
    const std::string bytes = ReadBytes(snapshot);
    if (bytes.size() < 44) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[40 + i]);
    return v;
}

TEST(EarlierFormat, Format1DatabaseOpensAndIsRewrittenAtTheNextCheckpoint) {
    TempDir tmp;
    const auto db = tmp / "db";
    std::filesystem::copy(kFormat1Database, db);
    ASSERT_EQ(ImageVersion(db / "snapshot.bin"), 1u);

    const std::string before = "np_no\tnp_text\tnp_oprname\tnp_price\n1\t第一\tabc" +
                               std::string(17, ' ') + "\t12.50\n2\tsecond\tNULL\t0.00\n";
    {
        const auto engine = Engine::Open(db);
        EXPECT_TRUE(engine->CheckLogin("sa", "Old#Pass1"));
        EXPECT_EQ(Exec(*engine, kNotepadSelect), before);
        // Identity, defaults and the key carry on where the old release left them.
        Exec(*engine, "insert into lib_notepad(np_text) values('third')");
        Session session;
        const auto duplicate =
            engine->ExecuteBatch(session, "insert into lib_notepad(np_no) values(1)");
        ASSERT_FALSE(duplicate.statements.empty());
        EXPECT_TRUE(duplicate.statements[0].failed);
        engine->Checkpoint();
    }
    EXPECT_EQ(ImageVersion(db / "snapshot.bin"), 2u);
    const auto engine = Engine::Open(db);
    EXPECT_EQ(Exec(*engine, kNotepadSelect),
              before + "3\tthird\t" + std::string(20, ' ') + "\t0.00\n");
    EXPECT_TRUE(engine->CheckLogin("sa", "Old#Pass1"));
}

}  // namespace
}  // namespace standin
