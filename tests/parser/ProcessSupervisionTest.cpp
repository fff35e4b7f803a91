// Ending hung parser processes: by executable name over the process list, or through the
// ZorvKPN utility when the system folder has it; and the processes a server starts ending
// with it.
#include "ParserTestSupport.h"
#include "ProcessList.h"
#include "clsProcessResume.h"
#include "modProcessResume.h"

#include <QElapsedTimer>

using namespace zorv;
using zorv::test::ParserTest;

namespace {

class Supervision : public ParserTest {};

TEST_F(Supervision, KillProcessByNameEndsNamesEndingInItInAnyCase) {
    const qint64 upper = StartBystander(QStringLiteral("SLEEPZORVPR"));
    const qint64 exact = StartBystander(QStringLiteral("ZorvPr"));
    const qint64 longer = StartBystander(QStringLiteral("ZorvPrSleep"));
    KillProcessByName(QStringLiteral("ZorvPr"));
    EXPECT_TRUE(test::ProcessEnds(upper));
    EXPECT_TRUE(test::ProcessEnds(exact));
    EXPECT_TRUE(test::ProcessAlive(longer));
}

// Another run's server (its client, here a shell, is alive) is left alone; so a time-out,
// or this test, never ends the servers of other runs.
TEST_F(Supervision, KillProcessByNameSparesServersOfAnotherLiveClient) {
    const qint64 own = StartBystander(QStringLiteral("OwnZorvPr"));
    const QString exe = Path(QStringLiteral("OtherRunZorvPr"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), exe));
    QFile::setPermissions(exe, QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    QProcess client;
    client.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("'%1' 100 & echo $!; wait").arg(exe)});
    ASSERT_TRUE(client.waitForReadyRead(3000));
    const qint64 other = client.readLine().trimmed().toLongLong();
    ASSERT_GT(other, 0);
    KillProcessByName(QStringLiteral("ZorvPr"));
    EXPECT_TRUE(test::ProcessEnds(own));
    EXPECT_TRUE(test::ProcessAlive(other));
    TerminateProcessNow(other);
    client.waitForFinished(3000);
}

TEST_F(Supervision, KillProcessByNameWithNoNameEndsNothing) {
    const qint64 pid = StartBystander(QStringLiteral("idleZorvPr"));
    KillProcessByName(QString());
    QThread::msleep(100);
    EXPECT_TRUE(test::ProcessAlive(pid));
}

TEST_F(Supervision, SnapshotNamesTheExecutable) {
    const qint64 pid = StartBystander(QStringLiteral("SnapshotZorvPr"));
    bool found = false;
    for (const ProcessEntry& e : ProcessSnapshot())
        found = found || (e.pid == pid && e.exeName == QStringLiteral("SnapshotZorvPr"));
    EXPECT_TRUE(found);
}

TEST_F(Supervision, TimeOutWithTheUtilityStartsItOnceAndEndsNothingByName) {
    const QString record = Path(QStringLiteral("kpn-calls"));
    const QString utility = Path(QStringLiteral("system/ZorvKPN"));
    ASSERT_TRUE(
        test::WriteFile(utility, "#!/bin/sh\necho \"$@\" >> '" + record.toLocal8Bit() + "'\n"));
    QFile::setPermissions(utility,
                          QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    UseFaults(QStringLiteral("hang,fake"));
    const qint64 other = StartBystander(QStringLiteral("OtherZorvPr"));
    clsProcessResume pr(Programs());
    pr.ResumeFileName = WriteResume(QStringLiteral("a.txt"), "x");
    pr.TimeOutSeconds = 1;
    EXPECT_TRUE(pr.ProcessResume(QStringLiteral("Convert")));
    EXPECT_TRUE(test::ProcessAlive(other));
    EXPECT_EQ(test::ReadFile(record), QByteArray("ZorvPr\n"));
}

TEST_F(Supervision, AUtilityThatCannotStartEndsTheActionAsFailed) {
    const QString utility = Path(QStringLiteral("system/ZorvKPN"));
    ASSERT_TRUE(test::WriteFile(utility, "not a program"));
    QFile::setPermissions(utility, QFileDevice::ReadOwner); // not executable
    UseFaults(QStringLiteral("hang"));
    clsProcessResume pr(Programs());
    pr.ResumeFileName = WriteResume(QStringLiteral("a.txt"), "x");
    pr.TimeOutSeconds = 0;
    EXPECT_FALSE(pr.ProcessResume(QStringLiteral("Convert")));
    EXPECT_TRUE(pr.ErrMsg.contains(QStringLiteral("ZorvKPN"))) << qPrintable(pr.ErrMsg);
    EXPECT_EQ(ServerPids().size(), 1u);
}

TEST_F(Supervision, WhatAServerStartedEndsWithIt) {
    UseFaults(QStringLiteral("child"));
    auto pr = std::make_unique<clsProcessResume>(Programs());
    pr->ResumeFileName = WriteResume(QStringLiteral("a.txt"), "x");
    // The child's output went to standard error, not into the protocol.
    ASSERT_TRUE(pr->ProcessResume(QStringLiteral("Convert")));
    EXPECT_EQ(pr->ResumeContent, QStringLiteral("Fake content of a.txt"));
    const auto children = Pids("child");
    ASSERT_EQ(children.size(), 1u);
    EXPECT_TRUE(test::ProcessAlive(children[0]));
    pr.reset();
    EXPECT_TRUE(test::ProcessEnds(children[0]));
}

TEST_F(Supervision, OnlyTheLastTimerStartedCounts) {
    StartTimeOutTimer(60, QStringLiteral("Convert"));
    StartTimeOutTimer(60, QStringLiteral("Parse")); // replaces the first one
    const int current = TimeOutTimerId;
    TimerProc(current + 1000); // a tick of some other timer
    EXPECT_EQ(TimeOutTimerId, current);
    EXPECT_EQ(TimedAction, QStringLiteral("Parse"));
    StopTimeOutTimer();
    EXPECT_EQ(TimeOutTimerId, 0);
}

} // namespace
