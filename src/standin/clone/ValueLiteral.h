#pragma once
// A column value read as text from the source, written as the T-SQL literal that stores the
// same value in a column of that type.

#include <optional>
#include <string>

#include "clone/SourceCatalogue.h"

namespace standin::clone {

// Throws std::runtime_error when the text is not a value of the column's type (a number column
// that reads as letters), rather than store something else.
std::string ValueLiteral(const SourceColumn& column, const std::optional<std::string>& text);

}  // namespace standin::clone
