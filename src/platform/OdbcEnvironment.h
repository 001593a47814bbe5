#pragma once
// The process's one ODBC environment handle (ODBC 3 behaviour), allocated on first use and
// released when the program ends.

#include <sql.h>

namespace kavel {

SQLHENV OdbcEnvironment();

}  // namespace kavel
