#pragma once
// The database component: one ODBC connection, opened from a data source name (AliasName) and
// the parameter lines "USER NAME=..." and "PASSWORD=...". Setting Connected to true runs
// BeforeConnect, connects, then runs AfterConnect; a refused connection raises EDatabaseError
// with the driver's diagnostic text and leaves the component disconnected.

#ifdef _WIN32
#include <windows.h>  // the ODBC headers of Windows build on it
#endif
#include <sql.h>

#include <functional>
#include <string>
#include <vector>

namespace kavel {

class TDatabase {
public:
    TDatabase() = default;
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    std::string AliasName;     // ODBC data source name
    std::string DatabaseName;  // the name by which queries refer to this connection
    std::string SessionName = "Default";
    std::vector<std::string> Params;  // "NAME=value" lines
    bool LoginPrompt = false;         // this layer never prompts; kept as a declared property
    std::function<void()> BeforeConnect;
    std::function<void()> AfterConnect;

    bool Connected() const { return connection_ != SQL_NULL_HDBC; }
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // The value of the parameter line "name=value" (name compared without regard to case);
    // `found` tells whether such a line exists.
    std::string ParamValue(const std::string& name, bool* found = nullptr) const;

    // The open connection; throws EDatabaseError when not connected.
    SQLHDBC Handle() const;

private:
    void Connect();
    void Disconnect();

    SQLHDBC connection_ = SQL_NULL_HDBC;
};

}  // namespace kavel
