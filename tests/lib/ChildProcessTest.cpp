// Child processes: what a child leaves in its group goes with it (at its end and at the time
// limit), its captured output stays bounded, our ignored signals are not its, and a program
// that cannot start says why.
#include "ChildProcess.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

using zorv::ChildOutput;
using zorv::ChildRun;
using zorv::RunChild;

namespace {

constexpr int kGoneWithinMs = 5000;

ChildRun RunShell(const QString& script, int timeLimitMs = 10000) {
    return RunChild({.program = QStringLiteral("/bin/sh"),
                     .arguments = {QStringLiteral("-c"), script},
                     .output = ChildOutput::Capture},
                    timeLimitMs);
}

// Gone, or a zombie that only waits to be reaped, within a few seconds.
bool EndsSoon(qint64 pid) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            return true;
        const QByteArray stat = zorv::test::ReadFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const qsizetype close = stat.lastIndexOf(')');
        if (close > 0 && stat.mid(close + 2, 1) == "Z")
            return true;
        if (clock.elapsed() > kGoneWithinMs)
            return false;
        QThread::msleep(20);
    }
}

TEST(ChildProcess, WhatItLeftInItsGroupEndsWithIt) {
    const ChildRun run = RunShell(QStringLiteral("sleep 60 & echo $!"));
    ASSERT_EQ(run.status, ChildRun::Status::Finished);
    EXPECT_EQ(run.exitCode, 0);
    const qint64 left = run.output.trimmed().toLongLong();
    ASSERT_GT(left, 0) << run.output.constData();
    EXPECT_TRUE(EndsSoon(left));
}

TEST(ChildProcess, TheTimeLimitEndsTheWholeGroup) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("pid"));
    QElapsedTimer clock;
    clock.start();
    const ChildRun run =
        RunShell(QStringLiteral("sleep 60 & echo $! > '%1'; sleep 60").arg(pidFile), 500);
    EXPECT_EQ(run.status, ChildRun::Status::TimedOut);
    EXPECT_LT(clock.elapsed(), 10000);
    const qint64 left = zorv::test::ReadFile(pidFile).trimmed().toLongLong();
    ASSERT_GT(left, 0);
    EXPECT_TRUE(EndsSoon(left));
}

TEST(ChildProcess, CapturedOutputStopsAtTheCap) {
    const ChildRun run = RunShell(QStringLiteral("head -c 1000000 /dev/zero"));
    ASSERT_EQ(run.status, ChildRun::Status::Finished);
    EXPECT_EQ(run.output.size(), zorv::kChildOutputCap);
}

TEST(ChildProcess, SignalsWeIgnoreAreNotIgnoredByTheChild) {
    const auto previous = ::signal(SIGTERM, SIG_IGN);
    const ChildRun run = RunShell(QStringLiteral("kill -TERM $$; echo survived"));
    ::signal(SIGTERM, previous);
    ASSERT_EQ(run.status, ChildRun::Status::Finished);
    EXPECT_EQ(run.exitCode, -1) << "ended by the signal";
    EXPECT_FALSE(run.output.contains("survived"));
}

TEST(ChildProcess, AProgramThatCannotStartSaysWhy) {
    const ChildRun run = RunChild({.program = QStringLiteral("/nonexistent/program")}, 1000);
    EXPECT_EQ(run.status, ChildRun::Status::NotStarted);
    EXPECT_FALSE(run.error.isEmpty());
}

} // namespace
