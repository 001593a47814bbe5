#pragma once
// SQL Server datetime: days since 1900-01-01 and 1/300 second ticks; 1753-01-01 to 9999-12-31.

#include <optional>
#include <string>
#include <string_view>

#include "types/Value.h"

namespace standin {

inline constexpr std::uint32_t kTicksPerDay = 300u * 86400u;

struct CivilDate {
    int year = 1900, month = 1, day = 1;
};

std::int32_t DaysFromCivil(int year, int month, int day);  // days since 1900-01-01
CivilDate CivilFromDays(std::int32_t days);
bool InDateTimeRange(std::int32_t days);  // 1753-01-01 .. 9999-12-31

// Text to datetime as SQL Server (us_english, mdy) reads it: 'yyyy-mm-dd[ hh:mi[:ss[.mmm]]]',
// 'yyyymmdd', 'yyyy-mm-ddThh:mi:ss', 'mm/dd/yyyy', 'Mon dd yyyy hh:miAM', time alone; the empty
// text is 1900-01-01. Result: the value, or the error kind.
enum class DateParse { Ok, Invalid, OutOfRange };
DateParse ParseDateTime(std::string_view text, DateTime& out);

// "2008-01-01 00:00:00.000", the form query tools print.
std::string FormatDateTimeDisplay(const DateTime& dt);
// CONVERT(varchar, dt, style): 0/100 "Jan  1 2008 12:00AM", 120, 121, 23, 112, 111, 102, 101, 108.
std::string FormatDateTimeStyle(const DateTime& dt, int style);

// Milliseconds since midnight -> ticks, rounded as SQL Server rounds (.000, .003, .007).
std::uint32_t TicksFromMilliseconds(std::int64_t ms);

}  // namespace standin
