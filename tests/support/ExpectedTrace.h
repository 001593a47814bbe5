#pragma once
// Expected statement traces kept as text files under tests/upkavel/expected/, so a statement's
// exact text, line splits included, can be read (and reviewed) as the server receives it:
//
//   # a comment
//   alter table lib_x add y int$          one statement per paragraph; "$" ends each line,
//                                         which is sent as CR LF; "\t" stands for a tab
//   ...                                   any statements, up to the next one given
//
// MatchTrace compares what the server received with such a file and tells where they part.

#include <string>
#include <vector>

namespace kavel::test {

// A paragraph "...": any number of statements (none included).
inline const std::string kAnyStatements = "...";

// The statements of a file of tests/upkavel/expected/, by file name; throws when the file is
// missing or a statement line lacks its "$".
std::vector<std::string> ExpectedTrace(const std::string& fileName);

// The final schema every upgrade must end in (upgraded_oldest_layout.schema), in the form of
// SchemaOf; with KAVEL_WRITE_EXPECTED set, `actual` is written there first.
std::string ExpectedSchema(const std::string& actual);

// Empty when `received` follows `expected`; otherwise the first difference, readable.
std::string MatchTrace(const std::vector<std::string>& received,
                       const std::vector<std::string>& expected);

// A statement as the expected files write it: CR LF as "$" and a line break, tab as "\t".
std::string Visible(const std::string& statement);

}  // namespace kavel::test
