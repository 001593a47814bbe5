// The statement runner, probes and ledger of the upgrade runner, and the query component under
// them, against a stand-in server reached through unixODBC and FreeTDS.

#include <gtest/gtest.h>

#include <algorithm>

#include "DatabaseError.h"
#include "RecordingRunner.h"
#include "TQuery.h"

namespace kavel {
namespace {

class StatementRunnerTest : public test::RunnerTest {
protected:
    void SetUp() override {
        StartStandin();
        if (IsSkipped()) return;
        AttachRunner();
    }

    std::size_t CountStatements(const std::string& fragment) const {
        const auto all = TracedStatements();
        return std::count_if(all.begin(), all.end(), [&](const std::string& s) {
            return s.find(fragment) != std::string::npos;
        });
    }
};

TEST_F(StatementRunnerTest, AQuoteInAValueStaysData) {
    runner->EnsureLedger();
    EXPECT_TRUE(runner->CheckVerSign("ZZ'X"));
    EXPECT_FALSE(runner->CheckVerSign("ZZ'X"));
    EXPECT_EQ(Column("select count(*) from ver_manage"), std::vector<std::string>{"1"});
    EXPECT_FALSE(runner->TableExists("x' or '1'='1"));
    EXPECT_FALSE(runner->ColumnExists("lib_baokan", "x' or name<>'"));
}

TEST_F(StatementRunnerTest, AWalkOnOneQueryRunsStatementsOnTheOther) {
    std::vector<std::string> codes;
    runner->Walk(
        runner->qrTmp1, {"select zd_code, zd_number from lib_bkzd", "order by zd_code"}, [&] {
            const std::string code = runner->qrTmp1.FieldByName("zd_code").AsString();
            codes.push_back(code);
            runner->RunSql(runner->qrTmp, {"update lib_bkzd set zd_number = zd_number + 10",
                                           "where zd_code = '" + code + "'"});
        });
    EXPECT_EQ(codes.size(), 4u);
    EXPECT_EQ(codes.front(), "2-101     ");  // char(10) comes back padded
    EXPECT_EQ(Column("select zd_number from lib_bkzd where zd_code = '2-101'"),
              std::vector<std::string>{"12"});
    EXPECT_FALSE(runner->qrTmp1.Active());
}

TEST_F(StatementRunnerTest, ALookUpReadsTheFirstRowOnly) {
    std::string name;
    EXPECT_TRUE(runner->LookUp(runner->qrTmp, {"select bk_name from lib_baokan order by bk_code"},
                               [&] { name = runner->qrTmp.FieldByName("BK_NAME").AsString(); }));
    EXPECT_EQ(name, "读者");
    EXPECT_FALSE(runner->LookUp(runner->qrTmp, {"select bk_name from lib_baokan where 1 = 0"},
                                [&] { ADD_FAILURE() << "no row to read"; }));
    EXPECT_FALSE(runner->RowExists({"select * from lib_bkzd where zd_code = 'none'"}));
    EXPECT_TRUE(runner->RowExists({"select * from lib_bkzd where zd_inlib = '0'"}));
}

TEST_F(StatementRunnerTest, AProtectedStatementSwallowsARefusalAndAnUnprotectedOneRaises) {
    EXPECT_THROW(runner->RunSql({"select * from lib_nosuch"}), EDatabaseError);
    EXPECT_THROW(runner->OpenAndTest(runner->qrTmp, {"insert into lib_nosuch values (1)"}),
                 EDatabaseError);
    EXPECT_FALSE(runner->RunSqlProtected({"drop table lib_nosuch"}));
    EXPECT_TRUE(runner->RunSqlProtected({"update lib_canshub set cs_autosign = '0'"}));
    // And the query is clean for the next statement.
    EXPECT_TRUE(runner->TableExists("lib_canshub"));
}

}  // namespace
}  // namespace kavel
