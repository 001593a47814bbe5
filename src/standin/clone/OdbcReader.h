#pragma once
// The source database through ODBC (unixODBC + FreeTDS, as the upgrade reaches it): a
// connection by data source name and login, and catalogue queries read as text.

#include <string>

#include "TDatabase.h"
#include "clone/CatalogueReader.h"

namespace standin::clone {

struct SourceLogin {
    std::string dsn;
    std::string user;      // empty: the data source's own
    std::string password;  // empty with no user: the data source's own
};

// Connects `database` (throws EDatabaseError with the driver's text when refused).
void ConnectSource(kavel::TDatabase& database, const SourceLogin& login);

// Reads the whole result of `sql` (catalogue queries: small results).
QueryText OdbcQueryText(kavel::TDatabase& database);

}  // namespace standin::clone
