#pragma once
// The round trip to a server as the upgrade pays it: one `select 1` sent through the client stack
// the utility uses (unixODBC + FreeTDS, the statement executed and its row read), timed one at a
// time. The upgrade sends one statement at a time, each waiting for its answer, so its time on a
// site is about its statements times this round trip plus what the server does for them.

#include <string>
#include <vector>

#include "TDatabase.h"

namespace standin::clone {

// Seconds of each of `count` round trips on `database`, in the order they were made.
std::vector<double> MeasureRoundTrips(kavel::TDatabase& database, int count);

// "Round trip: median 0.312 ms (10% 0.281 ms, 90% 0.402 ms) over 300 `select 1`", from the
// seconds of a measurement; empty when there are none. Scripts read this line.
std::string RoundTripLine(std::vector<double> seconds);

}  // namespace standin::clone
