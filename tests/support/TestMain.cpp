// Test entry point: a QCoreApplication exists for every test, so that event-loop code
// (waits, timers, processes) runs as in the programs.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The private temporary folder then follows each test's TMPDIR.
    qunsetenv("XDG_RUNTIME_DIR");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
