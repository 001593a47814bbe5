#pragma once
// The text form of a batch's outcome that `sqlstandin exec` prints and the golden tests compare:
// per result set a header line of column names and one line per row (tab-separated, NULL as
// NULL, char values with their blanks); "(N rows affected)" after statements that change rows;
// errors as "Msg N, Level L, State S, Line K" and the message text; informational messages as
// their text alone.

#include <string>

#include "Engine.h"

namespace standin {

std::string FormatOutcome(const BatchOutcome& outcome);
std::string FormatValue(const Value& v);  // UTF-8

}  // namespace standin
