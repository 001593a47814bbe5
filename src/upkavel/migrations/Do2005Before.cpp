// The baseline step: brings a database of the oldest layout up to the level step 2005-03 starts
// from. No version marker: every action carries its own guard (or none), so the step may run
// again on a database it has already upgraded.

#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::Do2005Before() {
    BaselinePrintTables();
    BaselineParametersAndReaders();
    BaselineCatalogueAndIssn();
    BaselineMenusAndWorkTables();
}

}  // namespace kavel
