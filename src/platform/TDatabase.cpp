#include "TDatabase.h"

#include <sqlext.h>

#include "OdbcDiagnostics.h"
#include "OdbcEnvironment.h"
#include "SameText.h"
#include "WideText.h"

namespace kavel {
namespace {

// Seconds the driver may spend reaching the server and logging in, so that a host that takes
// the connection but never answers cannot hang the program for good.
constexpr SQLULEN kLoginTimeoutSeconds = 30;

SQLSMALLINT WideLength(const WideString& s) { return static_cast<SQLSMALLINT>(s.size()); }

}  // namespace

TDatabase::~TDatabase() { Disconnect(); }

void TDatabase::SetConnected(bool connected) {
    if (connected == Connected()) return;
    if (!connected) {
        Disconnect();
        return;
    }
    if (BeforeConnect) BeforeConnect();
    Connect();
    if (AfterConnect) AfterConnect();
}

std::string TDatabase::ParamValue(const std::string& name, bool* found) const {
    for (const auto& line : Params) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), name)) {
            if (found) *found = true;
            return line.substr(eq + 1);
        }
    }
    if (found) *found = false;
    return {};
}

SQLHDBC TDatabase::Handle() const {
    if (!Connected()) throw EDatabaseError("Database " + DatabaseName + " is not connected");
    return connection_;
}

void TDatabase::Connect() {
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHENV env = OdbcEnvironment();
    CheckOdbc(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env,
              "SQLAllocHandle(SQL_HANDLE_DBC)");
    try {
        CheckOdbc(SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                                     reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0),
                  SQL_HANDLE_DBC, dbc, "SQLSetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT)");
        bool hasUser = false;
        bool hasPassword = false;
        WideString dsn = ToWide(AliasName);
        WideString user = ToWide(ParamValue("USER NAME", &hasUser));
        WideString password = ToWide(ParamValue("PASSWORD", &hasPassword));
        SQLRETURN rc = SQLConnectW(dbc, dsn.data(), WideLength(dsn),
                                   hasUser ? user.data() : nullptr, WideLength(user),
                                   hasPassword ? password.data() : nullptr, WideLength(password));
        CheckOdbc(rc, SQL_HANDLE_DBC, dbc, "Connecting to data source '" + AliasName + "'");
    } catch (...) {
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw;
    }
    connection_ = dbc;
}

void TDatabase::Disconnect() {
    if (connection_ == SQL_NULL_HDBC) return;
    SQLDisconnect(connection_);
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    connection_ = SQL_NULL_HDBC;
}

}  // namespace kavel
