// The database layer's handling of text that needs no server: driver messages, column values
// read as numbers, and quoting of values placed in statements.

#include <gtest/gtest.h>

#include "ConvertError.h"
#include "DoubleQuotes.h"
#include "OdbcDiagnostics.h"
#include "TField.h"

namespace kavel {
namespace {

TEST(OdbcTextTest, DriverPrefixesAreDroppedFromMessages) {
    struct Case {
        const char* raw;
        const char* shown;
    } cases[] = {
        {"[FreeTDS][SQL Server]Invalid object name 'lib_x'.", "Invalid object name 'lib_x'."},
        {"[unixODBC][Driver Manager]Data source name not found", "Data source name not found"},
        {"[FreeTDS][SQL Server]Login failed for user 'sa'.", "Login failed for user 'sa'."},
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

TEST(OdbcTextTest, FieldValuesReadAsTextWholeNumbersAndFractions) {
    struct Case {
        std::optional<std::string> value;
        std::string text;
        int whole;
        double fraction;
    } cases[] = {
        {std::nullopt, "", 0, 0.0},   {"42", "42", 42, 42.0},     {"  -7 ", "  -7 ", -7, -7.0},
        {"12.50", "12.50", 13, 12.5}, {"-2.5", "-2.5", -3, -2.5}, {"0", "0", 0, 0.0},
        {"+3", "+3", 3, 3.0},
    };
    for (const auto& c : cases) {
        TField field("f", c.value);
        EXPECT_EQ(field.IsNull(), !c.value.has_value());
        EXPECT_EQ(field.AsString(), c.text);
        EXPECT_EQ(field.AsInteger(), c.whole) << c.text;
        EXPECT_DOUBLE_EQ(field.AsFloat(), c.fraction) << c.text;
    }
}

TEST(OdbcTextTest, TextThatIsNoNumberIsAConversionError) {
    for (const char* bad : {"abc", "", "12x", "2026-12-06 07:00:00.000", "99999999999"}) {
        EXPECT_THROW(TField("f", std::string(bad)).AsInteger(), EConvertError) << bad;
    }
    for (const char* bad : {"abc", "", "1,5"}) {
        EXPECT_THROW(TField("f", std::string(bad)).AsFloat(), EConvertError) << bad;
    }
}

TEST(OdbcTextTest, QuotesInsideAValueAreDoubled) {
    EXPECT_EQ(DoubleQuotes("O'Brien"), "O''Brien");
    EXPECT_EQ(DoubleQuotes("''"), "''''");
    EXPECT_EQ(DoubleQuotes("x' or '1'='1"), "x'' or ''1''=''1");
    EXPECT_EQ(DoubleQuotes("期刊"), "期刊");
    EXPECT_EQ(DoubleQuotes(""), "");
}

}  // namespace
}  // namespace kavel
