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

TEST_F(StatementRunnerTest, TheLedgerIsCreatedOnceWithItsOneColumn) {
    runner->EnsureLedger();
    runner->EnsureLedger();
    EXPECT_EQ(CountStatements("create table ver_manage"), 1u);
    EXPECT_EQ(Column("select name from syscolumns where id in "
                     "(select id from sysobjects where name = 'ver_manage')"),
              std::vector<std::string>{"vm_mess"});
    EXPECT_EQ(Column("select xtype from syscolumns where name = 'vm_mess'"),
              std::vector<std::string>{"175"});  // char
    EXPECT_EQ(Column("select length from syscolumns where name = 'vm_mess'"),
              std::vector<std::string>{"40"});
    const auto defaults = Column("select cdefault from syscolumns where name = 'vm_mess'");
    ASSERT_EQ(defaults.size(), 1u);
    EXPECT_NE(defaults[0], "0");  // it has a default
}

TEST_F(StatementRunnerTest, AStatementOfThreeLinesArrivesAsThreeLines) {
    runner->EnsureLedger();
    const auto all = TracedStatements();
    const auto create = std::find_if(all.begin(), all.end(), [](const std::string& s) {
        return s.rfind("create table ver_manage", 0) == 0;
    });
    ASSERT_NE(create, all.end());
    EXPECT_EQ(*create,
              "create table ver_manage ( \r\n\t\tvm_mess \tchar(40) default('')\r\n) \r\n");
    EXPECT_NE(
        std::find(all.begin(), all.end(), "select * from sysobjects where name ='ver_manage'\r\n"),
        all.end());
}

TEST_F(StatementRunnerTest, CheckVerSignRecordsANewMarkerOnce) {
    runner->EnsureLedger();
    EXPECT_TRUE(runner->CheckVerSign("ZZ20071103.CHGBMMONTH"));
    EXPECT_FALSE(runner->CheckVerSign("ZZ20071103.CHGBMMONTH"));
    EXPECT_TRUE(runner->CheckVerSign("PEOPLE_LEN_12"));
    EXPECT_EQ(Column("select count(*) from ver_manage where vm_mess = 'ZZ20071103.CHGBMMONTH'"),
              std::vector<std::string>{"1"});
    EXPECT_EQ(Column("select count(*) from ver_manage"), std::vector<std::string>{"2"});
    EXPECT_EQ(CountStatements("insert into ver_manage(vm_mess)values('ZZ20071103.CHGBMMONTH')\r\n"),
              1u);
}

TEST_F(StatementRunnerTest, AQuoteInAValueStaysData) {
    runner->EnsureLedger();
    EXPECT_TRUE(runner->CheckVerSign("ZZ'X"));
    EXPECT_FALSE(runner->CheckVerSign("ZZ'X"));
    EXPECT_EQ(Column("select count(*) from ver_manage"), std::vector<std::string>{"1"});
    EXPECT_FALSE(runner->TableExists("x' or '1'='1"));
    EXPECT_FALSE(runner->ColumnExists("lib_baokan", "x' or name<>'"));
}

TEST_F(StatementRunnerTest, ProbesSeeEveryCatalogueObjectAndOnlyRealColumns) {
    struct Case {
        const char* table;
        const char* column;  // null: table probe
        bool exists;
    } cases[] = {
        {"lib_baokan", nullptr, true},
        {"LIB_BAOKAN", nullptr, true},     // names compare without regard to case
        {"PK_lib_baokan", nullptr, true},  // a constraint counts as an object
        {"lib_bianma", nullptr, false},
        {"lib_baokan", "bk_code", true},
        {"lib_baokan", "bk_nosuch", false},
        {"lib_nosuch", "bk_code", false},  // a column of a missing table is missing
        {"lib_bkzd", "bk_code", false},    // the column belongs to another table
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + (c.column ? c.column : ""));
        EXPECT_EQ(c.column ? runner->ColumnExists(c.table, c.column) : runner->TableExists(c.table),
                  c.exists);
    }
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

