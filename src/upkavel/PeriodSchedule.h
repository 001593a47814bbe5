#pragma once
// The expected issues of a periodical in one year, from its period word (lib_bkzd.zd_period), and
// the arrival-register text ("FORMAT" layout) listing the copies expected of each issue.

#include <functional>
#include <string>
#include <string_view>

namespace kavel {

struct CalendarDate {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    bool operator==(const CalendarDate&) const = default;
};

// Issues a year for a period word (UTF-8, trimmed here, then compared byte for byte):
// 年 1, 半年 2, 季 4, 双月 6, 月 12, 半月 24, 旬 36, 双周 26, any other word containing 周 52,
// anything else (the empty word included) 0.
int IssueCount(std::string_view periodWordUtf8);

bool IsLeapYear(int year);

// The check date of issue `issue` (1..issueCount) in `year` (1..9999). For 1, 2, 4, 6, 12, 24 and
// 36 issues it is the 1st of month (issue-1)*12/issueCount + 1; for 26 and 52 it is 1 January plus
// floor((issue-1) * daysInYear / issueCount) days, which stays within the year.
// Throws std::invalid_argument for an issue count not listed above, an issue out of range or a
// year out of range.
CalendarDate IssueCheckDate(int year, int issue, int issueCount);

// "yyyy-mm-dd", as the date is written into statements.
std::string IsoDate(const CalendarDate& date);

// The register text of one periodical: "FORMAT" followed, for each issue i = 1..issueCount, by
// "i,0,copies,0,,,;" where copies = copiesAt(check date of issue i). With no issues it is
// "FORMAT" alone (such a text is never stored).
std::string ScheduleNotice(int year, int issueCount,
                           const std::function<long long(const CalendarDate&)>& copiesAt);

}  // namespace kavel
