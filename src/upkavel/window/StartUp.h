#pragma once
// The start-up sequence between initialising the application and running its message loop:
// create the data module (which connects, behind the splash), then either the upgrade form or
// the connection error box. Every failure ends in that one box; nothing escapes.

namespace kavel {

// Returns true when the upgrade form was created (it is then the application's main form).
bool StartUp();

}  // namespace kavel
