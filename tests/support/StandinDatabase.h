#pragma once
// A stand-in server for one test plus a connected TDatabase on its data source, as LibDB would
// be. When the stand-in cannot be started the test is skipped with the server's own words, so
// a machine without a working sqlstandin shows why instead of failing every database test;
// under CI the same words fail the test (SkipOrFail.h).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "SchemaText.h"
#include "StandinServer.h"
#include "TDatabase.h"

namespace kavel::test {

// The fixture script that every database test starts from, plus any extra T-SQL.
standin::test::StandinServerOptions StandinOptions(const std::string& extraSql = {});

// Sample databases under tests/fixtures/, by file name.
inline constexpr const char* kSampleLibrary = "sample_library.sql";  // the demo's library
inline constexpr const char* kOldestLayout = "oldest_layout.sql";    // before any upgrade
inline constexpr const char* kLevel2005_03 = "level_2005_03.sql";    // baseline and 2005-03 in
inline constexpr const char* kBaselineLevel = "baseline_level.sql";  // as the baseline leaves it
inline constexpr const char* kLevel2010 = "level_2010.sql";          // up to 2010-12-30 in
inline constexpr const char* kUpgraded = "upgraded.sql";             // the whole upgrade in

class StandinDatabaseTest : public testing::Test {
protected:
    // Starts the server (skipping the test when it cannot, failing it under CI) and connects
    // `database`.
    void StartStandin(const std::string& extraSql = {});
    // The same on a sample database of tests/fixtures/ (kOldestLayout ...), then `extraSql`.
    void StartStandinOn(const std::string& fixture, const std::string& extraSql = {});

    // The statements the server received, exactly as they arrived, in order.
    std::vector<std::string> TracedStatements() const;
    // A mark in the trace, and the statements received since it was taken.
    std::size_t TraceMark() const { return TracedStatements().size(); }
    std::vector<std::string> TracedSince(std::size_t mark) const;

    // Opens `second` on the same data source and login as `database`.
    void OpenSecondConnection(TDatabase& second) const;

    // Runs a query on a second connection and returns the first column of every row.
    std::vector<std::string> Column(const std::string& sql);
    // Every column of every row, NULL as "NULL", values trimmed of trailing blanks.
    std::vector<std::vector<std::string>> Rows(const std::string& sql);
    // The columns of a table in column order; empty when there is no such table.
    std::vector<ColumnInfo> ColumnsOf(const std::string& table);
    // One column of a table; nothing when the table or the column is missing.
    std::optional<ColumnInfo> ColumnOf(const std::string& table, const std::string& column);
    // Whether any catalogue object of that name exists.
    bool Exists(const std::string& object);
    // Every user table with its columns, keys and indexes, one line each, in name order: the
    // form of tests/upkavel/expected/*.schema.
    std::string Schema();

    // The upgrade suite's database: a stand-in on `fixture`, or, when KAVEL_TEST_ODBC_DSN names a
    // data source on a real SQL Server, that database emptied of user tables and loaded with the
    // same fixture (so it must be a scratch database). KAVEL_TEST_ODBC_USER and
    // KAVEL_TEST_ODBC_PASSWORD give its login (default "sa" and none).
    void StartUpgradeDatabase(const std::string& fixture, const std::string& extraSql = {});
    // False on a real SQL Server: there is no statement trace to read.
    bool HasTrace() const { return server != nullptr; }

    std::unique_ptr<standin::test::StandinServer> server;
    TDatabase database;
};

// The "text" member of one trace line, unescaped.
std::string TraceText(const std::string& jsonLine);

using standin::test::ReadFile;
using standin::test::WriteFile;

}  // namespace kavel::test
