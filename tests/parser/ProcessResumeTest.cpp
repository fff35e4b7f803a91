// clsProcessResume against TestZorvPr: results of a first try, the counting of tries and the
// pause between them, a new process per try, host settings and the properties the parser
// receives.
#include "ParserErrors.h"
#include "ParserTestSupport.h"
#include "clsProcessResume.h"
#include "modProcessResume.h"

#include <QElapsedTimer>
#include <set>

using namespace zorv;
using zorv::test::ParserTest;

namespace {

class ProcessResume : public ParserTest {
protected:
    std::unique_ptr<clsProcessResume> NewClient() {
        auto pr = std::make_unique<clsProcessResume>(Programs());
        pr->ResumeFileName = WriteResume(QStringLiteral("cv.txt"), "Jane Doe\n");
        pr->XMLResumeFileName = Path(QStringLiteral("tmp/~iqarn~cv.xml"));
        return pr;
    }
    // Runs the action and returns the seconds it took.
    double Timed(clsProcessResume& pr, const QString& what, bool& result) {
        QElapsedTimer clock;
        clock.start();
        result = pr.ProcessResume(what);
        return static_cast<double>(clock.elapsed()) / 1000.0;
    }
};

TEST_F(ProcessResume, FirstTrySuccessFetchesResultsAndClearsErrMsg) {
    auto pr = NewClient();
    pr->ErrMsg = QStringLiteral("earlier");
    bool ok = false;
    const double seconds = Timed(*pr, QStringLiteral("Convert"), ok);
    EXPECT_TRUE(ok);
    EXPECT_GE(seconds, 1.0); // it returns at the end of the one-second wait
    EXPECT_LT(seconds, 2.5);
    EXPECT_EQ(pr->ResumeContent, QStringLiteral("Fake content of cv.txt"));
    EXPECT_TRUE(pr->ErrMsg.isEmpty());
    EXPECT_EQ(pr->GetProp(QStringLiteral("DoneReceived")), QStringLiteral("True"));
    EXPECT_EQ(CurrentProcessResume, nullptr);

    ASSERT_TRUE(pr->ProcessResume(QStringLiteral("Parse")));
    EXPECT_TRUE(pr->XMLResume.contains(QStringLiteral("what=\"Parse\"")));
    EXPECT_TRUE(FileExists(Path(QStringLiteral("tmp/~iqarn~cv_HRXML.XML"))));
    // The content went back to the parser at the later action.
    EXPECT_EQ(pr->GetProp(QStringLiteral("ResumeContent")), pr->ResumeContent);

    pr->XMLResume.clear();
    ASSERT_TRUE(pr->ProcessResume(QStringLiteral("Extract")));
    EXPECT_TRUE(pr->XMLResume.contains(QStringLiteral("what=\"Extract\"")));
    EXPECT_EQ(ServerPids().size(), 1u); // one object, one process
}

TEST_F(ProcessResume, UnknownActionReturnsFalseAtOnce) {
    auto pr = NewClient();
    bool ok = true;
    EXPECT_LT(Timed(*pr, QStringLiteral("convert"), ok), 0.5);
    EXPECT_FALSE(ok);
    EXPECT_EQ(CurrentProcessResume, nullptr);
}

TEST_F(ProcessResume, NTriesZeroOrOneEndsAFailedFirstTryAtOnce) {
    UseFaults(QStringLiteral("fail"));
    for (int nTries : {0, 1}) {
        auto pr = NewClient();
        pr->NTries = nTries;
        bool ok = true;
        EXPECT_LT(Timed(*pr, QStringLiteral("Convert"), ok), 2.5) << nTries;
        EXPECT_FALSE(ok);
        EXPECT_TRUE(pr->ErrMsg.startsWith(QStringLiteral("Injected failure")))
            << qPrintable(pr->ErrMsg);
    }
    EXPECT_EQ(ServerPids().size(), 2u); // no retry process for either
}

TEST_F(ProcessResume, TwoFailedTriesPauseOnceAndKeepTheSecondMessage) {
    UseFaults(QStringLiteral("fail"));
    auto pr = NewClient();
    bool ok = true;
    const double seconds = Timed(*pr, QStringLiteral("Parse"), ok);
    EXPECT_FALSE(ok);
    EXPECT_GE(seconds, 3.0);
    EXPECT_LT(seconds, 5.5);
    EXPECT_EQ(pr->ErrMsg, QStringLiteral("Injected failure 1"));
    const auto pids = ServerPids();
    ASSERT_EQ(pids.size(), 2u);
    EXPECT_FALSE(test::ProcessAlive(pids[0])); // released when the retry replaced it
    EXPECT_EQ(pr->ParserProcessId(), pids[1]);
}

TEST_F(ProcessResume, TimeOutThenDeathThenSuccessUsesANewProcessPerTry) {
    UseFaults(QStringLiteral("hang,exit,fake"));
    const qint64 other = StartBystander(QStringLiteral("OtherZorvPr"));
    const qint64 unrelated = StartBystander(QStringLiteral("ZorvPrSleep"));
    auto pr = NewClient();
    pr->NTries = 3;
    pr->TimeOutSeconds = 1;
    pr->ErrMsg = QStringLiteral("before");
    const qint64 hung = pr->ParserProcessId();
    // Without ZorvKPN the time-out ends the hung server and every other "...ZorvPr"
    // process by name before the pause that follows it.
    bool goneDuringPause = false;
    QTimer::singleShot(
        2500, [&] { goneDuringPause = !test::ProcessAlive(hung) && !test::ProcessAlive(other); });
    bool ok = false;
    const double seconds = Timed(*pr, QStringLiteral("Convert"), ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(goneDuringPause);
    EXPECT_TRUE(test::ProcessAlive(unrelated));
    EXPECT_TRUE(pr->ErrMsg.isEmpty());
    // One time-out, two pauses, and the death reported at once rather than timed out.
    EXPECT_GE(seconds, 7.0);
    EXPECT_LT(seconds, 10.5);
    const auto pids = ServerPids();
    ASSERT_EQ(pids.size(), 3u);
    EXPECT_EQ(std::set<qint64>(pids.begin(), pids.end()).size(), 3u);
    EXPECT_FALSE(test::ProcessAlive(pids[0]));
    EXPECT_FALSE(test::ProcessAlive(pids[1]));
    EXPECT_EQ(pr->ResumeContent, QStringLiteral("Fake content of cv.txt"));
}

TEST_F(ProcessResume, EveryTryTimingOutFailsAndLeavesErrMsg) {
    UseFaults(QStringLiteral("hang"));
    auto pr = NewClient();
    pr->NTries = 1;
    pr->TimeOutSeconds = 0; // fires at the shortest interval
    pr->ErrMsg = QStringLiteral("before");
    bool ok = true;
    EXPECT_LT(Timed(*pr, QStringLiteral("Convert"), ok), 2.5);
    EXPECT_FALSE(ok);
    EXPECT_EQ(pr->ErrMsg, QStringLiteral("before"));
    EXPECT_TRUE(test::ProcessEnds(ServerPids().at(0)));
    EXPECT_EQ(TimeOutTimerId, 0);
}

TEST_F(ProcessResume, ExtractIsGuardedByTheTimeOutToo) {
    UseFaults(QStringLiteral("hang"));
    auto pr = NewClient();
    pr->NTries = 1;
    pr->TimeOutSeconds = 1;
    bool ok = true;
    EXPECT_LT(Timed(*pr, QStringLiteral("Extract"), ok), 3.5);
    EXPECT_FALSE(ok);
}

TEST_F(ProcessResume, DeathDuringAnActionIsReportedAtOnceWithHowItEnded) {
    UseFaults(QStringLiteral("signal,exit"));
    for (const char* expected : {"signal 9", "exit code 3"}) {
        auto pr = NewClient();
        pr->NTries = 1;
        pr->TimeOutSeconds = 60;
        bool ok = true;
        EXPECT_LT(Timed(*pr, QStringLiteral("Convert"), ok), 2.5);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(pr->ErrMsg.contains(QLatin1String(expected))) << qPrintable(pr->ErrMsg);
        EXPECT_TRUE(pr->ErrMsg.contains(QStringLiteral("Convert")));
    }
}

TEST_F(ProcessResume, ALateAnswerWithinTheTimeOutSucceeds) {
    UseFaults(QStringLiteral("late"));
    auto pr = NewClient();
    pr->TimeOutSeconds = 3;
    bool ok = false;
    const double seconds = Timed(*pr, QStringLiteral("Convert"), ok);
    EXPECT_TRUE(ok);
    EXPECT_GE(seconds, 2.0); // the answer came in the second one-second wait
    EXPECT_EQ(ServerPids().size(), 1u);
}

TEST_F(ProcessResume, TimeOutTooLargeOverflowsBeforeAnythingRuns) {
    auto pr = NewClient();
    pr->TimeOutSeconds = 2147484;
    try {
        pr->ProcessResume(QStringLiteral("Convert"));
        FAIL() << "no error";
    } catch (const ZorvError& e) {
        EXPECT_EQ(e.Number(), ErrOverflow);
    }
    EXPECT_EQ(CurrentProcessResume, nullptr);
    EXPECT_EQ(TimeOutTimerId, 0);
    EXPECT_NO_THROW(StartTimeOutTimer(2147483, QStringLiteral("Convert")));
    EXPECT_NE(TimeOutTimerId, 0);
    StopTimeOutTimer();
    EXPECT_EQ(TimeOutTimerId, 0);
}

TEST_F(ProcessResume, HostSettingsReachTheParser) {
    SetHostSetting(QStringLiteral("UseFullParser"), QStringLiteral("1"));
    SetHostSetting(QStringLiteral("ParseContactInfoOnly"), QStringLiteral(" 1 "));
    SetHostSetting(QStringLiteral("ResumeCountry"), QStringLiteral("CA"));
    auto pr = NewClient();
    EXPECT_TRUE(pr->UseFullParser);
    pr->TableName = QStringLiteral("Consultants");
    ASSERT_TRUE(pr->ProcessResume(QStringLiteral("Extract")));
    EXPECT_EQ(pr->GetProp(QStringLiteral("UseFullParser")), QStringLiteral("True"));
    EXPECT_EQ(pr->GetProp(QStringLiteral("ParseContactInfoOnly")), QStringLiteral("True"));
    EXPECT_EQ(pr->GetProp(QStringLiteral("ResumeCountry")), QStringLiteral("CA"));
    EXPECT_EQ(pr->GetProp(QStringLiteral("TableName")), QStringLiteral("Consultants"));

    pr->TableName = QStringLiteral("consultants"); // exact case only
    ASSERT_TRUE(pr->ProcessResume(QStringLiteral("Extract")));
    EXPECT_EQ(pr->GetProp(QStringLiteral("UseFullParser")), QStringLiteral("False"));
}

TEST_F(ProcessResume, MissingSettingsGiveTheDefaults) {
    auto pr = NewClient();
    EXPECT_FALSE(pr->UseFullParser);
    EXPECT_EQ(pr->TimeOutSeconds, 60);
    EXPECT_EQ(pr->NTries, 2);
    EXPECT_FALSE(pr->DebugMode);
}

TEST_F(ProcessResume, ASettingThatIsNotANumberFailsCreation) {
    SetHostSetting(QStringLiteral("ParseContactInfoOnly"), QStringLiteral("yes"));
    try {
        clsProcessResume pr(Programs());
        FAIL() << "no error";
    } catch (const ZorvError& e) {
        EXPECT_EQ(e.Number(), ErrTypeMismatch);
        EXPECT_TRUE(e.Description().contains(QStringLiteral("ParseContactInfoOnly")));
    }
    EXPECT_TRUE(ServerPids().empty());
}

TEST_F(ProcessResume, AServerThatCannotStartFailsCreation) {
    ParserPrograms missing;
    missing.server = Path(QStringLiteral("NoSuchZorvPr"));
    try {
        clsProcessResume pr(missing);
        FAIL() << "no error";
    } catch (const ZorvError& e) {
        EXPECT_EQ(e.Number(), ErrCannotCreateComponent);
    }
}

TEST_F(ProcessResume, GetPropOfAnUnknownNameRaises) {
    auto pr = NewClient();
    try {
        pr->GetProp(QStringLiteral("NoSuchProperty"));
        FAIL() << "no error";
    } catch (const ZorvError& e) {
        EXPECT_EQ(e.Number(), ErrNoSuchMember);
    }
}

TEST_F(ProcessResume, ReleasingTheClientEndsItsServer) {
    auto pr = NewClient();
    const qint64 pid = pr->ParserProcessId();
    EXPECT_TRUE(test::ProcessAlive(pid));
    pr.reset();
    EXPECT_FALSE(test::ProcessAlive(pid));
}

} // namespace
