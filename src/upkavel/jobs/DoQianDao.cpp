// The expected-arrival schedule: rewrites the arrival register lib_bkqs in the "FORMAT" layout,
// one row per subscription pair (zd_code, zd_mark) of lib_bkzd, listing the copies expected of
// each issue of the subscription's year. One-shot: once any "FORMAT" row exists the job does
// nothing, so it must never stop half way on a pair's data.
//
// qrTmp walks the pairs; every other statement runs on qrTmp1.

#include "DoubleQuotes.h"
#include "PeriodSchedule.h"
#include "Trim.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// The year of a datetime in the driver's text form "yyyy-mm-dd hh:mm:ss..."; 0 when the text
// does not start with one.
int YearOf(const std::string& datetime) {
    if (datetime.size() < 4) return 0;
    int year = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (datetime[i] < '0' || datetime[i] > '9') return 0;
        year = year * 10 + (datetime[i] - '0');
    }
    return year;
}

}  // namespace

void TUpgradeRunner::DoQianDao() {
    // 1. The bar at 10.
    ShowBar();
    SetBar(10);

    // 2. Guard: a register row in the new layout means the conversion was done.
    int formatRows = 0;
    LookUp(qrTmp1, {"select count(*) as iCount from lib_bkqs ", "where qs_notice like 'FORMAT%'"},
           [&] { formatRows = qrTmp1.FieldByName("iCount").AsInteger(); });
    if (formatRows > 0) {
        HideBar();
        return;
    }

    // 3. Every distinct pair once, by code, then mark.
    Walk(qrTmp,
         {"select zd_code,zd_mark from lib_bkzd ", "group by zd_code,zd_mark",
          "order by zd_code,zd_mark"},
         [&] {
             // 4.1 The window stays responsive.
             PumpMessages();
             // A NULL mark reads as empty; it then matches no subscription row.
             const std::string code = TrimmedField(qrTmp, "zd_code");
             const std::string mark = TrimmedField(qrTmp, "zd_mark");

             // 4.2 Year and period word of the pair's first row. A row without a start date
             // gives no year: the pair then has no issues, like an empty period word.
             std::string period;
             int year = 0;
             LookUp(qrTmp1,
                    {"select zd_bdate,zd_period from lib_bkzd ", "where zd_code=" + Quoted(code),
                     "  and zd_mark=" + Quoted(mark)},
                    [&] {
                        period = TrimmedField(qrTmp1, "zd_period");
                        year = YearOf(qrTmp1.FieldByName("zd_bdate").AsString());
                    });

             // 4.3 The pair's old register rows go, whatever its period.
             RunSql(qrTmp1, {"delete from lib_bkqs ", "where qs_code=" + Quoted(code),
                             "  and qs_mark=" + Quoted(mark)});

             // 4.4 - 4.7 The schedule text, counting the copies at each issue's check date.
             const int issues = year > 0 ? IssueCount(period) : 0;
             const std::string notice = ScheduleNotice(year, issues, [&](const CalendarDate& date) {
                 const std::string day = IsoDate(date);
                 long long copies = 0;
                 LookUp(qrTmp1,
                        {"select sum(zd_number) as iCount from lib_bkzd ",
                         "where zd_code=" + Quoted(code), "  and zd_mark=" + Quoted(mark),
                         "  and zd_bdate<=" + Quoted(day), "  and zd_edate>=" + Quoted(day)},
                        [&] { copies = qrTmp1.FieldByName("iCount").AsInteger(); });
                 return copies;
             });

             // 4.8 A pair without issues is left without register rows.
             if (notice != "FORMAT") {
                 RunSql(qrTmp1,
                        {"insert into lib_bkqs(qs_code,qs_mark,qs_notice)values( ",
                         Quoted(code) + ",", Quoted(mark) + ",", Quoted(Trim(notice)) + ")"});
             }

             // 4.9 One step of the bar per pair.
             AdvanceBar();
         });

    // 5. Done.
    HideBar();
}

}  // namespace kavel
