#include "PeriodSchedule.h"

#include <cstdio>
#include <stdexcept>

#include "Trim.h"

namespace kavel {
namespace {

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// 1 January plus `days` days, within the same year.
CalendarDate DayOfYear(int year, int days) {
    int month = 1;
    while (days >= DaysInMonth(year, month)) days -= DaysInMonth(year, month++);
    return CalendarDate{year, month, days + 1};
}

}  // namespace

int IssueCount(std::string_view periodWordUtf8) {
    std::string_view word = TrimView(periodWordUtf8);
    if (word == "年") return 1;
    if (word == "半年") return 2;
    if (word == "季") return 4;
    if (word == "双月") return 6;
    if (word == "月") return 12;
    if (word == "半月") return 24;
    if (word == "旬") return 36;
    if (word == "双周") return 26;
    if (word.find("周") != std::string_view::npos) return 52;  // 周, 每周, ...
    return 0;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

CalendarDate IssueCheckDate(int year, int issue, int issueCount) {
    if (year < 1 || year > 9999)
        throw std::invalid_argument("schedule year " + std::to_string(year) + " is out of range");
    if (issue < 1 || issue > issueCount)
        throw std::invalid_argument("issue " + std::to_string(issue) + " of " +
                                    std::to_string(issueCount) + " does not exist");
    switch (issueCount) {
        case 1:
        case 2:
        case 4:
        case 6:
        case 12:
        case 24:
        case 36:
            return CalendarDate{year, (issue - 1) * 12 / issueCount + 1, 1};
        case 26:
        case 52: {
            int daysInYear = IsLeapYear(year) ? 366 : 365;
            return DayOfYear(year, (issue - 1) * daysInYear / issueCount);
        }
        default:
            throw std::invalid_argument("no schedule has " + std::to_string(issueCount) +
                                        " issues a year");
    }
}

std::string IsoDate(const CalendarDate& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string ScheduleNotice(int year, int issueCount,
                           const std::function<long long(const CalendarDate&)>& copiesAt) {
    std::string notice = "FORMAT";
    for (int i = 1; i <= issueCount; ++i) {
        long long copies = copiesAt(IssueCheckDate(year, i, issueCount));
        notice += std::to_string(i) + ",0," + std::to_string(copies) + ",0,,,;";
    }
    return notice;
}

}  // namespace kavel
