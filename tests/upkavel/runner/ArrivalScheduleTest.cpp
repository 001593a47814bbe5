// The expected-arrival schedule on a stand-in database: the register text of every period word
// on the oldest layout's subscriptions (leap years, partial years, a start after midnight, NULLs,
// quotes), the exact statements, the one-shot guard, an empty subscription table and the bar.

#include <gtest/gtest.h>

#include <algorithm>

#include "RecordingRunner.h"

namespace kavel {
namespace {

// "FORMAT" and one entry per issue with the copies given, in order.
std::string Notice(const std::vector<int>& copies) {
    std::string text = "FORMAT";
    for (std::size_t i = 0; i < copies.size(); ++i)
        text += std::to_string(i + 1) + ",0," + std::to_string(copies[i]) + ",0,,,;";
    return text;
}

std::vector<int> Same(int issues, int copies) {
    return std::vector<int>(static_cast<std::size_t>(issues), copies);
}

// Copies by issue: `copies` for issues first..last (1-based), 0 elsewhere.
std::vector<int> Only(int issues, int first, int last, int copies) {
    std::vector<int> v(static_cast<std::size_t>(issues), 0);
    for (int i = first; i <= last; ++i) v[static_cast<std::size_t>(i - 1)] = copies;
    return v;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ArrivalScheduleTest : public test::RunnerTest {
protected:
    // Register rows as code, mark, text, in byte order.
    std::vector<std::vector<std::string>> Register() {
        auto rows = Rows("select qs_code, qs_mark, qs_notice from lib_bkqs");
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // The register text of the one row of a code; "none" when it has no row.
    std::string RegisterRowOf(const std::string& code) {
        auto texts = Column("select qs_notice from lib_bkqs where qs_code = '" + code + "'");
        if (texts.empty()) return "none";
        EXPECT_EQ(texts.size(), 1u) << code;
        return texts.front();
    }
};

TEST_F(ArrivalScheduleTest, EveryPeriodWordOfTheOldestLayoutGetsItsSchedule) {
    StartRunner(test::kOldestLayout);
    if (IsSkipped()) return;
    EXPECT_NO_THROW(runner->DoQianDao());
    EXPECT_TRUE(recorder.boxes.empty()) << recorder.boxes[0].text;

    // 1-014 has a 2007 row starting at 08:30 on 1 March and a 2006 row ending 28 February 2007;
    // the 2007 row comes first. 1-011 (日), 1-012 (empty), 1-013 (NULL period), 1-017 (NULL
    // mark) and 1-018 (NULL start) get no row; 1-099 has no subscription and keeps its row.
    EXPECT_EQ(Register(), (std::vector<std::vector<std::string>>{
                              {"1-001", "01", Notice({2})},
                              {"1-002", "01", Notice(Join(Same(12, 3), Same(12, 4)))},  // 半月 2008
                              {"1-003", "01", Notice(Same(12, 2))},                     // 月 2004
                              {"1-004", "01", Notice({3, 5, 3, 3})},                    // 季 2008
                              {"1-005", "01", Notice(Same(6, 1))},                      // 双月
                              {"1-006", "02", Notice(Same(2, 2))},                      // 半年
                              {"1-007", "01", Notice(Same(36, 1))},                     // 旬
                              {"1-008", "01", Notice(Same(52, 1))},  // 周, leap year
                              {"1-009", "01", Notice(Same(26, 1))},  // 双周, leap year
                              {"1-010", "01", Notice(Same(52, 1))},  // 每周
                              {"1-014", "01", Notice(Join({5, 5, 0}, Same(9, 2)))},
                              {"1-019", "01", Notice(Only(12, 5, 9, 1))},  // May to September
                              {"1-099", "01", "NULL"},
                              {"O'K-016", "A'", Notice({1})}}));
    EXPECT_FALSE(recorder.barVisible);
}

TEST_F(ArrivalScheduleTest, SendsEachStatementAsWrittenWithQuotesDoubled) {
    StartRunner(test::kOldestLayout, "delete from lib_bkzd where zd_code <> 'O''K-016'\n");
    if (IsSkipped()) return;
    const auto mark = TraceMark();
    runner->DoQianDao();

    EXPECT_EQ(
        TracedSince(mark),
        (std::vector<std::string>{
            "select count(*) as iCount from lib_bkqs \r\nwhere qs_notice like 'FORMAT%'\r\n",
            "select zd_code,zd_mark from lib_bkzd \r\ngroup by zd_code,zd_mark\r\norder by "
            "zd_code,zd_mark\r\n",
            "select zd_bdate,zd_period from lib_bkzd \r\nwhere zd_code='O''K-016'\r\n  and "
            "zd_mark='A'''\r\n",
            "delete from lib_bkqs \r\nwhere qs_code='O''K-016'\r\n  and qs_mark='A'''\r\n",
            "select sum(zd_number) as iCount from lib_bkzd \r\nwhere zd_code='O''K-016'\r\n"
            "  and zd_mark='A'''\r\n  and zd_bdate<='2008-01-01'\r\n  and "
            "zd_edate>='2008-01-01'\r\n",
            "insert into lib_bkqs(qs_code,qs_mark,qs_notice)values( \r\n'O''K-016',\r\n'A''',\r\n"
            "'FORMAT1,0,1,0,,,;')\r\n"}));
}

// Check dates that only a right day count hits: the subscription covers exactly one day, and a
// first row of 7 copies starting and ending at 09:00 on 1 January (after midnight: never counted)
// gives the schedule year.
struct OneDayCase {
    const char* period;
    const char* year;
    const char* day;  // the one-day subscription of 1 copy
    int issues;
    int first, last;  // the issues whose check date is that day
};
void PrintTo(const OneDayCase& c, std::ostream* out) { *out << c.period << " " << c.day; }

class OneDayScheduleTest : public ArrivalScheduleTest,
                           public testing::WithParamInterface<OneDayCase> {};

TEST_P(OneDayScheduleTest, CountsTheCopiesAtTheIssuesCheckDatesOnly) {
    const OneDayCase& c = GetParam();
    const std::string insert =
        "insert into lib_bkzd (zd_code, zd_mark, zd_period, zd_bdate, zd_edate, zd_number) values ";
    StartRunner(test::kOldestLayout, "delete from lib_bkzd\n" + insert + "('T-1', '01', '" +
                                         c.period + "', '" + c.year + "-01-01 09:00', '" + c.year +
                                         "-01-01 09:00', 7)\n" + insert + "('T-1', '01', '" +
                                         c.period + "', '" + c.day + "', '" + c.day + "', 1)\n");
    if (IsSkipped()) return;
    runner->DoQianDao();
    EXPECT_EQ(RegisterRowOf("T-1"), Notice(Only(c.issues, c.first, c.last, 1)));
}

INSTANTIATE_TEST_SUITE_P(
    Dates, OneDayScheduleTest,
    testing::Values(
        // In a leap year one weekly gap is 8 days: issue 26 on 24 June, 27 on 2 July.
        OneDayCase{"周", "2008", "2008-06-24", 52, 26, 26},
        OneDayCase{"周", "2008", "2008-07-02", 52, 27, 27},
        OneDayCase{"双周", "2008", "2008-12-17", 26, 26, 26},
        OneDayCase{"旬", "2007", "2007-12-01", 36, 34, 36},
        OneDayCase{"半月", "2007", "2007-02-01", 24, 3, 4},
        OneDayCase{"半年", "2007", "2007-07-01", 2, 2, 2}));

TEST_F(ArrivalScheduleTest, HalfMonthlyIssuesShareTheFirstOfTheirMonth) {
    StartRunner(test::kOldestLayout,
                "delete from lib_bkzd\n"
                "insert into lib_bkzd (zd_code, zd_mark, zd_period, zd_bdate, zd_edate, zd_number)"
                " values ('T-2', '01', '半月', '2007-01-01', '2007-01-01', 2)\n"
                "insert into lib_bkzd (zd_code, zd_mark, zd_period, zd_bdate, zd_edate, zd_number)"
                " values ('T-2', '01', '半月', '2007-11-30', '2007-12-01', 3)\n");
    if (IsSkipped()) return;
    runner->DoQianDao();
    EXPECT_EQ(RegisterRowOf("T-2"), Notice(Join(Only(22, 1, 2, 2), {3, 3})));
}

TEST_F(ArrivalScheduleTest, AFormatRowAlreadyThereStopsTheJobAtTheGuard) {
    StartRunner(
        test::kOldestLayout,
        "insert into lib_bkqs (qs_code, qs_mark, qs_notice) values ('9-999', '01', 'FORMAT')\n");
    if (IsSkipped()) return;
    const auto before = Register();
    const auto mark = TraceMark();
    runner->DoQianDao();

    EXPECT_EQ(TracedSince(mark).size(), 1u);
    EXPECT_EQ(Register(), before);
    EXPECT_EQ(recorder.barPositions, (std::vector<int>{10}));
    EXPECT_FALSE(recorder.barVisible);
}

TEST_F(ArrivalScheduleTest, AnEmptySubscriptionTableLeavesTheRegisterAsItWas) {
    StartRunner(test::kOldestLayout, "delete from lib_bkzd\n");
    if (IsSkipped()) return;
    const auto before = Register();
    runner->DoQianDao();

    EXPECT_EQ(Register(), before);
    EXPECT_EQ(recorder.barPositions, (std::vector<int>{10}));
    EXPECT_FALSE(recorder.barVisible);
}

}  // namespace
}  // namespace kavel
