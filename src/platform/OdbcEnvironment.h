#pragma once
// The process's one ODBC environment handle (ODBC 3 behaviour), allocated on first use and
// released when the program ends.

#ifdef _WIN32
#include <windows.h>  // the ODBC headers of Windows build on it
#endif
#include <sql.h>

namespace kavel {

SQLHENV OdbcEnvironment();

}  // namespace kavel
