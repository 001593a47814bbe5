#pragma once
// The text of one statement as the runner takes it: one line (a string) or a braced list of
// lines. A list is always one statement of several lines, never several statements; each line is
// sent followed by CR LF.
//
//   RunSql("drop table t");                       one line
//   RunSql({"update t set", "  a=1", "where b=2"});  one statement of three lines
//   RunSql(CreateTableLines(table));              lines made elsewhere

#include <initializer_list>
#include <string>
#include <string_view>

#include "SqlLines.h"

namespace kavel {

class SqlText {
public:
    SqlText(const char* line) : lines_{std::string(line)} {}
    SqlText(std::string line) : lines_{std::move(line)} {}
    SqlText(std::string_view line) : lines_{std::string(line)} {}
    SqlText(std::initializer_list<std::string> lines) : lines_(lines) {}
    SqlText(SqlLines lines) : lines_(std::move(lines)) {}

    const SqlLines& Lines() const { return lines_; }

private:
    SqlLines lines_;
};

}  // namespace kavel
