// The progress bar's position and the message pump, kept by the runner and drawn by whichever
// front end runs it. Loops advance the bar once per item and wrap from its maximum back to 1, so
// it keeps moving however long the loop.

#include "UpgradeRunner.h"

namespace kavel {
namespace {

constexpr int kBarMaximum = 100;

}  // namespace

void TUpgradeRunner::ShowBar() { progress_.ShowBar(); }

void TUpgradeRunner::SetBar(int position) {
    barPosition_ = position;
    progress_.SetBar(position);
}

void TUpgradeRunner::AdvanceBar() {
    barPosition_ = barPosition_ >= kBarMaximum ? 1 : barPosition_ + 1;
    progress_.AdvanceBar(barPosition_);
}

void TUpgradeRunner::HideBar() { progress_.HideBar(); }

void TUpgradeRunner::PumpMessages() { progress_.PumpMessages(); }

}  // namespace kavel
