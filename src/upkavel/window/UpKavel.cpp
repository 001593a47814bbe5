// Program entry of the upgrade utility. No command-line options; the exit code is 0 on every
// path, also when the connection fails (the user has seen the error box by then).

#include <QApplication>
#include <QIcon>

#include "StartUp.h"
#include "TApplication.h"
#include "unTools.h"

int main(int argc, char** argv) {
    kavel::ConnectGate.clear();
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(":/upkavel/UpKavel.png"));
    kavel::StartUp();
    kavel::Application.Run();
    kavel::Application.DestroyComponents();
    return 0;
}
