// The form's picture of the runner's progress bar, and the message pump of the long loops.
//
// The value changes at every item, but the picture does not: each change of a 0..100 bar is a
// synchronous repaint, a round trip to the display (0.3 to 0.7 ms on X11), which cost more than
// the item's own statement. Within a loop the bar is painted at most every kBarPaintInterval;
// the value a test or a later paint reads is always the current one.

#include <QProgressBar>

#include "TApplication.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

// 25 pictures a second: smooth to the eye, and about 1% of the time of a loop of fast items.
constexpr qint64 kBarPaintIntervalMs = 40;

}  // namespace

void TUpKavelMain::PrepareBarPainting() {
    barCatchUp_.setSingleShot(true);
    barCatchUp_.setInterval(static_cast<int>(kBarPaintIntervalMs));
    connect(&barCatchUp_, &QTimer::timeout, pgbBar, [this] { pgbBar->setUpdatesEnabled(true); });
}

void TUpKavelMain::MoveBar(int position, bool paintNow) {
    paintNow = paintNow || !barPainted_.isValid() || barPainted_.elapsed() >= kBarPaintIntervalMs;
    // With updates off, setValue skips its repaint; turning them on again schedules one.
    pgbBar->setUpdatesEnabled(paintNow);
    pgbBar->setValue(position);
    if (paintNow) {
        barPainted_.start();
        barCatchUp_.stop();
    } else if (!barCatchUp_.isActive()) {
        barCatchUp_.start();
    }
}

void TUpKavelMain::ShowBar() {
    pgbBar->setUpdatesEnabled(true);
    pgbBar->show();
}

void TUpKavelMain::SetBar(int position) { MoveBar(position, true); }

void TUpKavelMain::AdvanceBar(int position) { MoveBar(position, false); }

void TUpKavelMain::HideBar() {
    pgbBar->setUpdatesEnabled(true);
    pgbBar->hide();
}

void TUpKavelMain::PumpMessages() { Application.ProcessMessages(); }

}  // namespace kavel
