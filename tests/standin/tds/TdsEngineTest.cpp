// The whole stand-in, engine included, through the FreeTDS driver stack: logins checked against
// the database, types and Chinese text as stored, SQL Server's errors, the statement trace, and
// durability of what was acknowledged.

#include <gtest/gtest.h>

#include <thread>

#include "ClientCommand.h"
#include "OdbcTestClient.h"
#include "StandinServer.h"

namespace standin::test {
namespace {

const char* const kFixture =
    "create table every_type (\n"
    "  c_char char(6) null, c_varchar varchar(10) null, c_text text null,\n"
    "  c_int int null, c_smallint smallint null, c_tinyint tinyint null, c_bit bit null,\n"
    "  c_numeric numeric(10,2) null, c_decimal decimal(38,5) null, c_datetime datetime null)\n"
    "GO\n"
    "insert into every_type values ('ab', 'xyz', 'long text', -2147483648, -32768, 255, 1,\n"
    "  -12345678.90, 123456789012345678901234567890.12345, '2016-02-29 13:45:30.997')\n"
    "insert into every_type (c_int) values (null)\n"
    "GO\n"
    "create table words (id int not null primary key, c4 char(4) null, v5 varchar(5) null)\n"
    "GO\n";

StandinServerOptions Options() {
    StandinServerOptions o;
    o.fixtureSql = kFixture;
    return o;
}

TEST(TdsWithEngine, TsqlAndIsqlLogInWithThePasswordGivenAtInit) {
    StandinServer server(Options());
    const std::string tsql = "tsql -H 127.0.0.1 -p " + std::to_string(server.Port()) + " -U sa -P ";
    const CommandResult good =
        RunClient(tsql + "'" + server.SaPassword() + "'",
                  "select c_int from every_type\ngo\nexit\n", server.Folder());
    EXPECT_EQ(good.exitCode, 0) << good.output;
    EXPECT_NE(good.output.find("-2147483648"), std::string::npos) << good.output;
    const CommandResult bad = RunClient(tsql + "'not it'", "select 1\ngo\nexit\n", server.Folder());
    EXPECT_NE(bad.exitCode, 0) << bad.output;
    EXPECT_NE(bad.output.find("Login failed for user 'sa'."), std::string::npos) << bad.output;

    const std::string isql = "isql -b -v " + server.DsnName() + " sa ";
    const CommandResult viaOdbc = RunClient(isql + "'" + server.SaPassword() + "'",
                                            "select c_varchar from every_type\n", server.Folder());
    EXPECT_EQ(viaOdbc.exitCode, 0) << viaOdbc.output;
    EXPECT_NE(viaOdbc.output.find("xyz"), std::string::npos) << viaOdbc.output;
    const CommandResult refused = RunClient(isql + "'not it'", "select 1\n", server.Folder());
    EXPECT_NE(refused.exitCode, 0) << refused.output;
    EXPECT_NE(refused.output.find("Login failed for user 'sa'."), std::string::npos)
        << refused.output;
}

TEST(TdsWithEngine, StoredColumnsArriveWithTheirTypesAndValues) {
    StandinServer server(Options());
    OdbcTestClient client(server.ConnectionString());
    client.Run("select * from every_type");
    struct Expected {
        const char* typeName;
        SQLSMALLINT type;
        SQLULEN size;
        SQLSMALLINT digits;
        const char* value;
    };
    const Expected expected[] = {
        {"char", SQL_CHAR, 6, 0, "ab    "},
        {"varchar", SQL_VARCHAR, 10, 0, "xyz"},
        {"text", SQL_LONGVARCHAR, 2147483647, 0, "long text"},
        {"int", SQL_INTEGER, 10, 0, "-2147483648"},
        {"smallint", SQL_SMALLINT, 5, 0, "-32768"},
        {"tinyint", SQL_TINYINT, 3, 0, "255"},
        {"bit", SQL_BIT, 1, 0, "1"},
        {"numeric", SQL_NUMERIC, 10, 2, "-12345678.90"},
        {"decimal", SQL_NUMERIC, 38, 5, "123456789012345678901234567890.12345"},
        {"datetime", SQL_TYPE_TIMESTAMP, 23, 3, "2016-02-29 13:45:30.997"},
    };
    const auto columns = client.Describe();
    ASSERT_EQ(columns.size(), std::size(expected));
    ASSERT_TRUE(client.Fetch());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE(columns[i].name);
        EXPECT_EQ(columns[i].typeName, expected[i].typeName);
        EXPECT_EQ(columns[i].type, expected[i].type);
        EXPECT_EQ(columns[i].size, expected[i].size);
        EXPECT_EQ(columns[i].digits, expected[i].digits);
        EXPECT_EQ(client.GetText(static_cast<SQLUSMALLINT>(i + 1)), expected[i].value);
    }
    ASSERT_TRUE(client.Fetch());
    for (std::size_t i = 0; i < columns.size(); ++i)
        EXPECT_EQ(client.GetText(static_cast<SQLUSMALLINT>(i + 1)), std::nullopt)
            << columns[i].name;
    EXPECT_FALSE(client.Fetch());

