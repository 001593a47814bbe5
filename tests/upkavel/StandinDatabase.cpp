#include "StandinDatabase.h"

#include "TQuery.h"

namespace kavel::test {

standin::test::StandinServerOptions StandinOptions(const std::string& extraSql) {
    standin::test::StandinServerOptions options;
    options.fixtureScripts = {KAVEL_FIXTURE_DIR "/sample_library.sql"};
    options.fixtureSql = extraSql;
    return options;
}

void StandinDatabaseTest::StartStandin(const std::string& extraSql) {
    try {
        server = std::make_unique<standin::test::StandinServer>(StandinOptions(extraSql));
    } catch (const std::exception& e) {
        GTEST_SKIP() << "the stand-in server cannot start here: " << e.what();
    }
    database.AliasName = server->DsnName();
    database.DatabaseName = "LibDB";
    database.Params = {"USER NAME=sa", "PASSWORD=" + server->SaPassword()};
    try {
        database.Open();
    } catch (const std::exception& e) {
        GTEST_SKIP() << "the stand-in server does not answer: " << e.what();
    }
}

std::vector<std::string> StandinDatabaseTest::TracedStatements() const {
    std::vector<std::string> statements;
    for (const auto& line : server->TraceLines()) statements.push_back(TraceText(line));
    return statements;
}

std::vector<std::string> StandinDatabaseTest::Column(const std::string& sql) {
    TDatabase second;
    second.AliasName = database.AliasName;
    second.Params = database.Params;
    second.Open();
    TQuery query(second);
    query.AddSql(sql);
    query.Open();
    std::vector<std::string> values;
    for (; !query.Eof(); query.Next()) {
        // The first column, whatever its name: this helper is only used with one-column queries.
        values.push_back(query.FieldByName(query.ColumnNames().front()).AsString());
    }
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
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'u': {
                const unsigned code = std::stoul(jsonLine.substr(pos + 1, 4), nullptr, 16);
                pos += 4;
                // Control characters only: the trace writes other text as UTF-8.
                text += static_cast<char>(code);
                break;
            }
            default: text += e;
        }
    }
    return text;
}

}  // namespace kavel::test
