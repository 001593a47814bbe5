#pragma once
// A stand-in server for one test plus a connected TDatabase on its data source, as LibDB would
// be. When the stand-in cannot be started the test is skipped with the server's own words, so
// a machine without a working sqlstandin shows why instead of failing every database test.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StandinServer.h"
#include "TDatabase.h"

namespace kavel::test {

// The fixture script that every database test starts from, plus any extra T-SQL.
standin::test::StandinServerOptions StandinOptions(const std::string& extraSql = {});

class StandinDatabaseTest : public testing::Test {
protected:
    // Starts the server (skipping the test when it cannot) and connects `database`.
    void StartStandin(const std::string& extraSql = {});

    // The statements the server received, exactly as they arrived, in order.
    std::vector<std::string> TracedStatements() const;

    // Runs a query on a second connection and returns the first column of every row.
    std::vector<std::string> Column(const std::string& sql);

    std::unique_ptr<standin::test::StandinServer> server;
    TDatabase database;
};

// The "text" member of one trace line, unescaped.
std::string TraceText(const std::string& jsonLine);

}  // namespace kavel::test
