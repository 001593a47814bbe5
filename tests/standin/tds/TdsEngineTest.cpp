// The whole stand-in, engine included, through the FreeTDS driver stack: column types as the
// engine declares them, Chinese text written and read back, SQL Server's errors, and durability of
// what was acknowledged. (That the trace holds each batch exactly as sent, line ends, tabs and
// Chinese text included, the upgrade's expected traces show.)

#include <gtest/gtest.h>

#include "OdbcSession.h"
#include "StandinServer.h"
#include "WideText.h"

namespace standin::test {
namespace {

// Long enough to take several packets and several reads of the driver's buffer.
const std::string kLongText = "长文本" + std::string(20000, 'x');

// How the driver describes each result column (UpKavel's layer reads only names and text).
struct Column {
    std::string name, typeName;
    SQLSMALLINT type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
};
std::vector<Column> Describe(const kavel::OdbcStatement& statement) {
    std::vector<Column> columns(static_cast<std::size_t>(statement.ColumnCount()));
    for (SQLUSMALLINT i = 1; i <= columns.size(); ++i) {
        Column& c = columns[i - 1];
        c.name = statement.ColumnName(i);
        statement.Check(SQLDescribeColW(statement.get(), i, nullptr, 0, nullptr, &c.type, &c.size,
                                        &c.digits, &c.nullable),
                        "SQLDescribeColW");
        SQLWCHAR typeName[64] = {};
        SQLSMALLINT bytes = 0;
        statement.Check(SQLColAttributeW(statement.get(), i, SQL_DESC_TYPE_NAME, typeName,
                                         sizeof typeName, &bytes, nullptr),
                        "SQLColAttributeW");
        c.typeName = kavel::FromWide(typeName, static_cast<std::size_t>(bytes) / sizeof(SQLWCHAR));
    }
    return columns;
}

StandinServerOptions Options() {
    StandinServerOptions o;
    o.fixtureScripts = {TDS_ENGINE_FIXTURE};
    o.extraScriptSql = "update every_type set c_text = '" + kLongText + "' where c_int < 0\n";
    return o;
}

TEST(TdsWithEngine, StoredColumnsArriveWithTheirTypesAndValues) {
    StandinServer server(Options());
    OdbcSession session(server);
    kavel::OdbcStatement client(session.database.Handle());
    client.Execute("select * from every_type");
    struct Expected {
        const char* name;
        const char* typeName;
        SQLSMALLINT type;
        SQLULEN size;
        SQLSMALLINT digits;
        std::string value;
    };
    // char(6) counts bytes in code page 936: two Chinese characters and two blanks.
    const Expected expected[] = {
        {"c_char", "char", SQL_CHAR, 6, 0, "中文  "},
        {"c_varchar", "varchar", SQL_VARCHAR, 10, 0, "升级"},
        {"c_text", "text", SQL_LONGVARCHAR, 2147483647, 0, kLongText},
        {"c_int", "int", SQL_INTEGER, 10, 0, "-2147483648"},
        {"c_smallint", "smallint", SQL_SMALLINT, 5, 0, "-32768"},
        {"c_tinyint", "tinyint", SQL_TINYINT, 3, 0, "255"},
        {"c_bit", "bit", SQL_BIT, 1, 0, "1"},
        {"c_numeric", "numeric", SQL_NUMERIC, 10, 2, "-12345678.90"},
        // FreeTDS reports decimal as SQL_NUMERIC; only the type name tells them apart.
        {"c_decimal", "decimal", SQL_NUMERIC, 38, 5, "123456789012345678901234567890.12345"},
        {"c_datetime", "datetime", SQL_TYPE_TIMESTAMP, 23, 3, "2016-02-29 13:45:30.997"},
    };
    const auto columns = Describe(client);
    ASSERT_EQ(columns.size(), std::size(expected));
    ASSERT_TRUE(client.Fetch());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(columns[i].name, expected[i].name);
        EXPECT_EQ(columns[i].nullable, SQL_NULLABLE);
        EXPECT_EQ(columns[i].typeName, expected[i].typeName);
        EXPECT_EQ(columns[i].type, expected[i].type);
        EXPECT_EQ(columns[i].size, expected[i].size);
        EXPECT_EQ(columns[i].digits, expected[i].digits);
        EXPECT_EQ(client.Text(static_cast<SQLUSMALLINT>(i + 1)), expected[i].value);
    }
    ASSERT_TRUE(client.Fetch());
    for (std::size_t i = 0; i < columns.size(); ++i)
        EXPECT_EQ(client.Text(static_cast<SQLUSMALLINT>(i + 1)), std::nullopt) << columns[i].name;
    EXPECT_FALSE(client.Fetch());

