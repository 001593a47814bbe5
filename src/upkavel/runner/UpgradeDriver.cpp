// The upgrade driver: every dated step in date order, then the three markers that record this
// upgrade, then the success box. Each step decides through its own probes and marker which of its
// actions are still needed, so the whole sequence may run again on the same database.

#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::RunStep(const char* name, void (TUpgradeRunner::*step)()) {
    // Step 2005-03 runs the baseline from inside itself; afterwards it is 2005-03 again.
    const std::string enclosing = currentStep_;
    currentStep_ = name;
    progress_.StepStarted(name);
    (this->*step)();
    currentStep_ = enclosing;
}

void TUpgradeRunner::RunUpgrade(bool withEarlier) {
    currentStep_.clear();
    failedStatement_.clear();
    EnsureLedger();
    progress_.ShowWorking();
    currentStep_ = "recovery";
    RecoverWorkTables();
    currentStep_.clear();
    if (withEarlier) RunStep("baseline", &TUpgradeRunner::Do2005Before);
    RunStep("2005-03", &TUpgradeRunner::Do2005_03);
    RunStep("2007-03-12", &TUpgradeRunner::Do2007_03_12);
    RunStep("2007-11-03", &TUpgradeRunner::Do2007_11_03);
    RunStep("2007-12-03", &TUpgradeRunner::Do2007_12_03);
    RunStep("2010-05-11", &TUpgradeRunner::Do2010_05_11);
    RunStep("2010-12-30", &TUpgradeRunner::Do2010_12_30);
    RunStep("2012-03-15", &TUpgradeRunner::Do2012_03_15);
    CheckVerSign("ZZ20130901.VERUP");
    CheckVerSign("ZZ20150325.YIGONG");
    CheckVerSign("ZZ20170109.SFZ");
    messages_.Show(kSuccessText, kInfoCaption, mb::kOk | mb::kIconInformation);
    progress_.HideWorking();
}

}  // namespace kavel
