#include "modProcessResume.h"

#include "ChildProcess.h"
#include "FuncLib.h"
#include "Platform.h"
#include "ProcessList.h"
#include "ZorvError.h"
#include "clsProcessResume.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimerEvent>

#include <memory>

namespace zorv {

clsProcessResume* CurrentProcessResume = nullptr;
QString TimedAction;
int TimeOutTimerId = 0;

namespace {

// Shortest interval, as the platform's timers have one.
constexpr int kMinimumIntervalMs = 10;

// Owns the timers of the user-interface thread and hands their ticks to TimerProc, and the
// last kill utility started (reaped when it ends; one still running at the next time-out,
// or at exit, is ended).
class TimeOutTimerHost : public QObject {
public:
    std::unique_ptr<ChildProcess> killUtility;

protected:
    void timerEvent(QTimerEvent* event) override { TimerProc(event->timerId()); }
};

std::unique_ptr<TimeOutTimerHost>& HostStorage() {
    static std::unique_ptr<TimeOutTimerHost> host;
    return host;
}

TimeOutTimerHost& Host() {
    auto& host = HostStorage();
    if (!host) {
        host = std::make_unique<TimeOutTimerHost>();
        // Its timers belong to the application's event loop: it goes before the application.
        qAddPostRoutine([] {
            HostStorage().reset();
            TimeOutTimerId = 0;
        });
    }
    return *host;
}

void KillTimer(int id) {
    if (id != 0)
        Host().killTimer(id);
}

} // namespace

void StartTimeOutTimer(std::int32_t Seconds, const QString& What) {
    TimedAction = What;
    std::int32_t ms = 0;
    if (__builtin_mul_overflow(Seconds, 1000, &ms))
        throw ZorvError(ErrOverflow, QStringLiteral("Overflow"));
    // A timer left over from an earlier try would fire into the wrong one.
    StopTimeOutTimer();
    TimeOutTimerId = Host().startTimer(std::max(ms, kMinimumIntervalMs), Qt::PreciseTimer);
}

void StopTimeOutTimer() {
    KillTimer(TimeOutTimerId);
    TimeOutTimerId = 0;
}

void TimerProc(int idEvent) {
    // Starting a timer stops the one before, so a tick of another one is a leftover of
    // the same event-loop pass: it belongs to no running try.
    if (idEvent != TimeOutTimerId)
        return;
    StopTimeOutTimer(); // it fires once
    clsProcessResume* running = CurrentProcessResume;
    if (!running)
        return;
    running->AbandonTry();

    const QString utility = running->Programs().KillUtility();
    const QString parserImage = ImageName(QStringLiteral("ZorvPr.exe"));
    if (!FileExists(utility)) {
        KillProcessByName(parserImage);
    } else {
        auto child = std::make_unique<ChildProcess>(
            ChildLaunch{.program = utility, .arguments = {parserImage}});
        if (!child->Start()) {
            running->EndActionFailed(QStringLiteral("The utility could not be started: ") +
                                     utility);
            return;
        }
        Host().killUtility = std::move(child);
    }
    running->RetryAction(TimedAction, true); // ends the action as failed on any error
}

void KillProcessByName(const QString& ExeName) {
    if (ExeName.isEmpty())
        return;
    const QString wanted = ExeName.toLower();
    const std::int64_t self = CurrentProcessId();
    const std::int64_t user = CurrentUserId();
    for (const ProcessEntry& entry : ProcessSnapshot()) {
        const QString name = TrimAtNull(entry.exeName).toLower();
        if (name.right(wanted.size()) != wanted || entry.pid == self || entry.ownerUid != user)
            continue;
        // A parent that runs, other than this process and init, is another run's client.
        constexpr std::int64_t kInitPid = 1;
        const bool ours = entry.parentPid == self;
        const bool orphaned = entry.parentPid <= kInitPid || !ProcessRuns(entry.parentPid);
        if (ours || orphaned)
            TerminateProcessNow(entry.pid);
    }
}

} // namespace zorv
