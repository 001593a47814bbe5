// Step 2005-03: the first dated step, run on every upgrade. No version marker: each action has
// its own table, column or row probe, so a second run sends probes and the two menu inserts
// (391, 399) only, and those insert nothing when their row is there.

#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::Do2005_03() {
    AddedColumns2005_03();
    PrintCounterTables2005_03();
    CallNumberSortKey2005_03();
    MenusFinesAndLending2005_03();
}

}  // namespace kavel
