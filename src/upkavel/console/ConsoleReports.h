#pragma once
// The console program's picture of a run: a line when a step starts and when a marker is
// recorded, a progress line on the long loops (rows done, of how many when known, and rows per
// second), redrawn in place on a terminal and printed every few seconds otherwise, and the text
// of each message box.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

#include "UpgradeMessages.h"
#include "UpgradeProgress.h"

namespace kavel {

class ConsoleReports : public UpgradeProgress, public UpgradeMessages {
public:
    // Writes to `out`; `terminal` says whether it is one (progress is then redrawn in place).
    ConsoleReports(std::FILE* out, bool terminal);

    void ShowWorking() override {}
    void HideWorking() override {}
    void ShowBar() override;
    void SetBar(int) override {}
    void AdvanceBar(int) override {}
    void HideBar() override {}
    void PumpMessages() override;
    void LoopStarted(std::size_t rows) override;
    void StepStarted(const std::string& step) override;
    void MarkerRecorded(const std::string& marker) override;
    void Recovered(const std::string& what) override;

    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

    // Ends a progress line in the middle, so whatever is printed next starts on a line of its own.
    void EndProgressLine();

private:
    using Clock = std::chrono::steady_clock;

    void PrintProgress(Clock::time_point now);

    std::FILE* out_;
    bool terminal_;
    std::string step_;
    std::size_t done_ = 0;
    std::size_t total_ = 0;  // 0: not known
    Clock::time_point loopStart_;
    Clock::time_point lastPrinted_;
    bool lineOpen_ = false;  // a redrawn progress line is on the screen without its line end
};

}  // namespace kavel
