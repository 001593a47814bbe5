#pragma once
// The life of a serving process: listen, print the port on the first line of standard output
// (flushed, so a parent can read it), serve until SIGTERM or SIGINT, end every session.

#include "Engine.h"
#include "Server.h"

namespace standin::tds {

// Returns normally after a stop signal once all sessions have ended; throws std::runtime_error
// when the server cannot listen.
void ServeUntilSignalled(Engine& engine, const ServerConfig& config);

}  // namespace standin::tds
