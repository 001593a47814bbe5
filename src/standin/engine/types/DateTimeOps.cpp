#include "types/DateTimeOps.h"

#include <cctype>
#include <cstdio>

#include "types/Collation.h"

namespace standin {
namespace {

// Howard Hinnant's civil-date algorithms, counting days from 0000-03-01.

std::int64_t DaysFromCivil0(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe);
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct Cursor {
    std::string_view s;
    std::size_t i = 0;
    bool End() const { return i >= s.size(); }
    char Peek() const { return End() ? '\0' : s[i]; }
    void SkipBlanks() {
        while (!End() && (s[i] == ' ' || s[i] == '\t')) ++i;
    }
    // Reads 1..maxDigits digits; -1 when none.
    int Number(int maxDigits, int* count = nullptr) {
        int v = 0, n = 0;
        while (!End() && n < maxDigits && std::isdigit(static_cast<unsigned char>(s[i]))) {
            v = v * 10 + (s[i] - '0');
            ++i;
            ++n;
        }
        if (count) *count = n;
        return n == 0 ? -1 : v;
    }
};

// [hh:mi[:ss[.fff|:fff]]][ ]?[AM|PM]
bool ParseTime(Cursor& c, std::uint32_t& ticks) {
    int h = c.Number(2);
    if (h < 0 || c.Peek() != ':') return false;
    ++c.i;
    int mi = c.Number(2);
    if (mi < 0) return false;
    int sec = 0;
    std::int64_t ms = 0;
    if (c.Peek() == ':') {
        ++c.i;
        sec = c.Number(2);
        if (sec < 0) return false;
        if (c.Peek() == '.' || c.Peek() == ':') {
            bool colon = c.Peek() == ':';
            ++c.i;
            int n = 0;
            int frac = c.Number(9, &n);
            if (frac < 0) return false;
            if (colon) {
                ms = frac;
            } else {
                // fraction of a second, any number of digits
                double f = frac;
                for (int k = 0; k < n; ++k) f /= 10.0;
                ms = static_cast<std::int64_t>(f * 1000.0 + 0.5);
            }
        }
    }
    c.SkipBlanks();
    if ((c.Peek() == 'A' || c.Peek() == 'a' || c.Peek() == 'P' || c.Peek() == 'p')) {
        char ap = static_cast<char>(std::toupper(static_cast<unsigned char>(c.Peek())));
        if (c.i + 1 < c.s.size() && (c.s[c.i + 1] == 'M' || c.s[c.i + 1] == 'm')) {
            c.i += 2;
            if (h < 1 || h > 12) return false;
            if (ap == 'A' && h == 12) h = 0;
            if (ap == 'P' && h != 12) h += 12;
        }
    }
    if (h > 23 || mi > 59 || sec > 59 || ms > 999) return false;
    std::int64_t totalMs = ((h * 60LL + mi) * 60LL + sec) * 1000LL + ms;
    std::uint32_t t = TicksFromMilliseconds(totalMs);
    ticks = t;
    return true;
}

}  // namespace

std::int32_t DaysFromCivil(int year, int month, int day) {
    return static_cast<std::int32_t>(
        DaysFromCivil0(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        DaysFromCivil0(1900, 1, 1));
}

CivilDate CivilFromDays(std::int32_t days) {
    // inverse of DaysFromCivil0, which counts days from 0000-03-01
    std::int64_t z = days + DaysFromCivil0(1900, 1, 1);
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    CivilDate c;
    c.year = static_cast<int>(y + (m <= 2));
    c.month = static_cast<int>(m);
    c.day = static_cast<int>(d);
    return c;
}

bool InDateTimeRange(std::int32_t days) {
    static const std::int32_t kFirst = DaysFromCivil(1753, 1, 1);
    static const std::int32_t kLast = DaysFromCivil(9999, 12, 31);
    return days >= kFirst && days <= kLast;
}

std::uint32_t TicksFromMilliseconds(std::int64_t ms) {
    return static_cast<std::uint32_t>((ms * 300 + 500) / 1000);
}

namespace {

struct DateParts {
    int year = 1900, month = 1, day = 1;
    bool haveDate = false;
};

// "Mon dd[,] yyyy", the month by its first three letters.
bool ParseMonthNameDate(Cursor& c, DateParts& d) {
    std::string word;
    while (!c.End() && std::isalpha(static_cast<unsigned char>(c.Peek()))) word += c.s[c.i++];
    std::string up = UpperAscii(word);
    d.month = 0;
    for (int m = 0; m < 12; ++m)
        if (up.size() >= 3 && UpperAscii(kMonths[m]) == up.substr(0, 3)) d.month = m + 1;
    if (d.month == 0) return false;
    c.SkipBlanks();
    d.day = c.Number(2);
    c.SkipBlanks();
    if (c.Peek() == ',') ++c.i;
    c.SkipBlanks();
    int digits = 0;
    d.year = c.Number(4, &digits);
    if (d.day < 0 || digits != 4) return false;
    d.haveDate = true;
    return true;
}

// yyyymmdd, yyyy-mm-dd (or / or .), mm/dd/yy[yy]; a time alone (no date) leaves the cursor at
// its start.
bool ParseNumericDate(Cursor& c, DateParts& d) {
    std::size_t start = c.i;
    int n1 = 0;
    int first = c.Number(8, &n1);
    if (first < 0) return false;
    if (c.Peek() == ':') {
        c.i = start;
        return true;
    }
    bool separator = c.Peek() == '-' || c.Peek() == '/' || c.Peek() == '.';
    if (n1 == 8 && (c.End() || c.Peek() == ' ' || c.Peek() == 'T')) {
        d.year = first / 10000;
        d.month = first / 100 % 100;
        d.day = first % 100;
    } else if (n1 == 4 && separator) {
        char sep = c.Peek();
        ++c.i;
        d.year = first;
        d.month = c.Number(2);
        if (d.month < 0 || c.Peek() != sep) return false;
        ++c.i;
        d.day = c.Number(2);
        if (d.day < 0) return false;
    } else if (n1 <= 2 && separator) {
        char sep = c.Peek();
        ++c.i;
        d.month = first;
        d.day = c.Number(2);
        if (d.day < 0 || c.Peek() != sep) return false;
        ++c.i;
        int n3 = 0;
        d.year = c.Number(4, &n3);
        if (d.year < 0) return false;
        if (n3 == 2) d.year += d.year < 50 ? 2000 : 1900;
    } else {
        return false;
    }
    d.haveDate = true;
    return true;
}

}  // namespace

DateParse ParseDateTime(std::string_view text, DateTime& out) {
    Cursor c{text, 0};
    c.SkipBlanks();
    std::size_t last = text.size();
    while (last > c.i && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    c.s = text.substr(0, last);
    if (c.End()) {
        out = DateTime{};
        return DateParse::Ok;
    }
    DateParts d;
    std::uint32_t ticks = 0;
    bool parsed = std::isalpha(static_cast<unsigned char>(c.Peek())) ? ParseMonthNameDate(c, d)
                                                                     : ParseNumericDate(c, d);
    if (!parsed) return DateParse::Invalid;
    if (d.haveDate && c.Peek() == 'T') {
        ++c.i;
        if (!ParseTime(c, ticks)) return DateParse::Invalid;
    } else if (d.haveDate) {
        c.SkipBlanks();
        if (!c.End() && !ParseTime(c, ticks)) return DateParse::Invalid;
    } else if (!ParseTime(c, ticks)) {
        return DateParse::Invalid;
    }
    c.SkipBlanks();
    if (!c.End()) return DateParse::Invalid;
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month))
        return DateParse::OutOfRange;
    if (d.year < 1753 || d.year > 9999) return DateParse::OutOfRange;
    out.days = DaysFromCivil(d.year, d.month, d.day);
    out.ticks = ticks;
    if (out.ticks >= kTicksPerDay) {  // 23:59:59.999 rounds to the next day
        out.ticks -= kTicksPerDay;
        ++out.days;
        if (!InDateTimeRange(out.days)) return DateParse::OutOfRange;
    }
    return DateParse::Ok;
}

namespace {
void SplitTicks(std::uint32_t ticks, int& h, int& mi, int& s, int& ms) {
    std::uint32_t secs = ticks / 300;
    std::uint32_t rest = ticks % 300;
    h = static_cast<int>(secs / 3600);
    mi = static_cast<int>(secs / 60 % 60);
    s = static_cast<int>(secs % 60);
    ms = static_cast<int>((rest * 10 + 1) / 3);
}
}  // namespace

std::string FormatDateTimeDisplay(const DateTime& dt) { return FormatDateTimeStyle(dt, 121); }

std::string FormatDateTimeStyle(const DateTime& dt, int style) {
    CivilDate c = CivilFromDays(dt.days);
    int h, mi, s, ms;
    SplitTicks(dt.ticks, h, mi, s, ms);
    char buf[64];
    switch (style) {
        case 120:
        case 20:
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
                          h, mi, s);
            break;
        case 121:
        case 21:
        case 25:
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", c.year, c.month,
                          c.day, h, mi, s, ms);
            break;
        case 23:
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
            break;
        case 112:
            std::snprintf(buf, sizeof buf, "%04d%02d%02d", c.year, c.month, c.day);
            break;
        case 12:
            std::snprintf(buf, sizeof buf, "%02d%02d%02d", c.year % 100, c.month, c.day);
            break;
        case 111:
            std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", c.year, c.month, c.day);
            break;
        case 11:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", c.year % 100, c.month, c.day);
            break;
        case 102:
            std::snprintf(buf, sizeof buf, "%04d.%02d.%02d", c.year, c.month, c.day);
            break;
        case 101:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", c.month, c.day, c.year);
            break;
        case 1:
            std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", c.month, c.day, c.year % 100);
            break;
        case 108:
        case 8:
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
            break;
        default: {
            int h12 = h % 12 == 0 ? 12 : h % 12;
            std::snprintf(buf, sizeof buf, "%s %2d %04d %2d:%02d%s", kMonths[c.month - 1], c.day,
                          c.year, h12, mi, h < 12 ? "AM" : "PM");
            break;
        }
    }
    return buf;
}

}  // namespace standin
