// Waiting with the event loop: events are processed, the time is kept, and the
// busy pointer helpers set the two pointer values.
#include "Wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace zorv;

TEST(WaitSeconds, ProcessesEventsWhileWaiting) {
    int fired = 0;
    QTimer::singleShot(50, [&] { ++fired; });
    QTimer::singleShot(150, [&] { ++fired; });
    QElapsedTimer t;
    t.start();
    WaitSeconds(0.3f);
    EXPECT_GE(t.elapsed(), 300);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(fired, 2);
}

TEST(WaitSeconds, ZeroProcessesPendingEventsOnce) {
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    WaitSeconds(0.0f);
    EXPECT_TRUE(fired);
}

TEST(WaitSeconds, NegativeReturnsAtOnceWithoutEvents) {
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    WaitSeconds(-1.0f);
    EXPECT_FALSE(fired);
    WaitSeconds(0.0f); // let the timer go before the next test
}

namespace {
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

// Closing the window during a run asks the application to quit; the run's waits go on
// sleeping instead of spinning a core.
TEST(WaitSeconds, SleepsAfterAQuitRequest) {
    QCoreApplication::exit(0);
    const double before = CpuSeconds();
    QElapsedTimer t;
    t.start();
    WaitSeconds(1.0f);
    EXPECT_GE(t.elapsed(), 1000);
    EXPECT_LT(CpuSeconds() - before, 0.3);
}
