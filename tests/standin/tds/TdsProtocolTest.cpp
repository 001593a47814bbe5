// The TDS server against real clients (tsql, isql, unixODBC + FreeTDS), with a fake engine behind
// it so that every message and failure can be produced on demand. (Column types and values as
// the engine gives them are TdsEngineTest's.) tsql and the ODBC driver share FreeTDS's protocol
// code; tsql shows what ODBC does not, an error's severity and state.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "OdbcSession.h"
#include "Program.h"
#include "RawTdsClient.h"
#include "StandinServer.h"

namespace standin::test {
namespace {

class TdsProtocolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        StandinServerOptions options;
        options.program = FAKE_SQLSTANDIN_PATH;
        server_ = std::make_unique<StandinServer>(options);
    }
    static void TearDownTestSuite() { server_.reset(); }

    // Whether the server's log shows `text` within about `seconds`.
    static bool LogShows(const std::string& text, int seconds) {
        for (int i = 0; i < seconds * 50; ++i) {
            if (server_->ServerLogText().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    static std::unique_ptr<StandinServer> server_;
};

std::unique_ptr<StandinServer> TdsProtocolTest::server_;

// tsql sends SQL batches; isql prepares and executes, which FreeTDS sends as sp_prepexec RPCs.
TEST_F(TdsProtocolTest, TsqlAndIsqlLogInAndRunStatements) {
    const std::string port = std::to_string(server_->Port()), password = server_->SaPassword();
    const struct {
        std::vector<std::string> args;
        const char* input;
        std::vector<const char*> shown;
    } cases[] = {
        {{"tsql", "-H", "127.0.0.1", "-p", port, "-U", "sa", "-P", password},
         "select 1\ngo\nerror\ngo\nexit\n",
         {"(1 row affected)", "Msg 208 (severity 16, state 1)", "Invalid object name 'nosuch'."}},
        {{"isql", "-b", server_->DsnName(), "sa", password},
         "select many 3\n",
         {"row 2", "3 rows fetched"}},
    };
    for (const auto& c : cases) {
        const testing::RunResult r = testing::RunProgram(c.args, c.input);
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        for (const char* text : c.shown)
            EXPECT_NE((r.out + r.err).find(text), std::string::npos) << r.out << r.err;
    }
}

TEST_F(TdsProtocolTest, WrongPasswordOrUnknownUserIsRefused) {
    struct Case {
        std::string user, password;
    };
    for (const Case& c :
         {Case{"sa", "wrong"}, Case{"sa", ""}, Case{"bob", server_->SaPassword()}}) {
        SCOPED_TRACE(c.user + "/" + c.password);
        const std::string failed = "Login failed for user '" + c.user + "'.";
        try {
            OdbcSession session(*server_, c.user, c.password);
            ADD_FAILURE() << "login accepted";
        } catch (const kavel::EDatabaseError& e) {
            bool found = false;
            for (const auto& d : e.Diagnostics())
                found |= d.nativeError == 18456 && d.text.ends_with(failed);
            EXPECT_TRUE(found) << e.what();
        }
    }
}

TEST_F(TdsProtocolTest, EachStatementOfABatchReportsItsOwnOutcome) {
    OdbcSession session(*server_);
    kavel::OdbcStatement statement(session.database.Handle());
    statement.Execute("multi");
    SQLLEN updated = -1;
    SQLRowCount(statement.get(), &updated);
    EXPECT_EQ(updated, 3);  // the update

    ASSERT_TRUE(statement.MoreResults());
    ASSERT_EQ(statement.ColumnCount(), 1);
    ASSERT_TRUE(statement.Fetch());
    EXPECT_EQ(statement.Text(1), "1");
    EXPECT_FALSE(statement.Fetch());

    try {
        statement.MoreResults();
        ADD_FAILURE() << "the failing insert was not reported";
    } catch (const kavel::EDatabaseError& e) {
        const auto& d = e.Diagnostics();
        ASSERT_EQ(d.size(), 2u);
        EXPECT_EQ(d[0].nativeError, 515);
        EXPECT_EQ(d[0].sqlState, "23000");
        EXPECT_TRUE(d[0].text.ends_with("column does not allow nulls. INSERT fails.")) << d[0].text;
        EXPECT_EQ(d[1].nativeError, 3621);
        EXPECT_TRUE(d[1].text.ends_with("The statement has been terminated.")) << d[1].text;
    }
}

TEST_F(TdsProtocolTest, ErrorsReachOdbcWithTheirNumberAndText) {
    OdbcSession session(*server_);
    struct Case {
        const char* sql;
        long native;
        const char* state;
        const char* text;
    };
    const Case cases[] = {
        {"unsendable", 50000, "42000", "does not fit the column"},
        {"throw", 50000, "42000", "sqlstandin could not run the batch: disk full"},
    };
    for (const Case& c : cases) {
        const kavel::OdbcDiagnostic d = session.Failure(c.sql).Diagnostics().front();
        EXPECT_EQ(d.nativeError, c.native) << c.sql;
        EXPECT_EQ(d.sqlState, c.state) << c.sql;
        EXPECT_EQ(d.text.find("[FreeTDS][SQL Server]"), 0u) << d.text;
        EXPECT_NE(d.text.find(c.text), std::string::npos) << d.text;
        // The session carries on.
        EXPECT_EQ(session.Query("select 1"), (std::vector<TextRow>{{"1"}}));
    }
}

TEST_F(TdsProtocolTest, TwoSessionsAreServedAtOnce) {
    OdbcSession slow(*server_);
    OdbcSession quick(*server_);
    std::atomic<bool> slowDone = false;
    std::vector<TextRow> slowRows;
    std::thread t([&] {
        slowRows = slow.Query("waitfor");  // the fake engine takes 1.3 s
        slowDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(quick.Query("select 1"), (std::vector<TextRow>{{"1"}}));
    EXPECT_FALSE(slowDone) << "the second session waited for the first";
    t.join();
    EXPECT_EQ(slowRows, (std::vector<TextRow>{{"1"}}));
}

TEST_F(TdsProtocolTest, QueryTimeoutCancelsAndTheSessionCarriesOn) {
    OdbcSession session(*server_);
    {
        kavel::OdbcStatement statement(session.database.Handle());
        SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0);
        try {
            statement.Execute("waitfor");
            ADD_FAILURE() << "not cancelled";
        } catch (const kavel::EDatabaseError& e) {
            EXPECT_EQ(e.Diagnostics().at(0).sqlState, "HYT00") << e.what();
        }
    }
    EXPECT_EQ(session.Query("select many 2"),
              (std::vector<TextRow>{{"0", "row 0"}, {"1", "row 1"}}));
}

TEST_F(TdsProtocolTest, MalformedInputEndsOnlyThatSession) {
    ByteVector badLogin = BuildLogin7("sa", "x");
    badLogin[40] = 0xF0;  // user name offset far outside the record
    badLogin[41] = 0xFF;
    ByteVector shortLogin = BuildLogin7("sa", "x");
    shortLogin.resize(60);
    ByteVector hugePrelogin;
    for (int i = 0; i < 20;
         ++i) {  // 20 packets of 4 KiB without end of message: over the login limit
        ByteVector p = Packet(0x12, 0, 4096, ByteVector(4088, 0));
        hugePrelogin.insert(hugePrelogin.end(), p.begin(), p.end());
    }
    struct Case {
        const char* name;
        ByteVector bytes;
        const char* logged;
    };
    const Case cases[] = {
        {"unknown packet type", Packet(0x55, 1, 8), "unknown packet type 0x55"},
        {"length below the header", Packet(0x12, 1, 4), "packet length 4 is out of range"},
        {"truncated packet", Packet(0x12, 1, 200, ByteVector(20, 0)),
         "connection closed inside a packet"},
        {"empty packet inside a message", Packet(0x12, 0, 8), "empty packet inside a message"},
        {"oversized message", hugePrelogin, "exceeds the limit"},
        {"prelogin option outside", Packet(0x12, 1, 14, {0x01, 0x00, 0x40, 0x00, 0x01, 0xFF}),
         "points outside"},
        {"login string outside", Packet(0x10, 1, 8 + badLogin.size(), badLogin),
         "lies outside the login record"},
        {"login record cut short", Packet(0x10, 1, 8 + shortLogin.size(), shortLogin),
         "LOGIN7 claims"},
        {"batch before login", Packet(0x01, 1, 30, BuildSqlBatch("s")), "SQL batch before login"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawTdsClient raw(server_->Port());
        raw.SendBytes(c.bytes);
        if (std::string(c.name) == "truncated packet")
            raw.Close();  // the client gives up half way through
        else
            EXPECT_TRUE(raw.WaitForClose(10000)) << "the server kept the connection open";
        // The reason reaches the log, and other sessions are unaffected.
        EXPECT_TRUE(LogShows(c.logged, 2)) << server_->ServerLogText();
        EXPECT_EQ(OdbcSession(*server_).Query("select 1"), (std::vector<TextRow>{{"1"}}));
    }
}

TEST_F(TdsProtocolTest, ClientHangingUpMidResultIsHarmless) {
    {
        RawTdsClient raw(server_->Port());
        const ByteVector login = BuildLogin7("sa", server_->SaPassword());
        raw.SendBytes(Packet(0x10, 1, 8 + login.size(), login));
        ASSERT_TRUE(raw.ReadPacket());  // the login's answer
        const ByteVector batch = BuildSqlBatch("select many 200000");
        raw.SendBytes(Packet(0x01, 1, 8 + batch.size(), batch));
        raw.Close();  // without reading the result
    }
    // Generous: under the sanitizers on a loaded machine the server may take seconds to notice.
    EXPECT_TRUE(LogShows("client went away", 30)) << server_->ServerLogText();
    EXPECT_EQ(OdbcSession(*server_).Query("select 1"), (std::vector<TextRow>{{"1"}}));
}

}  // namespace
}  // namespace standin::test
