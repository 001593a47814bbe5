#pragma once
// Every value that a statement places between single quotes goes through DoubleQuotes (or
// Quoted), so a quote inside the value stays data: "O'Brien" becomes "O''Brien" and the statement
// keeps its shape.

#include <string>
#include <string_view>

namespace kavel {

std::string DoubleQuotes(std::string_view value);

// The value between single quotes, its own quotes doubled: O'Brien -> 'O''Brien'.
std::string Quoted(std::string_view value);

}  // namespace kavel
