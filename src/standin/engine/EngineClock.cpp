#include "EngineClock.h"

#include <ctime>

namespace standin {

DateTime ToSqlDateTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto micros = duration_cast<microseconds>(time - seconds).count();
    const std::time_t t = system_clock::to_time_t(system_clock::time_point(seconds));
    std::tm local{};
    localtime_r(&t, &local);
    const year_month_day date{year(local.tm_year + 1900),
                              month(static_cast<unsigned>(local.tm_mon + 1)),
                              day(static_cast<unsigned>(local.tm_mday))};
    std::int64_t days = (sys_days(date) - sys_days(year(1900) / January / 1)).count();
    const std::int64_t microOfDay =
        ((local.tm_hour * 60LL + local.tm_min) * 60LL + local.tm_sec) * 1'000'000LL + micros;
    constexpr std::int64_t kTicksPerDay = 300LL * 86400;
    std::int64_t ticks = (microOfDay * 3 + 5000) / 10000;  // 1/300 s, rounded half up
    if (ticks >= kTicksPerDay) {
        ticks -= kTicksPerDay;
        ++days;
    }
    return DateTime{static_cast<std::int32_t>(days), static_cast<std::uint32_t>(ticks)};
}

DateTime CurrentSqlDateTime() { return ToSqlDateTime(std::chrono::system_clock::now()); }

}  // namespace standin
