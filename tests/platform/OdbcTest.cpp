// The ODBC layer: what it makes of the driver's messages and of column values, and how a query
// behaves against a stand-in server reached through unixODBC and FreeTDS (NULLs, long text,
// Chinese text, a refused statement, a server that dies in the middle of a walk).

#include <gtest/gtest.h>

#include <optional>

#include "ConvertError.h"
#include "DatabaseError.h"
#include "OdbcDiagnostics.h"
#include "StandinDatabase.h"
#include "TField.h"
#include "TQuery.h"

namespace kavel {
namespace {

TEST(OdbcTextTest, DriverPrefixesAreDroppedFromMessages) {
    struct Case {
        const char* raw;
        const char* shown;
    } cases[] = {
        {"[FreeTDS][SQL Server]Invalid object name 'lib_x'.", "Invalid object name 'lib_x'."},
        {"[unixODBC][Driver Manager]Data source name not found", "Data source name not found"},
        {"no prefix [inside] stays", "no prefix [inside] stays"},
        {"[unclosed prefix", "[unclosed prefix"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(WithoutDriverPrefix(c.raw), c.shown) << c.raw;
}

TEST(OdbcTextTest, TheFirstRealErrorIsTheMessageNotAWarningBeforeIt) {
    std::vector<OdbcDiagnostic> records = {
        {"01000", 5701, "[FreeTDS][SQL Server]Changed database context to 'kavel'."},
        {"23000", 2627, "[FreeTDS][SQL Server]Violation of PRIMARY KEY constraint 'PK_x'."},
        {"01000", 3621, "[FreeTDS][SQL Server]The statement has been terminated."},
    };
    EXPECT_EQ(FailureMessage(records, "x"), "Violation of PRIMARY KEY constraint 'PK_x'.");
    EXPECT_EQ(FailureMessage({records[0]}, "x"), "Changed database context to 'kavel'.");
    EXPECT_EQ(FailureMessage({}, "SQLExecDirectW failed"), "SQLExecDirectW failed");
}

TEST(OdbcTextTest, FieldValuesReadAsTextWholeNumbersAndFractionsOrRefuse) {
    struct Case {
        std::optional<std::string> value;
        std::string text;
        int whole;
        double fraction;
    } cases[] = {
        {std::nullopt, "", 0, 0.0},   {"42", "42", 42, 42.0},     {"  -7 ", "  -7 ", -7, -7.0},
        {"12.50", "12.50", 13, 12.5}, {"-2.5", "-2.5", -3, -2.5}, {"+3", "+3", 3, 3.0},
    };
    for (const auto& c : cases) {
        TField field("f", c.value);
        EXPECT_EQ(field.IsNull(), !c.value.has_value());
        EXPECT_EQ(field.AsString(), c.text);
        EXPECT_EQ(field.AsInteger(), c.whole) << c.text;
        EXPECT_DOUBLE_EQ(field.AsFloat(), c.fraction) << c.text;
    }
    for (const char* bad : {"abc", "", "12x", "2026-12-06 07:00:00.000", "99999999999"})
        EXPECT_THROW(TField("f", std::string(bad)).AsInteger(), EConvertError) << bad;
    for (const char* bad : {"abc", "", "1,5"})
        EXPECT_THROW(TField("f", std::string(bad)).AsFloat(), EConvertError) << bad;
}

class OdbcQueryTest : public test::StandinDatabaseTest {
protected:
    void SetUp() override { StartStandin(); }

    void Exec(const std::string& sql) {
        query.ClearSql();
        query.AddSql(sql);
        query.ExecSQL();
    }
    void Open(const std::string& sql) {
        query.ClearSql();
        query.AddSql(sql);
        query.Open();
    }

    TQuery query{database};
};

TEST_F(OdbcQueryTest, NullReadsAsEmptyTextAndZeroAndValuesComeBackAsStored) {
    if (IsSkipped()) return;
    Exec("insert into lib_bkzd (zd_code, zd_name, zd_number, zd_bdate) "
         "values ('2-999', null, null, null)");
    Open("select zd_name, zd_number, zd_bdate from lib_bkzd where zd_code = '2-999'");
    ASSERT_FALSE(query.Eof());
    for (const char* column : {"zd_name", "zd_number", "zd_bdate"}) {
        EXPECT_TRUE(query.FieldByName(column).IsNull()) << column;
        EXPECT_EQ(query.FieldByName(column).AsString(), "") << column;
        EXPECT_EQ(query.FieldByName(column).AsInteger(), 0) << column;
    }
    EXPECT_THROW(query.FieldByName("zd_nosuch"), EDatabaseError);
    query.Next();
    EXPECT_TRUE(query.Eof());

    Open("select bk_yprice, bk_number, bk_name from lib_baokan where bk_code = '2-102'");
    ASSERT_FALSE(query.Eof());
    EXPECT_DOUBLE_EQ(query.FieldByName("bk_yprice").AsFloat(), 30.0);
    EXPECT_EQ(query.FieldByName("bk_number").AsInteger(), 1);
    EXPECT_EQ(query.FieldByName("bk_name").AsString(), "中国图书馆学报");

    // A text value longer than one packet of the driver's buffer, and Chinese text written.
    std::string notice = "FORMAT";
    for (int i = 1; i <= 700; ++i) notice += std::to_string(i) + ",0,1;";  // > 5000 characters
    Exec("insert into lib_bkqs (qs_code, qs_mark, qs_notice) values ('2-103', '01', '" + notice +
         "')");
    Exec("update lib_canshub set cs_name = '区图书馆（分馆）'");
    Open("select qs_notice from lib_bkqs where qs_code = '2-103'");
    EXPECT_EQ(query.FieldByName("qs_notice").AsString(), notice);
    EXPECT_EQ(Column("select cs_name from lib_canshub"),
              std::vector<std::string>{"区图书馆（分馆）"});
}

TEST_F(OdbcQueryTest, ARefusedStatementRaisesTheServersMessageAndNumber) {
    if (IsSkipped()) return;
    try {
        Open("select * from lib_nosuch");
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Invalid object name 'lib_nosuch'.");
        ASSERT_FALSE(e.Diagnostics().empty());
        EXPECT_EQ(e.Diagnostics().front().nativeError, 208);
    }
    // A later statement of a batch failing is not lost either, and the query stays usable.
    query.ClearSql();
    query.AddSql("update lib_canshub set cs_autosign = '1'");
    query.AddSql("select * from lib_nosuch");
    EXPECT_THROW(query.ExecSQL(), EDatabaseError);
    Open("select count(*) from lib_canshub");
    EXPECT_FALSE(query.Eof());
}

TEST_F(OdbcQueryTest, AServerThatDiesInTheMiddleOfAWalkRaisesAtOnce) {
    if (IsSkipped()) return;
    TQuery walk(database);
    walk.AddSql("select zd_code from lib_bkzd");
    walk.Open();
    int rows = 0;
    try {
        for (; !walk.Eof(); walk.Next()) {
            if (++rows == 2) server->Kill();
            Exec("update lib_bkzd set zd_remark = 'seen' where zd_code = '" +
                 walk.FieldByName("zd_code").AsString() + "'");
        }
        FAIL() << "the walk went on without its server";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(rows, 2);
        EXPECT_NE(std::string(e.what()), "");
        EXPECT_EQ(std::string(e.what()).find("[FreeTDS]"), std::string::npos) << e.what();
    }
    // Every later statement fails the same way instead of hanging.
    EXPECT_THROW(Open("select * from sysobjects"), EDatabaseError);
}

}  // namespace
}  // namespace kavel
