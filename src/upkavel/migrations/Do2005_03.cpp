// Step 2005-03: the first dated step, run on every upgrade. No version marker: each action has
// its own table, column or row probe, so a second run sends probes and the two menu inserts
// (391, 399) only, and those insert nothing when their row is there.

#include "Step2005_03.h"
#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::Do2005_03() {
    step2005_03::AddedColumns(*this);
    step2005_03::PrintCounterTables(*this);
    step2005_03::CallNumberSortKey(*this);
    step2005_03::MenusFinesAndLending(*this);
}

}  // namespace kavel
