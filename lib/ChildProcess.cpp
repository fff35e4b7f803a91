// Starting and supervising child processes: QProcess for the portable part, a process group,
// the parent-death signal and default signal dispositions on POSIX.
#include "ChildProcess.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace zorv {
namespace {

#ifdef Q_OS_UNIX
// The signals whose dispositions a child takes from us: what we ignore (a server ignores
// SIGPIPE) stays ignored across exec, which the program never expects.
constexpr int kLastStandardSignal = 31;

// Runs in the child between fork and exec: only async-signal-safe calls.
void PrepareChild(QProcess& process) {
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::setpgid(0, 0); // its own group, so that ending it ends what it starts
        for (int s = 1; s <= kLastStandardSignal; ++s)
            if (s != SIGKILL && s != SIGSTOP)
                ::signal(s, SIG_DFL);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
#ifdef Q_OS_LINUX
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        // We died before the line above took effect: nobody would end it any more.
        if (::getppid() != parent)
            ::_exit(127);
    });
}
#endif

QProcessEnvironment EnvironmentFor(const ChildLaunch& launch) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : launch.environmentDefaults)
        if (!env.contains(name))
            env.insert(name, value);
    for (const auto& [name, value] : launch.environment)
        env.insert(name, value);
    return env;
}

} // namespace

ChildProcess::ChildProcess(ChildLaunch launch)
    : launch_(std::move(launch)), process_(std::make_unique<QProcess>()) {}

ChildProcess::~ChildProcess() {
    QObject::disconnect(process_.get(), nullptr, nullptr, nullptr);
    End(0);
}

bool ChildProcess::Start() {
    ended_ = false;
    QProcess& p = *process_;
    p.setProgram(launch_.program);
    p.setArguments(launch_.arguments);
    switch (launch_.output) {
    case ChildOutput::Discard:
        // A child never writes to our standard streams: a protocol may run over them.
        p.setStandardInputFile(QProcess::nullDevice());
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        break;
    case ChildOutput::Capture:
        p.setStandardInputFile(QProcess::nullDevice());
        p.setProcessChannelMode(QProcess::MergedChannels);
        break;
    case ChildOutput::Channel:
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        break;
    }
    if (!launch_.environment.empty() || !launch_.environmentDefaults.empty())
        p.setProcessEnvironment(EnvironmentFor(launch_));
#ifdef Q_OS_UNIX
    PrepareChild(p);
#endif
    p.start(QIODevice::ReadWrite);
    if (!p.waitForStarted(kChildStartTimeoutMs)) {
        End(0);
        return false;
    }
    id_ = p.processId();
    return true;
}

QString ChildProcess::Error() const {
    return process_->errorString();
}

bool ChildProcess::Running() const {
    return process_->state() == QProcess::Running;
}

bool ChildProcess::ReadLine(QByteArray& line, bool& overlong) {
    QProcess& p = *process_;
    overlong = false;
    if (!p.canReadLine()) {
        if (p.bytesAvailable() > kChildLineCap) {
            p.readAll(); // the rest of the line is dropped as it comes
            skippingLine_ = true;
        }
        return false;
    }
    line = p.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (skippingLine_) {
        skippingLine_ = false;
        overlong = true;
        line.clear();
    }
    return true;
}

void ChildProcess::Drain() {
    if (launch_.output != ChildOutput::Capture)
        return; // nothing to read: the output goes nowhere or is the caller's channel
    const QByteArray data = process_->readAll();
    const qsizetype room = kChildOutputCap - captured_.size();
    if (room > 0)
        captured_.append(data.left(room));
}

void ChildProcess::End(int graceMs) {
    // Once only: after the group is gone its number may name somebody else's group.
    if (ended_)
        return;
    QProcess& p = *process_;
    if (p.state() != QProcess::NotRunning) {
        if (launch_.output == ChildOutput::Channel)
            p.closeWriteChannel(); // a server ends when its input does
        if (graceMs <= 0 || !p.waitForFinished(graceMs)) {
            EndGroup();
            p.kill();
            p.waitForFinished(kChildEndTimeoutMs);
        }
    }
    EndGroup(); // whatever it started and left behind goes too
    ended_ = id_ > 0;
}

void ChildProcess::EndGroup() {
#ifdef Q_OS_UNIX
    if (id_ > 0)
        ::kill(-static_cast<pid_t>(id_), SIGKILL);
#endif
}

ChildRun RunChild(const ChildLaunch& launch, int timeLimitMs) {
    ChildRun run;
    ChildProcess child(launch);
    if (!child.Start()) {
        run.error = child.Error();
        return run;
    }
    QProcess& p = child.Process();
    QElapsedTimer clock;
    clock.start();
    // Waiting in slices and draining in between keeps the captured output bounded.
    while (p.state() != QProcess::NotRunning) {
        const qint64 left = timeLimitMs - clock.elapsed();
        if (left <= 0) {
            child.End(0);
            run.status = ChildRun::Status::TimedOut;
            run.output = child.Captured();
            return run;
        }
        p.waitForFinished(static_cast<int>(std::min<qint64>(left, kChildPollMs)));
        child.Drain();
    }
    child.Drain();
    run.status = ChildRun::Status::Finished;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.output = child.Captured();
    child.End(0); // anything it left running in its group
    return run;
}

} // namespace zorv
