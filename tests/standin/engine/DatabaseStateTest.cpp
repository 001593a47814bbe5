// Whole-state behaviour of Database: replay of the applied-statement log, statements that fail,
// images saved and loaded, logins.
#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "TestSupport.h"
#include "types/DateTimeOps.h"

namespace standin {
namespace {

using testing::ErrorText;
using testing::TestDatabase;

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

// Every reading of this clock differs, so a statement that reads it twice, or a replay that
// reads it at all, ends in another state.
TEST(DatabaseState, ReplayOfAppliedStatementsReachesTheSameState) {
    TestDatabase f;
    int clockCalls = 0;
    f.ctx.clock = [&, day = DaysFromCivil(2010, 5, 11)]() mutable {
        ++clockCalls;
        return DateTime{day++, 12345};
    };
    f.Run(kScript);
    ASSERT_EQ(f.applied.size(), 9u);
    EXPECT_EQ(f.applied[3].text, "insert into lib_notepad(np_text) values('second')");
    EXPECT_LE(clockCalls, 9);

    Database replayed;
    for (auto& a : f.applied) replayed.Replay(a);
    EXPECT_EQ(replayed.Save(), f.db.Save());
    EXPECT_THROW(replayed.Replay({"insert into missing_table values(1)", DateTime{}, true}),
                 std::runtime_error);
}

TEST(DatabaseState, FailedStatementsAreNotLoggedAndLeaveNoTrace) {
    TestDatabase f;
    f.Run("create table t (id int NOT NULL IDENTITY(1,1) PRIMARY KEY, v char(3) NOT NULL)");
    const std::string before = f.db.Save();
    const std::size_t logged = f.applied.size();
    // 8152 on the second row: the first row and the identity value it took must not stay (the
    // image holds the identity counters and the object id counter).
    EXPECT_NE(f.Run("insert into t(v) values('ab'),('abcd')").find("Msg 8152"), std::string::npos);
    // A failed CREATE TABLE gives back the object ids it took.
    EXPECT_NE(f.Run("create table u (a int default(1), b int default(2), PRIMARY KEY (zz))")
                  .find("Msg 1911"),
              std::string::npos);
    EXPECT_EQ(f.db.Save(), before);
    EXPECT_EQ(f.applied.size(), logged);
}

// The image's own round trip is checked after every golden file; here what only a loaded
// database shows: its logins, defaults and identity carry on.
TEST(DatabaseState, ALoadedDatabaseCarriesOn) {
    TestDatabase f;
    f.Run(kScript);
    EXPECT_FALSE(f.db.CheckLogin("sa", ""));
    f.db.SetLogin("sa", "Secret#1");
    auto loaded = Database::Load(f.db.Save());
    EXPECT_TRUE(loaded->CheckLogin("SA", "Secret#1"));
    EXPECT_FALSE(loaded->CheckLogin("sa", "secret#1"));
    EXPECT_FALSE(loaded->CheckLogin("other", "Secret#1"));
    EXPECT_EQ(FormatOutcome(loaded->ExecuteBatch(
                  f.session,
                  "insert into lib_notepad(np_text) values('x')\n"
                  "select np_no, np_flag, np_date from lib_notepad where np_text like 'x'",
                  f.ctx)),
              "(1 row affected)\nnp_no\tnp_flag\tnp_date\n4\t0\t1900-01-01 00:00:00.000\n");
}

TEST(DatabaseState, LoadRefusesDamagedImages) {
    TestDatabase f;
    f.Run(kScript);
    const std::string image = f.db.Save();
    std::string flipped = image, future = image;
    flipped[image.size() / 2] ^= 0x20;
    future[8] = 3;  // the format version, after the 8-byte magic
    const struct {
        std::string bytes;
        const char* expect;
    } cases[] = {
        {"", "truncated"},
        {"hello world, this is not a database at all", "magic"},
        {image.substr(0, image.size() - 1), "truncated"},
        {image.substr(0, image.size() / 2), "truncated"},
        {image.substr(0, 20), "truncated"},
        {flipped, "checksum"},
        {image + "x", "damaged"},
        {future, "format version 3; this program reads versions 1 to 2"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(ErrorText([&] { Database::Load(c.bytes); }).find(c.expect), std::string::npos)
            << c.expect;
    }
}

}  // namespace
}  // namespace standin
