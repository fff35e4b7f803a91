// Saves a picture of the main window with both boxes filled, for people to look at; run by
// scripts/window-snapshot.sh. Not a test: nothing is checked. The window reads its settings
// from a temporary home of its own, so the picture is the same on every machine.
#include "RegFuncs.h"
#include "frmZorvQarn.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace zorv;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_snapshot FILE.png\n");
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("TMPDIR", QFile::encodeName(home.path()));
    qunsetenv("XDG_RUNTIME_DIR");
    SetRegistryHivePath(home.filePath("registry.reg"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    frmZorvQarn window(WindowServices{}); // nothing is browsed or opened
    window.Form_Load();
    window.findChild<QLineEdit*>("txtInputResume")
        ->setText("/home/recruiter/resumes/candidate resume.pdf");
    window.findChild<QLineEdit*>("txtResumeTemplate")
        ->setText("/home/recruiter/templates/Standard.docx");
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) ||
        !window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "window_snapshot: %s could not be written\n", argv[1]);
        return 1;
    }
    return 0;
}
