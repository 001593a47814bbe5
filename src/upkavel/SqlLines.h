#pragma once
#include <string>
#include <vector>

namespace kavel {

// The lines of one statement. Each line is sent followed by CR LF, so a statement of several
// lines is one statement whose line breaks must fall where SQL allows one.
using SqlLines = std::vector<std::string>;

}  // namespace kavel
