// The shared progress bar pgbBar and the message pump of the long loops. Loops advance the bar
// once per item and wrap from its maximum back to 1, so it keeps moving however long the loop.

#include <QProgressBar>

#include "TApplication.h"
#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::ShowBar() { pgbBar->show(); }

void TUpKavelMain::SetBar(int position) { pgbBar->setValue(position); }

void TUpKavelMain::AdvanceBar() {
    if (pgbBar->value() >= pgbBar->maximum()) {
        pgbBar->setValue(1);
    } else {
        pgbBar->setValue(pgbBar->value() + 1);
    }
}

void TUpKavelMain::HideBar() { pgbBar->hide(); }

void TUpKavelMain::PumpMessages() { Application.ProcessMessages(); }

}  // namespace kavel
