// Any statement text, however malformed, either runs or gets a SQL Server error and changes
// nothing. Mutations of real statements (cut short, bytes changed, tokens repeated) are run against
// a small database and the state is compared before and after every refused statement.
#include <gtest/gtest.h>

#include <random>

#include "TestDatabase.h"

namespace standin {
namespace {

const char* const kSetup =
    "create table lib_bianma (bm_no int NOT NULL IDENTITY (1, 1), bm_code char(10) NOT NULL, "
    "bm_month numeric(4,0) default(0), bm_name char(40) default(''), bm_logdate datetime "
    "default(getdate()))\n"
    "ALTER TABLE lib_bianma ADD CONSTRAINT PK_lib_bianma PRIMARY KEY NONCLUSTERED (bm_no)\n"
    "create index ix_code on lib_bianma(bm_code)\n"
    "insert into lib_bianma(bm_code, bm_month, bm_name) values('A001', 7, '读者'), ('A002', 12, "
    "'x'), ('A003', 1, NULL)\n";

const char* const kCorpus[] = {
    "update lib_bianma set bm_name='中文标题' where bm_no=2",
    "insert into lib_bianma(bm_code, bm_month) values('B001', 3)",
    "alter table lib_bianma add bm_issn char(13) default('')",
    "alter table lib_bianma ALTER COLUMN bm_name char(20)",
    "delete from lib_bianma where bm_code='A003' or bm_month > 10",
    "select bm_code, sum(bm_month) as s from lib_bianma where bm_name like '%x%' group by bm_code "
    "order by s desc",
    "insert into lib_bianma(bm_code) select bm_code from lib_bianma where bm_no in (select bm_no "
    "from lib_bianma where bm_month=7)",
    "update lib_bianma set bm_logdate=bm_logdate+30, bm_month=CONVERT(numeric(4,0), '5') where "
    "bm_code in ('A001','A002')",
    "create table t2 ( a int NOT NULL IDENTITY (1, 1), b char(4) default('z'), CONSTRAINT PK_t2 "
    "PRIMARY KEY (a) )",
    "select name from syscolumns where name='bm_no' and id in (select id from sysobjects where "
    "name = 'lib_bianma')",
};

using testing::Image;

std::string Mutate(const std::string& s, std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> pos(0, s.empty() ? 0 : s.size() - 1);
    std::string m = s;
    switch (rng() % 6) {
        case 0:
            return m.substr(0, pos(rng));  // cut short
        case 1:
            m[pos(rng)] = static_cast<char>("(),'=*;-/x[]\"0N"[rng() % 15]);
            return m;  // change a byte
        case 2:
            m.insert(pos(rng), m.substr(pos(rng), 1 + rng() % 8));
            return m;  // repeat a piece
        case 3:
            m.erase(pos(rng), 1 + rng() % 6);
            return m;  // drop a piece
        case 4:
            m[pos(rng)] = static_cast<char>(rng() % 256);
            return m;  // any byte, UTF-8 or not
        default:
            return m + " " + m.substr(pos(rng));  // trailing junk
    }
}

TEST(MalformedInput, RefusedStatementsChangeNothing) {
    std::mt19937 rng(20071103);
    int refused = 0, ran = 0;
    for (int round = 0; round < 1000; ++round) {
        testing::TestDatabase db;
        db.Execute(kSetup);
        std::string text = Mutate(kCorpus[rng() % std::size(kCorpus)], rng);
        if (rng() % 3 == 0) text = Mutate(text, rng);
        const std::string before = Image(db.db);
        const BatchOutcome out = db.Execute(text);
        if (out.statements.empty()) {  // only blanks or comments left: nothing to run
            EXPECT_EQ(Image(db.db), before) << text;
            continue;
        }
        bool failed = false;
        for (auto& st : out.statements) {
            if (!st.failed) continue;
            failed = true;
            ASSERT_FALSE(st.messages.empty()) << text;
            EXPECT_GT(st.messages[0].number, 0) << text;
            EXPECT_FALSE(st.messages[0].text.empty()) << text;
        }
        if (failed && out.statements.size() == 1) {
            ++refused;
            EXPECT_EQ(Image(db.db), before) << "refused statement changed the state: " << text;
        } else {
            ++ran;
        }
    }
    // The mutations exercise both paths.
    EXPECT_GT(refused, 300);
    EXPECT_GT(ran, 20);
}

TEST(MalformedInput, DeepNestingIsRefusedNotFatal) {
    testing::TestDatabase db;
    EXPECT_EQ(db.Run("select " + std::string(5000, '(') + "1" + std::string(5000, ')')),
              "Msg 191, Level 15, State 1, Line 1\nSome part of your SQL statement is nested too "
              "deeply. Rewrite the query or break it up into smaller queries.\n");
    EXPECT_EQ(db.Run("select " + std::string(3000, '-') + "1").substr(0, 4), "Msg ");
}

}  // namespace
}  // namespace standin
