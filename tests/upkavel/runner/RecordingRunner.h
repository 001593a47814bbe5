#pragma once
// The upgrade runner on a stand-in database of its own, without a window: a recorder stands where
// the window would draw the working label and the bar and show the boxes, and the runner gets a
// program folder of its own (so tests running in parallel never share issn.dat).

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StandinDatabase.h"
#include "UpgradeMessages.h"
#include "UpgradeProgress.h"
#include "UpgradeRunner.h"

namespace kavel::test {

// The box of a run that went to the end.
inline const std::string kSuccess = "Kavel升级成功，请更新Kavel.exe";

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned flags = 0;
};

// What the window would show, in the order the runner asked for it. The bar keeps its value
// across ShowBar and HideBar as a progress bar does, and barPositions lists the values it takes:
// a position equal to the one it already shows is no move and is not listed.
class RecordingRunner : public UpgradeProgress, public UpgradeMessages {
public:
    std::vector<ShownBox> boxes;
    bool workingVisible = false;
    bool barVisible = false;
    int barValue = 0;
    std::vector<int> barPositions;
    std::size_t pumps = 0;
    std::vector<std::string> recovered;

    // Optional hooks, to look at the runner or the database at that moment.
    std::function<void(int)> onBarMoved;  // after barPositions took the new value
    std::function<void()> onPump;

    void ShowWorking() override;
    void HideWorking() override;
    void ShowBar() override;
    void SetBar(int position) override;
    void AdvanceBar(int position) override;
    void HideBar() override;
    void PumpMessages() override;
    // Steps, markers and loops are the console's lines, checked there.
    void LoopStarted(std::size_t) override {}
    void StepStarted(const std::string&) override {}
    void Recovered(const std::string& what) override;
    void MarkerRecorded(const std::string&) override {}

    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

private:
    void MoveBar(int position);
};

class RunnerTest : public StandinDatabaseTest {
protected:
    void TearDown() override;

    // A stand-in on a sample database of tests/fixtures/ plus `extraSql`, and the runner on it.
    void StartRunner(const std::string& fixture, const std::string& extraSql = {});
    // The runner on `database` once a Start... of StandinDatabaseTest has connected it, with the
    // program folder of this test (created here).
    void AttachRunner();

    // RunUpgrade(withEarlier) as the upgrade button runs it; the text of the error that ended the
    // run, empty when it went to the end.
    std::string RunUpgradeFailure(bool withEarlier);

    // Writes a file of that name into the program folder.
    void WriteFile(const char* name, const std::string& bytes) const;

    // The markers of ver_manage, trimmed, in byte order.
    std::vector<std::string> Ledger();
    // The statements received since `mark` that begin with `prefix`.
    std::vector<std::string> SentSince(std::size_t mark, const std::string& prefix) const;

    std::filesystem::path folder;  // empty until AttachRunner
    RecordingRunner recorder;
    std::unique_ptr<TUpgradeRunner> runner;
};

}  // namespace kavel::test
