#include "clone/RoundTrip.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "clone/OdbcReader.h"

namespace standin::clone {

std::vector<double> MeasureRoundTrips(kavel::TDatabase& database, int count) {
    const QueryText query = OdbcQueryText(database);
    std::vector<double> seconds;
    seconds.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        query("select 1");
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return seconds;
}

std::string RoundTripLine(std::vector<double> seconds) {
    if (seconds.empty()) return {};
    std::sort(seconds.begin(), seconds.end());
    // The value below which that share of the round trips fell (nearest rank).
    const auto at = [&](double share) {
        const auto rank = static_cast<std::size_t>(share * static_cast<double>(seconds.size() - 1));
        return seconds[rank] * 1000;
    };
    char line[160];
    std::snprintf(line, sizeof line,
                  "Round trip: median %.3f ms (10%% %.3f ms, 90%% %.3f ms) over %zu `select 1`\n",
                  at(0.5), at(0.1), at(0.9), seconds.size());
    return line;
}

}  // namespace standin::clone
