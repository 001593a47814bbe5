#pragma once
// A login on a stand-in's data source through UpKavel's own ODBC layer (unixODBC + FreeTDS, the
// wide API), so the protocol is tested with the client the product uses. What that layer does
// not offer (column types, row counts, query time-outs) the tests ask of its statement handle
// directly.

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DatabaseError.h"
#include "OdbcStatement.h"
#include "StandinServer.h"
#include "TDatabase.h"

namespace standin::test {

using TextRow = std::vector<std::optional<std::string>>;

struct OdbcSession {
    explicit OdbcSession(const StandinServer& server, const std::string& user = "sa",
                         const std::optional<std::string>& password = std::nullopt) {
        database.AliasName = server.DsnName();
        database.Params = {"USER NAME=" + user,
                           "PASSWORD=" + password.value_or(server.SaPassword())};
        database.Open();
    }

    void Run(const std::string& sql) { kavel::OdbcStatement(database.Handle()).Execute(sql); }

    // Every row of the first result, as text (nullopt for NULL).
    std::vector<TextRow> Query(const std::string& sql) {
        kavel::OdbcStatement statement(database.Handle());
        statement.Execute(sql);
        std::vector<TextRow> rows;
        while (statement.Fetch()) {
            rows.emplace_back();
            for (SQLSMALLINT c = 1; c <= statement.ColumnCount(); ++c)
                rows.back().push_back(statement.Text(static_cast<SQLUSMALLINT>(c)));
        }
        return rows;
    }

    // The error that `sql` must raise.
    kavel::EDatabaseError Failure(const std::string& sql) {
        try {
            Run(sql);
        } catch (const kavel::EDatabaseError& e) {
            if (!e.Diagnostics().empty()) return e;
        }
        throw std::runtime_error("'" + sql + "' did not fail with a diagnostic");
    }

    kavel::TDatabase database;
};

}  // namespace standin::test
