#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "EngineClock.h"

namespace standin {
namespace {

using namespace std::chrono;

// The clock gives local time; the cases below hold in UTC, set for the test's length.
class EngineClock : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) saved_ = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        saved_ ? setenv("TZ", saved_->c_str(), 1) : unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> saved_;
};

system_clock::time_point At(sys_days day, microseconds sinceMidnight) {
    return system_clock::time_point(day) + sinceMidnight;
}

TEST_F(EngineClock, RoundsToThreeHundredthsOfASecond) {
    const sys_days d = year(2012) / March / 15;
    const int expectedDays = (d - sys_days(year(1900) / January / 1)).count();
    const struct {
        std::int64_t micros;
        std::int32_t days;
        std::uint32_t ticks;
    } cases[] = {
        {0, expectedDays, 0},
        {1'666, expectedDays, 0},  // .001667 s is below half a tick
        {1'667, expectedDays, 1},  // .003 on SQL Server
        {5'000, expectedDays, 2},  // .005 s rounds up to .007
        {(10 * 3600 + 30 * 60 + 15) * 1'000'000LL + 500'000, expectedDays,
         (10 * 3600 + 30 * 60 + 15) * 300 + 150},
        {86'399'998'400, expectedDays + 1, 0},  // 23:59:59.998 rounds to the next midnight
    };
    for (const auto& c : cases) {
        const DateTime t = ToSqlDateTime(At(d, microseconds(c.micros)));
        EXPECT_EQ(t.days, c.days) << c.micros;
        EXPECT_EQ(t.ticks, c.ticks) << c.micros;
    }
    EXPECT_EQ(ToSqlDateTime(At(year(1899) / December / 31, microseconds(0))).days, -1);
}

}  // namespace
}  // namespace standin
