// The ODBC layer of a Windows build on Windows' own driver manager (odbc32, Wine's here, which
// hands the calls on to the host's unixODBC and FreeTDS), against a Linux sqlstandin that the
// CTest fixture "standin" serves. What differs from Linux is all below TDatabase: 16-bit
// wchar_t SQLWCHAR, odbc32's wide entry points and its diagnostics.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DatabaseError.h"
#include "TDatabase.h"
#include "TField.h"
#include "TQuery.h"

namespace kavel {
namespace {

// The data source and sa password the fixture wrote (tests/windows/standin.sh).
constexpr const char* kDsn = "KavelWine";
constexpr const char* kPassword = "Wine.pw1";

void Connect(TDatabase& db, const std::string& password = kPassword) {
    db.AliasName = kDsn;
    db.Params = {"USER NAME=sa", "PASSWORD=" + password};
    db.Open();
}

void Exec(TDatabase& db, const std::string& sql) {
    TQuery q(db);
    q.AddSql(sql);
    q.ExecSQL();
}

TEST(OdbcUnderWine, ChineseTextRoundTripsThroughTheWideApi) {
    TDatabase db;
    Connect(db);
    // Stored as code page 936 by the server; sent and read as UTF-16 through odbc32.
    Exec(db, "create table wine_text (id int, c varchar(40), e varchar(10))");
    Exec(db, "insert into wine_text values (1, N'期刊''管理', NULL)");
    TQuery q(db);
    q.AddSql("select id, c, e, len(c) as chars from wine_text where c like N'期刊%'");
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("id").AsInteger(), 1);
    EXPECT_EQ(q.FieldByName("c").AsString(), "期刊'管理");
    EXPECT_EQ(q.FieldByName("chars").AsInteger(), 5);
    EXPECT_TRUE(q.FieldByName("e").IsNull());
    EXPECT_EQ(q.FieldByName("e").AsString(), "");
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST(OdbcUnderWine, ARefusedStatementRaisesTheServersText) {
    TDatabase db;
    Connect(db);
    try {
        Exec(db, "select * from lib_no_such_table");
        ADD_FAILURE() << "the statement was accepted";
    } catch (const EDatabaseError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("lib_no_such_table"), std::string::npos) << message;
        EXPECT_EQ(message.find("[FreeTDS]"), std::string::npos) << "driver prefixes: " << message;
        ASSERT_FALSE(e.Diagnostics().empty());
        EXPECT_EQ(e.Diagnostics().front().sqlState.size(), 5u);
    }
    Exec(db, "select 1");  // the connection stays usable
}

TEST(OdbcUnderWine, AWrongPasswordOrDataSourceIsAConnectionError) {
    TDatabase wrongPassword;
    EXPECT_THROW(Connect(wrongPassword, "not the password"), EDatabaseError);
    EXPECT_FALSE(wrongPassword.Connected());

    TDatabase noSource;
    noSource.AliasName = "NoSuchSource";
    try {
        noSource.Open();
        ADD_FAILURE() << "an unknown data source connected";
    } catch (const EDatabaseError& e) {
        ASSERT_FALSE(e.Diagnostics().empty());
        EXPECT_EQ(e.Diagnostics().front().sqlState, "IM002") << e.what();
    }
}

}  // namespace
}  // namespace kavel
