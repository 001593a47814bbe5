// Whole-state behaviour of Database: snapshots, replay of the applied-statement log, logins.
#include <gtest/gtest.h>

#include <sstream>

#include "Database.h"
#include "exec/TextFormat.h"
#include "types/DateTimeOps.h"

namespace standin {
namespace {

struct Fixture {
    Database db;
    Session session;
    std::vector<AppliedStatement> applied;
    ExecContext ctx;
    int clockCalls = 0;
    std::int32_t day = DaysFromCivil(2010, 5, 11);

    Fixture() {
        ctx.applied = &applied;
        ctx.clock = [this] {
            ++clockCalls;
            DateTime t;
            t.days =
                day++;  // every reading differs, so a replay that reads the clock again would show
            t.ticks = 12345;
            return t;
        };
    }
    std::string Run(const std::string& sql) {
        return FormatOutcome(db.ExecuteBatch(session, sql, ctx));
    }
};

std::string Image(const Database& db) {
    std::ostringstream out;
    db.Save(out);
    return out.str();
}

const char* kScript =
    "create table lib_notepad (np_no int NOT NULL IDENTITY (1, 1), np_date datetime "
    "default(getdate()),\n"
    " np_text text default(''), np_oprname char(20) default(''), np_price numeric(7,2) "
    "default(0.00))\n"
    "ALTER TABLE lib_notepad ADD CONSTRAINT PK_lib_notepad PRIMARY KEY NONCLUSTERED (np_no)\n"
    "insert into lib_notepad(np_text, np_oprname, np_price) values('第一', 'abc', 12.5)\n"
    "insert into lib_notepad(np_text) values('second')\n"
    "update lib_notepad set np_price = np_price * 2 where np_no = 1\n"
    "alter table lib_notepad add np_flag char(1) NOT NULL default('0')\n"
    "create index ix_notepad_name on lib_notepad(np_oprname) WITH PAD_INDEX,FILLFACTOR=85\n"
    "delete from lib_notepad where np_no = 2\n"
    "insert into lib_notepad(np_text) values('third')\n";

TEST(DatabaseState, ReplayOfAppliedStatementsReachesTheSameState) {
    Fixture f;
    f.Run(kScript);
    ASSERT_EQ(f.applied.size(), 9u);
    EXPECT_EQ(f.applied[3].text, "insert into lib_notepad(np_text) values('second')");
    // Each statement read the clock at most once.
    EXPECT_LE(f.clockCalls, 9);

    Database replayed;
    for (auto& a : f.applied) replayed.Replay(a);
    EXPECT_EQ(Image(replayed), Image(f.db));
}

TEST(DatabaseState, FailedStatementsAreNotLoggedAndLeaveNoTrace) {
    Fixture f;
    f.Run("create table t (id int NOT NULL IDENTITY(1,1) PRIMARY KEY, v char(3) NOT NULL)");
    std::string before = Image(f.db);
    std::size_t logged = f.applied.size();
    // 8152 on the second row: the first row and the identity value must not stay.
    std::string out = f.Run("insert into t(v) values('ab'),('abcd')");
    EXPECT_NE(out.find("Msg 8152"), std::string::npos) << out;
    EXPECT_EQ(Image(f.db), before);
    EXPECT_EQ(f.applied.size(), logged);
    // A failed CREATE TABLE gives back the object ids it took.
    out = f.Run("create table u (a int default(1), b int default(2), PRIMARY KEY (zz))");
    EXPECT_NE(out.find("Msg 1911"), std::string::npos) << out;
    EXPECT_EQ(Image(f.db), before);
    f.Run("insert into t(v) values('ok')");
    EXPECT_EQ(f.Run("select id from t"), "id\n1\n");
}

TEST(DatabaseState, SaveLoadRoundTrip) {
    Fixture f;
    f.Run(kScript);
    f.db.SetLogin("sa", "Secret#1");
    std::string image = Image(f.db);
    std::istringstream in(image);
    auto loaded = Database::Load(in);
    EXPECT_EQ(Image(*loaded), image);
    EXPECT_TRUE(loaded->CheckLogin("SA", "Secret#1"));
    EXPECT_FALSE(loaded->CheckLogin("sa", "secret#1"));
    // The loaded database works: its defaults and identity continue where they were.
    Session s;
    ExecContext ctx;
    ctx.clock = [] { return DateTime{}; };
    std::string out = FormatOutcome(loaded->ExecuteBatch(
        s,
        "insert into lib_notepad(np_text) values('x')\n"
        "select np_no, np_flag, np_date from lib_notepad where np_text like 'x'",
        ctx));
    EXPECT_EQ(out, "(1 row affected)\nnp_no\tnp_flag\tnp_date\n4\t0\t1900-01-01 00:00:00.000\n");
}

TEST(DatabaseState, LoadRefusesDamagedImages) {
    Fixture f;
    f.Run(kScript);
    std::string image = Image(f.db);
    auto loadFails = [](const std::string& bytes) {
        std::istringstream in(bytes);
        try {
            Database::Load(in);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(loadFails("").find("truncated"), std::string::npos);
    EXPECT_NE(loadFails("hello world, this is not a database at all").find("magic"),
              std::string::npos);
    for (std::size_t cut : {image.size() - 1, image.size() / 2, std::size_t{20}})
        EXPECT_NE(loadFails(image.substr(0, cut)).find("truncated"), std::string::npos) << cut;
    std::string flipped = image;
    flipped[image.size() / 2] ^= 0x20;
    EXPECT_NE(loadFails(flipped).find("checksum"), std::string::npos);
    EXPECT_NE(loadFails(image + "x").find("damaged"), std::string::npos);
    std::string future = image;
    future[8] = 3;  // the format version, after the 8-byte magic
    EXPECT_NE(loadFails(future).find("format version 3; this program reads versions 1 to 2"),
              std::string::npos);
}

TEST(DatabaseState, ReplayOfAForeignLogThrows) {
    Database db;
    AppliedStatement a{"insert into missing_table values(1)", DateTime{}, true};
    EXPECT_THROW(db.Replay(a), std::runtime_error);
}

TEST(DatabaseState, LoginsAreCaseInsensitiveForTheNameOnly) {
    Database db;
    EXPECT_FALSE(db.CheckLogin("sa", ""));
    db.SetLogin("sa", "pw");
    EXPECT_TRUE(db.CheckLogin("Sa", "pw"));
    EXPECT_FALSE(db.CheckLogin("sa", "PW"));
    EXPECT_FALSE(db.CheckLogin("other", "pw"));
}

}  // namespace
}  // namespace standin
