// ZorvQarn: the window program. It loads the one window and runs until Close ends it or the
// window is closed; a failure while loading is reported and ends it before the window shows.
#include "MessageBoxes.h"
#include "frmZorvQarn.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zorvqarn/ZorvQarn.xpm")));
    zorv::InstallMessageBoxes();

    zorv::frmZorvQarn window;
    if (!window.LoadReportingErrors())
        return 1;
    window.show();
    return QApplication::exec();
}