    // Aggregates: count(*) is int, sum of numeric(10,2) is numeric(38,2).
    client.Run("select count(*), sum(c_numeric) from every_type");
    const auto aggregates = client.Describe();
    ASSERT_EQ(aggregates.size(), 2u);
    EXPECT_EQ(aggregates[0].type, SQL_INTEGER);
    EXPECT_EQ(aggregates[1].typeName, "numeric");
    EXPECT_EQ(aggregates[1].size, 38u);
    EXPECT_EQ(aggregates[1].digits, 2);
    ASSERT_TRUE(client.Fetch());
    EXPECT_EQ(client.GetText(1), "2");
    EXPECT_EQ(client.GetText(2), "-12345678.90");
}

TEST(TdsWithEngine, ChineseTextIsStoredInCodePage936AndReadBackUnchanged) {
    StandinServer server(Options());
    OdbcTestClient client(server.ConnectionString());
    // Widths count GBK bytes: two Chinese characters fill char(4); '中文a' fills varchar(5).
    client.Run("insert into words values (1, '中文', '中文a')");
    client.Run("insert into words values (2, '升', '期刊')");
    EXPECT_EQ(client.Query("select c4, v5 from words order by id"),
              (std::vector<TextRow>{{"中文", "中文a"}, {"升  ", "期刊"}}));
    EXPECT_EQ(client.Query("select id from words where c4 = '中文'"),
              (std::vector<TextRow>{{"1"}}));
    EXPECT_EQ(client.Query("select len(v5) from words where id = 1"),
              (std::vector<TextRow>{{"3"}}));

    // A third character needs six bytes: too long for either column.
    for (const char* sql : {"insert into words values (3, '中文字', null)",
                            "insert into words values (3, null, '中文ab')"}) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(client.Execute(sql), SQL_ERROR);
        const auto d = client.StatementDiagnostics();
        ASSERT_FALSE(d.empty());
        EXPECT_EQ(d[0].native, 8152);
    }
    // A character outside code page 936 in a non-Unicode literal becomes '?', as on SQL Server.
    client.Run("insert into words values (4, 'aก', null)");
    EXPECT_EQ(client.Query("select c4 from words where id = 4"), (std::vector<TextRow>{{"a?  "}}));
}

TEST(TdsWithEngine, ErrorsReachOdbcWithSqlServersNumberStateAndText) {
    StandinServer server(Options());
    OdbcTestClient client(server.ConnectionString());
    client.Run("insert into words values (1, 'a', 'b')");
    struct Case {
        const char* sql;
        SQLINTEGER native;
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
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(client.Execute(c.sql), SQL_ERROR);
        const auto d = client.StatementDiagnostics();
        ASSERT_FALSE(d.empty());
        EXPECT_EQ(d[0].native, c.native);
        EXPECT_EQ(d[0].state, c.state);
        EXPECT_NE(d[0].message.find(std::string("[FreeTDS][SQL Server]") + c.text),
                  std::string::npos)
            << d[0].message;
    }
    // Nothing above changed the data.
    EXPECT_EQ(client.Query("select id, c4, v5 from words"),
              (std::vector<TextRow>{{"1", "a   ", "b"}}));
}

