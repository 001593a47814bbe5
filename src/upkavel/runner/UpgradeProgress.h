#pragma once
// What a run shows while it works, as the upgrade's steps and jobs report it: the working label
// of the driver, the shared progress bar (range 0 to 100) and the message pump of the long loops,
// plus the step and marker events a front end may print. The window draws them with its
// controls; the console program prints lines. Every call comes on the thread running the upgrade.

#include <cstddef>
#include <string>

namespace kavel {

class UpgradeProgress {
public:
    virtual ~UpgradeProgress() = default;

    // The working label "正在处理......": shown once the ledger stands, hidden after the success
    // box; a failed run leaves it shown.
    virtual void ShowWorking() = 0;
    virtual void HideWorking() = 0;

    virtual void ShowBar() = 0;
    // The bar set to `position` by a step (5, 10, 25 ...).
    virtual void SetBar(int position) = 0;
    // One item of a long loop done; the bar is now at `position` (up by one, wrapping from 100
    // back to 1).
    virtual void AdvanceBar(int position) = 0;
    virtual void HideBar() = 0;

    // Once per item of a long loop: lets pending window messages run.
    virtual void PumpMessages() = 0;
    // A walk over `rows` rows starts; each row pumps once.
    virtual void LoopStarted(std::size_t rows) { (void)rows; }

    // A dated step starts ("2005-03", "2007-03-12" ..., "baseline" for the baseline step).
    virtual void StepStarted(const std::string& step) { (void)step; }
    // What the recovery before the steps did to a rebuild an interruption left half done.
    virtual void Recovered(const std::string& what) { (void)what; }
    // `marker` was absent and has just been recorded in ver_manage.
    virtual void MarkerRecorded(const std::string& marker) { (void)marker; }
};

}  // namespace kavel
