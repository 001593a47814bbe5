#pragma once
// The folder of the running program's file (UTF-8), where it keeps its data files; "." when the
// system cannot tell.

#include <string>

namespace kavel {

std::string FolderOfThisProgram();

}  // namespace kavel
