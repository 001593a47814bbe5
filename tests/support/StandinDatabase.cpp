#include "StandinDatabase.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "SkipOrFail.h"
#include "TQuery.h"
#include "sql/ScriptSplitter.h"

namespace kavel::test {

namespace {

standin::test::StandinServerOptions OptionsOn(const std::string& fixture,
                                              const std::string& extraSql) {
    standin::test::StandinServerOptions options;
    options.fixtureScripts = {std::string(KAVEL_FIXTURE_DIR "/") + fixture};
    // fixtureSql runs before the scripts; extra SQL must see the fixture's tables, so it
    // follows as a script of its own.
    options.extraScriptSql = extraSql;
    return options;
}

}  // namespace

standin::test::StandinServerOptions StandinOptions(const std::string& extraSql) {
    return OptionsOn(kSampleLibrary, extraSql);
}

void StandinDatabaseTest::StartStandin(const std::string& extraSql) {
    StartStandinOn(kSampleLibrary, extraSql);
}

void StandinDatabaseTest::StartStandinOn(const std::string& fixture, const std::string& extraSql) {
    try {
        server = std::make_unique<standin::test::StandinServer>(OptionsOn(fixture, extraSql));
    } catch (const std::exception& e) {
        SKIP_OR_FAIL_UNDER_CI(std::string("the stand-in server cannot start here: ") + e.what());
    }
    database.AliasName = server->DsnName();
    database.DatabaseName = "LibDB";
    database.Params = {"USER NAME=sa", "PASSWORD=" + server->SaPassword()};
    try {
        database.Open();
    } catch (const std::exception& e) {
        SKIP_OR_FAIL_UNDER_CI(std::string("the stand-in server does not answer: ") + e.what());
    }
}

std::vector<std::string> StandinDatabaseTest::TracedStatements() const {
    std::vector<std::string> statements;
    if (!server) return statements;
    for (const auto& line : server->TraceLines()) statements.push_back(TraceText(line));
    return statements;
}

void StandinDatabaseTest::StartUpgradeDatabase(const std::string& fixture,
                                               const std::string& extraSql) {
    const char* dsn = std::getenv("KAVEL_TEST_ODBC_DSN");
    if (dsn == nullptr || *dsn == '\0') {
        StartStandinOn(fixture, extraSql);
        return;
    }
    const char* user = std::getenv("KAVEL_TEST_ODBC_USER");
    const char* password = std::getenv("KAVEL_TEST_ODBC_PASSWORD");
    database.AliasName = dsn;
    database.DatabaseName = "LibDB";
    database.Params = {std::string("USER NAME=") + (user ? user : "sa")};
    if (password) database.Params.push_back(std::string("PASSWORD=") + password);
    database.Open();

    TQuery query(database);
    auto run = [&query](const std::string& sql) {
        query.ClearSql();
        query.AddSql(sql);
        query.ExecSQL();
        query.Close();
    };
    for (const auto& table : Column("select name from sysobjects where xtype='U'")) {
        run("drop table [" + table + "]");
    }
    std::ifstream in(std::string(KAVEL_FIXTURE_DIR "/") + fixture, std::ios::binary);
    std::stringstream script;
    script << in.rdbuf();
    for (const auto& batch : standin::SplitScript(script.str() + "\nGO\n" + extraSql)) run(batch);
}

std::vector<std::string> StandinDatabaseTest::TracedSince(std::size_t mark) const {
    auto all = TracedStatements();
    if (mark >= all.size()) return {};
    return {all.begin() + static_cast<std::ptrdiff_t>(mark), all.end()};
}

void StandinDatabaseTest::OpenSecondConnection(TDatabase& second) const {
    second.AliasName = database.AliasName;
    second.Params = database.Params;
    second.Open();
}

std::vector<std::vector<std::string>> StandinDatabaseTest::Rows(const std::string& sql) {
    TDatabase second;
    OpenSecondConnection(second);
    return QueryRows(second, sql);
}

std::vector<ColumnInfo> StandinDatabaseTest::ColumnsOf(const std::string& table) {
    TDatabase second;
    OpenSecondConnection(second);
    return kavel::test::ColumnsOf(second, table);
}

std::optional<ColumnInfo> StandinDatabaseTest::ColumnOf(const std::string& table,
                                                        const std::string& column) {
    for (const auto& c : ColumnsOf(table)) {
        if (c.name == column) return c;
    }
    return std::nullopt;
}

bool StandinDatabaseTest::Exists(const std::string& object) {
    return !Column("select name from sysobjects where name = '" + object + "'").empty();
}

std::string StandinDatabaseTest::Schema() {
    TDatabase second;
    OpenSecondConnection(second);
    return SchemaOf(second);
}

std::vector<std::string> StandinDatabaseTest::Column(const std::string& sql) {
    TDatabase second;
    OpenSecondConnection(second);
    TQuery query(second);
    query.AddSql(sql);
    query.Open();
    std::vector<std::string> values;
    // The first column, whatever its name, untrimmed: a char column's blanks are part of it.
    for (; !query.Eof(); query.Next())
        values.push_back(query.FieldByName(query.ColumnNames().front()).AsString());
    return values;
}

std::string TraceText(const std::string& jsonLine) {
    const std::string key = "\"text\":\"";
    auto pos = jsonLine.find(key);
    if (pos == std::string::npos) return {};
    pos += key.size();
    std::string text;
    for (; pos < jsonLine.size() && jsonLine[pos] != '"'; ++pos) {
        char c = jsonLine[pos];
        if (c != '\\' || pos + 1 >= jsonLine.size()) {
            text += c;
            continue;
        }
        char e = jsonLine[++pos];
        switch (e) {
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'b':
                text += '\b';
                break;
            case 'f':
                text += '\f';
                break;
            case 'u': {
                const unsigned code = std::stoul(jsonLine.substr(pos + 1, 4), nullptr, 16);
                pos += 4;
                // Control characters only: the trace writes other text as UTF-8.
                text += static_cast<char>(code);
                break;
            }
            default:
                text += e;
        }
    }
    return text;
}

}  // namespace kavel::test
