#include "clone/OdbcReader.h"

#include "OdbcStatement.h"

namespace standin::clone {

void ConnectSource(kavel::TDatabase& database, const SourceLogin& login) {
    database.AliasName = login.dsn;
    database.DatabaseName = "source";
    database.Params.clear();
    if (!login.user.empty()) {
        database.Params.push_back("USER NAME=" + login.user);
        database.Params.push_back("PASSWORD=" + login.password);
    }
    database.Open();
}

QueryText OdbcQueryText(kavel::TDatabase& database) {
    return [&database](const std::string& sql) {
        kavel::OdbcStatement statement(database.Handle());
        statement.Execute(sql);
        SQLSMALLINT columns = statement.ColumnCount();
        while (columns == 0) {
            if (!statement.MoreResults()) return TextRows{};
            columns = statement.ColumnCount();
        }
        TextRows rows;
        while (statement.Fetch()) {
            auto& row = rows.emplace_back();
            for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c)
                row.push_back(statement.Text(c));
        }
        while (statement.MoreResults()) {
        }
        return rows;
    };
}

}  // namespace standin::clone
