// Equality look-ups on key and indexed columns go through the index: a keyed statement looks at
// the rows it finds, a predicate no index serves looks at every row. (That the rows found are the
// right ones, as indexes change, the golden files show.)
#include <gtest/gtest.h>

#include "TestDatabase.h"

namespace standin {
namespace {

TEST(KeyedLookup, AKeyOrIndexedEqualityVisitsOnlyTheRowsItFinds) {
    testing::TestDatabase t;
    t.Run(
        "create table lib_bianma (bm_no int NOT NULL IDENTITY (1, 1), bm_code char(10) NOT NULL, "
        "bm_bookno char(22) default(''), bm_noorder char(26) default(''))\n"
        "ALTER TABLE lib_bianma ADD CONSTRAINT PK_lib_bianma PRIMARY KEY NONCLUSTERED (bm_no)\n"
        "create index ix_bianma_code on lib_bianma(bm_code)");
    for (int done = 0; done < 10000;) {  // bm_code repeats every 5000 rows
        std::string sql = "insert into lib_bianma(bm_code, bm_bookno) values";
        for (int k = 0; k < 1000; ++k, ++done)
            sql += (k ? ",('C" : "('C") + std::to_string(done % 5000) + "','TP312/" +
                   std::to_string(done) + "')";
        t.Run(sql);
    }
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
        {"update lib_bianma set bm_code = bm_code where bm_no + 0 = 7920", 10000},
    };
    for (const auto& c : cases) {
        const BatchOutcome outcome = t.Execute(c.sql);
        ASSERT_EQ(outcome.statements.size(), 1u) << c.sql;
        EXPECT_FALSE(outcome.statements[0].failed) << FormatOutcome(outcome);
        EXPECT_EQ(outcome.statements[0].rowsVisited, c.visited) << c.sql;
    }
    EXPECT_EQ(t.Run("select bm_no from lib_bianma where bm_noorder <> ''"), "bm_no\n7920\n");
    // Rows a key finds are not read again when the key alone decides the condition; these are
    // the conditions it does not decide, or decides only as the collation compares.
    const struct {
        const char* where;
        const char* rows;
    } found[] = {
        {"bm_no=42 and bm_no=43", ""},
        {"bm_no=42 and bm_no=42", "42\n"},
        {"bm_code='c1234  '", "1235\n6235\n"},
        {"bm_code='C1234' and bm_bookno='TP312/1234'", "1235\n"},
        {"bm_no=42.0", "42\n"},
        {"bm_no=42.5", ""},
    };
    for (const auto& f : found)
        EXPECT_EQ(t.Run(std::string("select bm_no from lib_bianma where ") + f.where),
                  std::string("bm_no\n") + f.rows)
            << f.where;
}

}  // namespace
}  // namespace standin