TEST_F(StatementRunnerTest, NullReadsAsEmptyTextAndZero) {
    runner->RunSql({"insert into lib_bkzd (zd_code, zd_name, zd_number, zd_bdate)",
                    "values ('2-999', null, null, null)"});
    TQuery& q = runner->qrTmp;
    q.ClearSql();
    q.AddSql("select zd_name, zd_number, zd_bdate from lib_bkzd where zd_code = '2-999'");
    q.Open();
    ASSERT_FALSE(q.Eof());
    for (const char* column : {"zd_name", "zd_number", "zd_bdate"}) {
        EXPECT_TRUE(q.FieldByName(column).IsNull()) << column;
        EXPECT_EQ(q.FieldByName(column).AsString(), "") << column;
        EXPECT_EQ(q.FieldByName(column).AsInteger(), 0) << column;
        EXPECT_EQ(q.FieldByName(column).AsFloat(), 0.0) << column;
    }
    EXPECT_THROW(q.FieldByName("zd_nosuch"), EDatabaseError);
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_F(StatementRunnerTest, NumbersAndChineseTextComeBackAsStored) {
    runner->LookUp(
        runner->qrTmp,
        {"select bk_yprice, bk_number, bk_name from lib_baokan", "where bk_code = '2-102'"}, [&] {
            EXPECT_DOUBLE_EQ(runner->qrTmp.FieldByName("bk_yprice").AsFloat(), 30.0);
            EXPECT_EQ(runner->qrTmp.FieldByName("bk_number").AsInteger(), 1);
            EXPECT_EQ(runner->qrTmp.FieldByName("bk_name").AsString(), "中国图书馆学报");
        });
    runner->RunSql({"update lib_canshub set cs_name = '区图书馆（分馆）'"});
    EXPECT_EQ(Column("select cs_name from lib_canshub"),
              std::vector<std::string>{"区图书馆（分馆）"});
}

TEST_F(StatementRunnerTest, ARejectedStatementRaisesTheServersMessage) {
    try {
        runner->RunSql({"select * from lib_nosuch"});
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Invalid object name 'lib_nosuch'.");
        ASSERT_FALSE(e.Diagnostics().empty());
        EXPECT_EQ(e.Diagnostics().front().nativeError, 208);
    }
    // A later statement of a batch failing is not lost either.
    EXPECT_THROW(
        runner->RunSql({"update lib_canshub set cs_autosign = '1'", "select * from lib_nosuch"}),
        EDatabaseError);
    EXPECT_THROW(runner->OpenAndTest(runner->qrTmp, {"insert into lib_nosuch values (1)"}),
                 EDatabaseError);
    // The protected form swallows it and says so.
    EXPECT_FALSE(runner->RunSqlProtected({"drop table lib_nosuch"}));
    EXPECT_TRUE(runner->RunSqlProtected({"update lib_canshub set cs_autosign = '0'"}));
    // And the query is clean for the next statement.
    EXPECT_TRUE(runner->TableExists("lib_canshub"));
}

TEST_F(StatementRunnerTest, ALongTextValueArrivesWhole) {
    std::string notice = "FORMAT";
    for (int i = 1; i <= 700; ++i) notice += std::to_string(i) + ",0,1;";  // > 5000 characters
    runner->RunSql({"insert into lib_bkqs (qs_code, qs_mark, qs_notice)",
                    "values ('2-103', '01', '" + notice + "')"});
    std::string read;
    runner->LookUp(runner->qrTmp, {"select qs_notice from lib_bkqs where qs_code = '2-103'"},
                   [&] { read = runner->qrTmp.FieldByName("qs_notice").AsString(); });
    EXPECT_EQ(read, notice);
}

TEST_F(StatementRunnerTest, AServerThatDiesInTheMiddleOfAWalkRaisesAtOnce) {
    int rows = 0;
    try {
        runner->Walk(runner->qrTmp1, {"select zd_code from lib_bkzd"}, [&] {
            if (++rows == 2) server->Kill();
            runner->RunSql(
                {"update lib_bkzd set zd_remark = 'seen'",
                 "where zd_code = '" + runner->qrTmp1.FieldByName("zd_code").AsString() + "'"});
        });
        FAIL() << "the walk went on without its server";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(rows, 2);
        EXPECT_NE(std::string(e.what()), "");
        EXPECT_EQ(std::string(e.what()).find("[FreeTDS]"), std::string::npos) << e.what();
    }
    // Every later statement fails the same way instead of hanging.
    EXPECT_THROW(runner->TableExists("lib_bkzd"), EDatabaseError);
}

}  // namespace
}  // namespace kavel
