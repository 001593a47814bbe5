#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <vector>

#include "PeriodSchedule.h"

using namespace kavel;

namespace {

// Days from 1 January of the date's year to the date, by an independent calendar.
int DayOfYear(const CalendarDate& d) {
    using namespace std::chrono;
    const auto y = std::chrono::year{d.year};
    const sys_days date{y / month{unsigned(d.month)} / day{unsigned(d.day)}};
    return static_cast<int>((date - sys_days{y / January / 1}).count());
}

struct Subscription {
    CalendarDate begin, end;  // both at midnight
    long long copies;
};

bool NotAfter(const CalendarDate& a, const CalendarDate& b) {
    return std::tie(a.year, a.month, a.day) <= std::tie(b.year, b.month, b.day);
}

// What the copy count of the register job adds up at a check date.
long long CopiesAt(const std::vector<Subscription>& rows, const CalendarDate& date) {
    long long sum = 0;
    for (const auto& r : rows)
        if (NotAfter(r.begin, date) && NotAfter(date, r.end)) sum += r.copies;
    return sum;
}

}  // namespace

TEST(PeriodSchedule, IssueCountOfPeriodWords) {
    struct Case {
        const char* word;
        int issues;
    } cases[] = {
        {"年", 1},    {"半年", 2},    {"季", 4},    {"双月", 6},        {"月", 12},
        {"半月", 24}, {"旬", 36},     {"双周", 26}, {"周", 52},         {"每周", 52},
        {"周刊", 52}, {"双周刊", 52}, {" 月 ", 12}, {"\t双周\r\n", 26}, {"日", 0},
        {"", 0},      {"   ", 0},     {"月刊", 0},  {"半 月", 0},       {"YEAR", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(IssueCount(c.word), c.issues) << "'" << c.word << "'";
}

TEST(PeriodSchedule, MonthlyKindsFallOnTheFirstOfTheirMonth) {
    struct Case {
        int issues, issue, month;
    } cases[] = {
        {1, 1, 1},    {2, 1, 1},    {2, 2, 7},  {4, 1, 1},    {4, 2, 4},    {4, 3, 7},  {4, 4, 10},
        {6, 2, 3},    {6, 6, 11},   {12, 1, 1}, {12, 12, 12}, {24, 1, 1},   {24, 2, 1}, {24, 3, 2},
        {24, 23, 12}, {24, 24, 12}, {36, 3, 1}, {36, 4, 2},   {36, 36, 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IssueCheckDate(2008, c.issue, c.issues), (CalendarDate{2008, c.month, 1}))
            << c.issue << " of " << c.issues;
}

// Weekly and fortnightly dates step by 7 or 14 days; a leap year stretches exactly one gap by a
// day, and the last date is 24 or 17 December in every year.
TEST(PeriodSchedule, WeeklyAndFortnightlyDates) {
    for (int year : {2023, 1900, 2100, 2024, 2000, 2008}) {
        for (int n : {52, 26}) {
            const int step = n == 52 ? 7 : 14;
            int longGaps = 0;
            EXPECT_EQ(IssueCheckDate(year, 1, n), (CalendarDate{year, 1, 1}));
            for (int i = 2; i <= n; ++i) {
                int gap = DayOfYear(IssueCheckDate(year, i, n)) -
                          DayOfYear(IssueCheckDate(year, i - 1, n));
                ASSERT_TRUE(gap == step || gap == step + 1)
                    << year << " issue " << i << " of " << n;
                longGaps += gap == step + 1;
            }
            EXPECT_EQ(longGaps, std::chrono::year{year}.is_leap() ? 1 : 0) << year << " " << n;
        }
        EXPECT_EQ(IssueCheckDate(year, 52, 52), (CalendarDate{year, 12, 24}));
        EXPECT_EQ(IssueCheckDate(year, 26, 26), (CalendarDate{year, 12, 17}));
        // Across February: 63 days after 1 January.
        const bool leap = std::chrono::year{year}.is_leap();
        EXPECT_EQ(IssueCheckDate(year, 10, 52), (CalendarDate{year, 3, leap ? 4 : 5})) << year;
    }
    // (i-1)*366/52 first reaches a further day at issue 27; (i-1)*366/26 at issue 14.
    EXPECT_EQ(IssueCheckDate(2024, 26, 52), (CalendarDate{2024, 6, 24}));
    EXPECT_EQ(IssueCheckDate(2024, 27, 52), (CalendarDate{2024, 7, 2}));
    EXPECT_EQ(IssueCheckDate(2024, 13, 26), (CalendarDate{2024, 6, 17}));
    EXPECT_EQ(IssueCheckDate(2024, 14, 26), (CalendarDate{2024, 7, 2}));
}

TEST(PeriodSchedule, CheckDateRejectsWhatNoScheduleHas) {
    EXPECT_THROW(IssueCheckDate(2024, 0, 12), std::invalid_argument);
    EXPECT_THROW(IssueCheckDate(2024, 13, 12), std::invalid_argument);
    EXPECT_THROW(IssueCheckDate(2024, 1, 7), std::invalid_argument);
    EXPECT_THROW(IssueCheckDate(2024, 1, 0), std::invalid_argument);
    EXPECT_THROW(IssueCheckDate(0, 1, 1), std::invalid_argument);
    EXPECT_THROW(IssueCheckDate(10000, 1, 1), std::invalid_argument);
}

TEST(PeriodSchedule, IsoDateHasFixedWidthFields) {
    EXPECT_EQ(IsoDate(CalendarDate{2008, 1, 1}), "2008-01-01");
    EXPECT_EQ(IsoDate(CalendarDate{2024, 12, 24}), "2024-12-24");
    EXPECT_EQ(IsoDate(CalendarDate{999, 7, 9}), "0999-07-09");
}

TEST(PeriodSchedule, QuarterlyNoticeCountsCopiesAtEachCheckDate) {
    std::vector<Subscription> rows = {{{2005, 1, 1}, {2005, 12, 31}, 3},
                                      {{2005, 4, 1}, {2005, 6, 30}, 2}};
    EXPECT_EQ(ScheduleNotice(2005, IssueCount("季"),
                             [&](const CalendarDate& d) { return CopiesAt(rows, d); }),
              "FORMAT1,0,3,0,,,;2,0,5,0,,,;3,0,3,0,,,;4,0,3,0,,,;");
}

TEST(PeriodSchedule, MonthlyNoticeOfALeapYear) {
    std::vector<Subscription> rows = {{{2008, 1, 1}, {2008, 12, 31}, 2}};
    std::string expected = "FORMAT";
    for (int i = 1; i <= 12; ++i) expected += std::to_string(i) + ",0,2,0,,,;";
    EXPECT_EQ(ScheduleNotice(2008, IssueCount("月"),
                             [&](const CalendarDate& d) { return CopiesAt(rows, d); }),
              expected);
}

TEST(PeriodSchedule, NoticeAsksForEachIssuesDateInOrder) {
    std::vector<CalendarDate> asked;
    std::string notice = ScheduleNotice(2010, 24, [&](const CalendarDate& d) {
        asked.push_back(d);
        return asked.size() == 3 ? 0LL : 10LL;
    });
    ASSERT_EQ(asked.size(), 24u);
    EXPECT_EQ(asked[0], asked[1]);
    EXPECT_EQ(asked[0], (CalendarDate{2010, 1, 1}));
    EXPECT_EQ(asked[22], (CalendarDate{2010, 12, 1}));
    EXPECT_EQ(asked[23], (CalendarDate{2010, 12, 1}));
    EXPECT_EQ(notice.substr(0, 36), "FORMAT1,0,10,0,,,;2,0,10,0,,,;3,0,0,");
    EXPECT_EQ(notice.substr(notice.size() - 13), "24,0,10,0,,,;");
}

TEST(PeriodSchedule, NoIssuesGiveTheBareHeader) {
    int calls = 0;
    EXPECT_EQ(ScheduleNotice(2006, IssueCount("日"), [&](const CalendarDate&) { return ++calls; }),
              "FORMAT");
    EXPECT_EQ(calls, 0);
}
