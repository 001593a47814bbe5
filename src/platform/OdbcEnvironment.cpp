#include "OdbcEnvironment.h"

#include <sqlext.h>

#include "OdbcDiagnostics.h"

namespace kavel {
namespace {

class Environment {
public:
    Environment() {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_))) {
            handle_ = SQL_NULL_HENV;
            throw EDatabaseError("The ODBC driver manager could not allocate an environment");
        }
        CheckOdbc(SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION,
                                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                  SQL_HANDLE_ENV, handle_, "SQLSetEnvAttr(SQL_ATTR_ODBC_VERSION)");
    }
    ~Environment() {
        if (handle_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, handle_);
    }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    SQLHENV handle() const { return handle_; }

private:
    SQLHENV handle_ = SQL_NULL_HENV;
};

}  // namespace

SQLHENV OdbcEnvironment() {
    static Environment environment;
    return environment.handle();
}

}  // namespace kavel
