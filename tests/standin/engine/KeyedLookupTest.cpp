// Equality look-ups on key and indexed columns go through the index: a keyed statement looks at
// the rows it finds, a predicate no index serves looks at every row.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Database.h"
#include "exec/TextFormat.h"

namespace standin {
namespace {

struct Table {
    Database db;
    Session session;
    ExecContext ctx;
    Table() {
        ctx.clock = [] { return DateTime{}; };
    }
    std::string Run(const std::string& sql) {
        return FormatOutcome(db.ExecuteBatch(session, sql, ctx));
    }

    void Fill(int rows) {
        Run("create table lib_bianma (bm_no int NOT NULL IDENTITY (1, 1), bm_code char(10) NOT "
            "NULL, "
            "bm_bookno char(22) default(''), bm_noorder char(26) default(''))\n"
            "ALTER TABLE lib_bianma ADD CONSTRAINT PK_lib_bianma PRIMARY KEY NONCLUSTERED (bm_no)\n"
            "create index ix_bianma_code on lib_bianma(bm_code)");
        for (int done = 0; done < rows;) {
            std::string sql = "insert into lib_bianma(bm_code, bm_bookno) values";
            for (int k = 0; k < 1000 && done < rows; ++k, ++done)
                sql += (k ? ",('C" : "('C") + std::to_string(done % 5000) + "','TP312/" +
                       std::to_string(done) + "')";
            Run(sql);
        }
    }

    // Stored rows the one statement of `sql` looked at to find its rows.
    std::int64_t RowsVisited(const std::string& sql) {
        const BatchOutcome outcome = db.ExecuteBatch(session, sql, ctx);
        EXPECT_EQ(outcome.statements.size(), 1u) << sql;
        EXPECT_FALSE(outcome.statements.empty() || outcome.statements[0].failed)
            << FormatOutcome(outcome);
        return outcome.statements.empty() ? -1 : outcome.statements[0].rowsVisited;
    }
};

TEST(KeyedLookup, AKeyOrIndexedEqualityVisitsOnlyTheRowsItFinds) {
    Table t;
    t.Fill(10000);  // bm_code repeats every 5000 rows
    const struct {
        const char* sql;
        std::int64_t visited;
    } cases[] = {
        {"update lib_bianma set\n  bm_noorder='TP312 00000000001'\nwhere bm_no=7920", 1},
        {"select bm_code from lib_bianma where bm_no=42", 1},
        {"delete from lib_bianma where bm_no=10001", 0},  // no such key: nothing to look at
        {"select bm_no from lib_bianma where bm_code = 'C1234'", 2},
        {"select bm_no from lib_bianma where bm_code = 'C1234' and bm_bookno = 'TP312/1234'", 2},
        // No index on bm_bookno: the first equality on it builds a look-up index, so it and every
        // later one read only the rows they find.
        {"select bm_no from lib_bianma where bm_bookno = 'TP312/77'", 1},
        {"select bm_no from lib_bianma where bm_bookno = 'TP312/78'", 1},
        // LIKE is no equality, nor is an expression on the key: every row is read.
        {"select bm_no from lib_bianma where bm_code like 'C1234'", 10000},
        {"update lib_bianma set bm_noorder='' where bm_no + 0 = 7920", 10000},
    };
    for (const auto& c : cases) EXPECT_EQ(t.RowsVisited(c.sql), c.visited) << c.sql;
    EXPECT_EQ(t.Run("select bm_code, rtrim(bm_noorder) as k from lib_bianma where bm_no=7920"),
              "bm_code\tk\nC2919     \t\n");
}

TEST(KeyedLookup, IndexedColumnAndKeyAgreeWithAScan) {
    Table t;
    t.Fill(10000);
    // Same rows through the index (bm_code =) and through a scan (LIKE without wildcard).
    EXPECT_EQ(t.Run("select count(*) as n from lib_bianma where bm_code = 'c1234'"), "n\n2\n");
    EXPECT_EQ(t.Run("select count(*) as n from lib_bianma where bm_code like 'C1234'"), "n\n2\n");
    EXPECT_EQ(t.Run("delete from lib_bianma where bm_code = 'C1234' and bm_no > 5000"),
              "(1 row affected)\n");
    EXPECT_EQ(t.Run("select bm_no from lib_bianma where bm_code = 'C1234 '"), "bm_no\n1235\n");
}

// Updates keep every index right, whether they leave the indexed columns alone (the entry stays)
// or change them (the entry moves), also when many rows share a key and also when a failing
// statement is undone.
TEST(KeyedLookup, UpdatesKeepTheIndexesOfSharedAndChangedKeys) {
    Table t;
    t.Fill(10000);
    const struct {
        const char* sql;
        const char* expected;
    } steps[] = {
        // 'C7' is shared by rows 8 and 5008; bm_bookno gets a look-up index of one key for all.
        {"update lib_bianma set bm_bookno='same' where bm_no > 0", "(10000 rows affected)\n"},
        {"select count(*) as n from lib_bianma where bm_bookno = 'same'", "n\n10000\n"},
        {"update lib_bianma set bm_noorder='x' where bm_bookno = 'same'",
         "(10000 rows affected)\n"},
        {"select count(*) as n from lib_bianma where bm_bookno = 'same'", "n\n10000\n"},
        {"select bm_no from lib_bianma where bm_code = 'C7'", "bm_no\n8\n5008\n"},
        // The key moves: the row leaves the old key and is found under the new one.
        {"update lib_bianma set bm_code='C9999', bm_bookno='moved' where bm_no = 8",
         "(1 row affected)\n"},
        {"select bm_no from lib_bianma where bm_code = 'C7'", "bm_no\n5008\n"},
        {"select bm_no from lib_bianma where bm_code = 'C9999'", "bm_no\n8\n"},
        {"select count(*) as n from lib_bianma where bm_bookno = 'same'", "n\n9999\n"},
        {"select bm_no from lib_bianma where bm_bookno = 'moved'", "bm_no\n8\n"},
        // A statement that fails half way changes nothing, its index entries included.
        {"update lib_bianma set bm_bookno='eleven long' where bm_no = 9000", "(1 row affected)\n"},
        {"update lib_bianma set bm_code = bm_bookno where bm_no > 5000",
         "Msg 8152, Level 16, State 14, Line 1\nString or binary data would be truncated.\n"
         "The statement has been terminated.\n"},
        {"select bm_no from lib_bianma where bm_code = 'C7'", "bm_no\n5008\n"},
        {"select count(*) as n from lib_bianma where bm_code = 'same'", "n\n0\n"},
        {"select bm_no from lib_bianma where bm_bookno = 'eleven long'", "bm_no\n9000\n"},
    };
    for (const auto& s : steps) EXPECT_EQ(t.Run(s.sql), s.expected) << s.sql;
}

}  // namespace
}  // namespace standin
