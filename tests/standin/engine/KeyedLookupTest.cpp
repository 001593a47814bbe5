// Equality look-ups on key and indexed columns go through the index: a keyed UPDATE costs about
// the same on a large table as on a small one.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "Database.h"
#include "TextFormat.h"

namespace standin {
namespace {

struct Table {
    Database db;
    Session session;
    ExecContext ctx;
    Table() {
        ctx.clock = [] { return DateTime{}; };
    }
    std::string Run(const std::string& sql) { return FormatOutcome(db.ExecuteBatch(session, sql, ctx)); }

    void Fill(int rows) {
        Run("create table lib_bianma (bm_no int NOT NULL IDENTITY (1, 1), bm_code char(10) NOT NULL, "
            "bm_bookno char(22) default(''), bm_noorder char(26) default(''))\n"
            "ALTER TABLE lib_bianma ADD CONSTRAINT PK_lib_bianma PRIMARY KEY NONCLUSTERED (bm_no)\n"
            "create index ix_bianma_code on lib_bianma(bm_code)");
        for (int done = 0; done < rows;) {
            std::string sql = "insert into lib_bianma(bm_code, bm_bookno) values";
            for (int k = 0; k < 1000 && done < rows; ++k, ++done)
                sql += (k ? ",('C" : "('C") + std::to_string(done % 5000) + "','TP312/" + std::to_string(done) + "')";
            Run(sql);
        }
    }

    // Seconds for `count` keyed updates spread over the first `rows` keys.
    double TimeUpdates(int rows, int count) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) {
            int key = 1 + (i * 7919) % rows;
            Run("update lib_bianma set\n  bm_noorder='TP312 0000000000" + std::to_string(i) + "'\nwhere bm_no=" +
                std::to_string(key));
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

TEST(KeyedLookup, UpdateByKeyDoesNotScanTheTable) {
    Table small, large;
    small.Fill(10);
    large.Fill(30000);
    const int count = 2000;
    double tSmall = small.TimeUpdates(10, count);
    double tLarge = large.TimeUpdates(30000, count);
    // A scan would make the large table thousands of times slower; allow generous noise.
    EXPECT_LT(tLarge, tSmall * 5 + 0.05) << "small " << tSmall << " s, large " << tLarge << " s";
    EXPECT_EQ(large.Run("select bm_code, rtrim(bm_noorder) as k from lib_bianma where bm_no=7920"),
              "bm_code\tk\nC2919     \tTP312 00000000001\n");
}

TEST(KeyedLookup, IndexedColumnAndKeyAgreeWithAScan) {
    Table t;
    t.Fill(10000);
    // Same rows through the index (bm_code =) and through a scan (LIKE without wildcard).
    EXPECT_EQ(t.Run("select count(*) as n from lib_bianma where bm_code = 'c1234'"), "n\n2\n");
    EXPECT_EQ(t.Run("select count(*) as n from lib_bianma where bm_code like 'C1234'"), "n\n2\n");
    EXPECT_EQ(t.Run("delete from lib_bianma where bm_code = 'C1234' and bm_no > 5000"), "(1 row affected)\n");
    EXPECT_EQ(t.Run("select bm_no from lib_bianma where bm_code = 'C1234 '"), "bm_no\n1235\n");
}

}  // namespace
}  // namespace standin
