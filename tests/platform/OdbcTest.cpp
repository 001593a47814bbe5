// The ODBC layer: what it makes of the driver's messages and of column values, and what TQuery
// adds against a stand-in server (fields by name, every statement of a batch checked, a server
// that dies in the middle of a walk). Values through the driver, NULL, long and Chinese text,
// and the server's errors are the TDS tests' (tests/standin/tds), which use this layer.

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
        int whole;
        double fraction;
    } cases[] = {
        {std::nullopt, 0, 0.0}, {"42", 42, 42.0},   {"  -7 ", -7, -7.0},
        {"12.50", 13, 12.5},    {"-2.5", -3, -2.5}, {"+3", 3, 3.0},
    };
    for (const auto& c : cases) {
        TField field("f", c.value);
        EXPECT_EQ(field.IsNull(), !c.value.has_value());
        EXPECT_EQ(field.AsString(), c.value.value_or(""));  // NULL reads as empty text
        EXPECT_EQ(field.AsInteger(), c.whole) << field.AsString();
        EXPECT_DOUBLE_EQ(field.AsFloat(), c.fraction) << field.AsString();
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

TEST_F(OdbcQueryTest, FieldsByNameFailuresOfAnyStatementAndAServerDyingMidWalk) {
    if (IsSkipped()) return;
    Exec("insert into lib_bkzd (zd_code, zd_name) values ('2-999', null)");
    Open("select zd_name, zd_code from lib_bkzd where zd_code = '2-999'");
    ASSERT_FALSE(query.Eof());
    EXPECT_TRUE(query.FieldByName("ZD_NAME").IsNull());
    EXPECT_EQ(query.FieldByName("Zd_Code").AsString(), "2-999     ");  // char(10)
    EXPECT_THROW(query.FieldByName("zd_nosuch"), EDatabaseError);
    query.Next();
    EXPECT_TRUE(query.Eof());

    // A later statement of a batch failing is not lost, and the query stays usable.
    for (bool open : {false, true}) {
        query.ClearSql();
        query.AddSql("update lib_canshub set cs_autosign = '1'");
        query.AddSql(open ? "select 1 select * from lib_nosuch" : "select * from lib_nosuch");
        EXPECT_THROW(open ? query.Open() : query.ExecSQL(), EDatabaseError) << open;
    }

    // A server that dies in the middle of a walk: the next statement raises at once.
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
