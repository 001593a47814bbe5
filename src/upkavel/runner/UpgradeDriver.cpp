// The upgrade driver: every dated step in date order, then the three markers that record this
// upgrade, then the success box. Each step decides through its own probes and marker which of its
// actions are still needed, so the whole sequence may run again on the same database.

#include <cstdio>
#include <exception>

#include "UpgradeRunner.h"

namespace kavel {

namespace {

std::string Seconds(std::chrono::steady_clock::time_point since) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s",
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count());
    return text;
}

}  // namespace

void TUpgradeRunner::RunStep(const char* name, void (TUpgradeRunner::*step)()) {
    // Step 2005-03 runs the baseline from inside itself; afterwards it is 2005-03 again.
    const std::string enclosing = currentStep_;
    currentStep_ = name;
    progress_.StepStarted(name);
    Journal(std::string("step ") + name + " started");
    const auto start = std::chrono::steady_clock::now();
    const long long statementsBefore = statements_;
    (this->*step)();
    // The statements of a step that ran another inside it (2005-03 the baseline) include those.
    Journal(std::string("step ") + name + " done in " + Seconds(start) + ", " +
            std::to_string(statements_ - statementsBefore) + " statements");
    currentStep_ = enclosing;
}

void TUpgradeRunner::RunUpgrade(bool withEarlier) {
    currentStep_.clear();
    failedStatement_.clear();
    const auto start = std::chrono::steady_clock::now();
    const long long statementsBefore = statements_;
    const auto totals = [&] {
        return "after " + Seconds(start) + " and " +
               std::to_string(statements_ - statementsBefore) + " statements";
    };
    try {
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
    } catch (const std::exception& e) {
        Journal("upgrade FAILED" + (currentStep_.empty() ? "" : " in step " + currentStep_) + " " +
                totals() + ": " + e.what());
        throw;
    }
    Journal("upgrade succeeded " + totals());
    messages_.Show(kSuccessText, kInfoCaption, mb::kOk | mb::kIconInformation);
    progress_.HideWorking();
}

}  // namespace kavel
