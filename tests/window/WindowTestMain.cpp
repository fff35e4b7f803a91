// Entry point of the widget tests: a QApplication on the offscreen platform, also when the
// test list is read at build time.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The private temporary folder then follows each test's TMPDIR.
    qunsetenv("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
