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

// A register row in the new layout stops the job at its guard (it ran before); an empty
// subscription table gives it nothing to do. Either way the register stays as it was.
TEST_F(ArrivalScheduleTest, AFormatRowOrNoSubscriptionLeavesTheRegisterAsItWas) {
    for (const char* extraSql :
         {"insert into lib_bkqs (qs_code, qs_mark, qs_notice) values ('9-999', '01', 'FORMAT')\n",
          "delete from lib_bkzd\n"}) {
        SCOPED_TRACE(extraSql);
        StartStandinOn(test::kOldestLayout, extraSql);
        if (IsSkipped()) return;
        TUpgradeRunner job(database, recorder, recorder);
        const auto before = Register();
        const auto mark = TraceMark();
        recorder = {};
        job.DoQianDao();
        const auto sent = TracedSince(mark);
        EXPECT_EQ(Register(), before);
        EXPECT_EQ(recorder.barPositions, (std::vector<int>{10}));
        EXPECT_FALSE(recorder.barVisible);
        if (extraSql[0] == 'i') {
            EXPECT_EQ(sent.size(), 1u);  // the guard alone
        }
        database.Close();
    }
}

}  // namespace
}  // namespace kavel
