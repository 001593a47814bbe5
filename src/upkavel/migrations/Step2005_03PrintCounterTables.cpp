// Actions 8-9 of step 2005-03: the two counter tables the main program prints from. They differ
// only in how many numbered counters they hold (31 days, 12 months). No key, no rows.

#include <string>

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// p4_id, p4_dzlx, the counters p4_1 .. p4_<counters>, p4_total.
TableDecl PrintCounterTable(const std::string& name, int counters) {
    TableDecl table{
        name,
        {Column("p4_id", "numeric(2,0)").NotNull(), Column("p4_dzlx", "char(10)").Default("''")},
        ""};
    for (int i = 1; i <= counters; ++i)
        table.columns.push_back({"p4_" + std::to_string(i), "numeric(6,0)", "", "0"});
    table.columns.push_back(Column("p4_total", "numeric(6,0)").Default("0"));
    return table;
}

}  // namespace

void TUpgradeRunner::PrintCounterTables2005_03() {
    static const TableDecl kByDay = PrintCounterTable("lib_prttab4new", 31);
    static const TableDecl kByMonth = PrintCounterTable("lib_prttab4anew", 12);

    // 8. Counters per day of the month.
    CreateTableIfMissing(kByDay);

    // 9. Counters per month of the year.
    CreateTableIfMissing(kByMonth);
}

}  // namespace kavel
