#pragma once
#include <string>

namespace kavel {

// The connection gate: empty at start, then the splash's connecting text, then "OK" once the
// database connection is open. Read once by the program entry.
extern std::string ConnectGate;

}  // namespace kavel