TEST(TdsWithEngine, TraceRecordsEachBatchExactlyAsSent) {
    StandinServer server(Options());
    OdbcTestClient client(server.ConnectionString());
    const std::string batch = "select id\r\nfrom words\twhere c4 = '中文'\r\n";
    client.Run(batch);
    EXPECT_EQ(client.Execute("select * from nosuch"), SQL_ERROR);

    const auto lines = server.TraceLines();
    ASSERT_GE(lines.size(), 2u);
    const std::string& ok = lines[lines.size() - 2];
    EXPECT_NE(ok.find(R"("text":"select id\r\nfrom words\twhere c4 = '中文'\r\n","error":null})"),
              std::string::npos)
        << ok;
    const std::string& failed = lines.back();
    EXPECT_NE(
        failed.find(
            R"("text":"select * from nosuch","error":{"number":208,"message":"Invalid object name 'nosuch'."}})"),
        std::string::npos)
        << failed;
}

TEST(TdsWithEngine, SessionsWorkSideBySideOnOneDatabase) {
    StandinServer server(Options());
    OdbcTestClient first(server.ConnectionString());
    OdbcTestClient second(server.ConnectionString());
    first.Run("create table shared (n int not null)");
    second.Run("insert into shared values (1)");
    EXPECT_EQ(first.Query("select n from shared"), (std::vector<TextRow>{{"1"}}));

    constexpr int kEach = 50;
    auto insert = [](OdbcTestClient& c, int base) {
        for (int i = 0; i < kEach; ++i)
            c.Run("insert into shared values (" + std::to_string(base + i) + ")");
    };
    std::thread a(insert, std::ref(first), 1000);
    std::thread b(insert, std::ref(second), 2000);
    a.join();
    b.join();
    EXPECT_EQ(first.Query("select count(*) from shared"),
              (std::vector<TextRow>{{std::to_string(1 + 2 * kEach)}}));
}

TEST(TdsWithEngine, AcknowledgedStatementsSurviveAKillAndACleanStop) {
    StandinServer server(Options());
    {
        OdbcTestClient client(server.ConnectionString());
        client.Run("insert into words values (7, 'kill', null)");
    }
    server.Kill();
    server.Start();
    {
        OdbcTestClient client(server.ConnectionString());
        EXPECT_EQ(client.Query("select c4 from words where id = 7"),
                  (std::vector<TextRow>{{"kill"}}));
        client.Run("insert into words values (8, 'stop', null)");
    }
    EXPECT_EQ(server.Stop(), 0) << server.ServerLogText();
    server.Start();
    OdbcTestClient client(server.ConnectionString());
    EXPECT_EQ(client.Query("select id from words order by id"),
              (std::vector<TextRow>{{"7"}, {"8"}}));
}

}  // namespace
}  // namespace standin::test

namespace standin::test {
namespace {

TEST(SqlstandinServe, RefusesBadCommandLinesWithAReason) {
    StandinServer server(Options());
    const std::string program = SQLSTANDIN_PATH;
    const std::string missing = (server.Folder() / "nothing-here").string();
    struct Case {
        std::string arguments;
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {"serve", 2, "no database folder given"},
        {"serve " + server.DatabaseDir().string() + " --listen", 2, "--listen needs HOST:PORT"},
        {"serve " + server.DatabaseDir().string() + " --listen 127.0.0.1:70000", 2,
         "--listen needs HOST:PORT"},
        {"serve " + server.DatabaseDir().string() + " --listen nohost:1", 2,
         "--listen needs HOST:PORT"},
        {"serve " + server.DatabaseDir().string() + " --bogus", 2, "unknown option --bogus"},
        {"serve " + missing + " --listen 127.0.0.1:0", 1, "nothing-here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandResult r = RunClient(program + " " + c.arguments, "", server.Folder());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    }
    // The running server was not disturbed.
    OdbcTestClient client(server.ConnectionString());
    EXPECT_EQ(client.Query("select count(*) from every_type"), (std::vector<TextRow>{{"2"}}));
}

}  // namespace
}  // namespace standin::test