    // Computed columns: count(*) is int, sum of numeric(10,2) numeric(38,2), and numeric(10,2)
    // times 2 (numeric(1,0)) numeric(12,2).
    kavel::OdbcStatement computedQuery(session.database.Handle());
    computedQuery.Execute("select count(*), sum(c_numeric), max(c_numeric * 2) from every_type");
    const auto computed = Describe(computedQuery);
    ASSERT_EQ(computed.size(), 3u);
    EXPECT_EQ(computed[0].type, SQL_INTEGER);
    for (std::size_t i : {1, 2}) EXPECT_EQ(computed[i].typeName, "numeric");
    EXPECT_EQ(computed[1].size, 38u);
    EXPECT_EQ(computed[2].size, 12u);
    EXPECT_EQ(computed[1].digits, 2);
    EXPECT_EQ(computed[2].digits, 2);
    ASSERT_TRUE(computedQuery.Fetch());
    EXPECT_EQ(computedQuery.Text(1), "2");
    EXPECT_EQ(computedQuery.Text(2), "-12345678.90");
    EXPECT_EQ(computedQuery.Text(3), "-24691357.80");
}

TEST(TdsWithEngine, ErrorsReachOdbcWithSqlServersNumberStateAndText) {
    StandinServer server(Options());
    OdbcSession client(server);
    // Two Chinese characters fill char(4); '中文a' fills varchar(5). (Widths, and '?' for what
    // code page 936 lacks, are the golden files'.)
    client.Run("insert into words values (1, '中文', '中文a')");
    struct Case {
        const char* sql;
        long native;
        const char* state;
        const char* text;
    };
    const Case cases[] = {
        {"select * from nosuch", 208, "42S02", "Invalid object name 'nosuch'."},
        {"select nocol from words", 207, "42S22", "Invalid column name 'nocol'."},
        {"create table words (a int)", 2714, "42S01",
         "There is already an object named 'words' in the database."},
        {"insert into words values (2, 'abcde', null)", 8152, "22001",
         "String or binary data would be truncated."},
        {"insert into words values (null, 'a', null)", 515, "23000",
         "Cannot insert the value NULL into column 'id', table "},
        {"select from where", 156, "42000", "Incorrect syntax near the keyword 'from'."},
    };
    for (const Case& c : cases) {
        // The message as UpKavel shows it is the server's text without the driver's prefixes.
        const kavel::EDatabaseError e = client.Failure(c.sql);
        EXPECT_EQ(e.Diagnostics()[0].nativeError, c.native) << c.sql;
        EXPECT_EQ(e.Diagnostics()[0].sqlState, c.state) << c.sql;
        EXPECT_EQ(std::string(e.what()).find(c.text), 0u) << e.what();
    }
    // Nothing above changed the data, and the Chinese text reads back unchanged in another
    // session of the same database, and finds its row.
    OdbcSession other(server);
    EXPECT_EQ(other.Query("select id, c4, v5 from words"),
              (std::vector<TextRow>{{"1", "中文", "中文a"}}));
    EXPECT_EQ(other.Query("select id from words where c4 = '中文'"), (std::vector<TextRow>{{"1"}}));
}

// What was acknowledged survives a kill, and a stop that a session still open must not block.
TEST(TdsWithEngine, AcknowledgedStatementsSurviveAKillAndACleanStop) {
    StandinServer server(Options());
    OdbcSession(server).Run("insert into words values (7, 'kill', null)");
    server.Kill();
    server.Start();
    {
        OdbcSession client(server);
        EXPECT_EQ(client.Query("select c4 from words where id = 7"),
                  (std::vector<TextRow>{{"kill"}}));
        client.Run("insert into words values (8, 'stop', null)");
        EXPECT_EQ(server.Stop(), 0) << server.ServerLogText();
    }
    server.Start();
    EXPECT_EQ(OdbcSession(server).Query("select id from words order by id"),
              (std::vector<TextRow>{{"7"}, {"8"}}));
}

}  // namespace
}  // namespace standin::test
