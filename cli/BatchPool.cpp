#include "BatchPool.h"

#include "ChildProcess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

namespace zorv::cli {
namespace {

struct Worker {
    std::unique_ptr<ChildProcess> process;
    std::optional<std::size_t> job;
    QTimer watchdog;
};

class Pool {
public:
    Pool(const std::vector<BatchItem>& jobs, int workers, QStringList arguments,
         int watchdogSeconds, const std::function<void(std::size_t, const BatchResult&)>& done)
        : jobs_(jobs), arguments_(std::move(arguments)), watchdogSeconds_(watchdogSeconds),
          done_(done), workers_(static_cast<std::size_t>(workers)) {}

    void Run() {
        if (jobs_.empty())
            return;
        for (Worker& w : workers_) {
            w.watchdog.setSingleShot(true);
            QObject::connect(&w.watchdog, &QTimer::timeout, [this, &w] { OnWatchdog(w); });
            Start(w);
            Dispatch(w);
        }
        if (ended_ < jobs_.size())
            loop_.exec();
        for (Worker& w : workers_)
            Stop(w);
        retired_.clear();
    }

private:
    // A worker never outlives the batch, also when the batch is killed (ChildProcess.h).
    void Start(Worker& w) {
        w.process = std::make_unique<ChildProcess>(
            ChildLaunch{.program = QCoreApplication::applicationFilePath(),
                        .arguments = arguments_,
                        .output = ChildOutput::Channel});
        QProcess& p = w.process->Process();
        QObject::connect(&p, &QProcess::readyReadStandardOutput, [this, &w] { ReadResults(w); });
        QObject::connect(&p, &QProcess::finished, [this, &w](int code, QProcess::ExitStatus s) {
            OnEnded(
                w,
                s == QProcess::CrashExit
                    ? QStringLiteral("The batch worker ended unexpectedly (signal %1).").arg(code)
                    : QStringLiteral("The batch worker ended unexpectedly (exit code %1).")
                          .arg(code));
        });
        if (!w.process->Start())
            OnNotStarted(w);
    }

    void Stop(Worker& w) {
        if (!w.process)
            return;
        QObject::disconnect(&w.process->Process(), nullptr, nullptr, nullptr);
        w.process->End(); // a worker ends when its input does
    }

    void Dispatch(Worker& w) {
        if (!w.process || w.job || next_ >= jobs_.size())
            return;
        w.job = next_++;
        const QByteArray line = EncodeJob({jobs_[*w.job].input, jobs_[*w.job].output});
        w.process->Process().write(line);
        w.watchdog.start(std::chrono::seconds(watchdogSeconds_));
    }

    void End(Worker& w, const BatchResult& result) {
        w.watchdog.stop();
        const std::size_t job = *w.job;
        w.job.reset();
        ++ended_;
        done_(job, result);
        if (ended_ == jobs_.size())
            loop_.quit();
    }

    void ReadResults(Worker& w) {
        QByteArray line;
        bool overlong = false;
        while (w.process && w.process->ReadLine(line, overlong)) {
            BatchResult result;
            if (overlong || !DecodeResult(line, result) || !w.job)
                continue;
            End(w, result);
            Dispatch(w);
        }
    }

    // The worker's process object is kept until the pool ends, as this may run inside one
    // of its signals.
    void Retire(Worker& w) {
        QObject::disconnect(&w.process->Process(), nullptr, nullptr, nullptr);
        retired_.push_back(std::move(w.process));
    }

    void OnEnded(Worker& w, const QString& why) {
        ReadResults(w); // a result written just before the end still counts
        if (w.job)
            End(w, FailedResult(why));
        Retire(w); // replaced for the jobs left
        if (next_ < jobs_.size()) {
            Start(w);
            Dispatch(w);
        }
    }

    // Without workers nothing can be done: every job left fails.
    void OnNotStarted(Worker& w) {
        const BatchResult failed =
            FailedResult(QStringLiteral("The batch worker could not be started."));
        Retire(w);
        if (w.job)
            End(w, failed);
        while (next_ < jobs_.size()) {
            ++ended_;
            done_(next_++, failed);
        }
        if (ended_ == jobs_.size())
            loop_.quit();
    }

    void OnWatchdog(Worker& w) {
        if (!w.job || !w.process)
            return;
        QObject::disconnect(&w.process->Process(), nullptr, nullptr, nullptr);
        w.process->End(0); // its parser server and office die with it
        OnEnded(w,
                QStringLiteral("The resume was not done within %1 seconds.").arg(watchdogSeconds_));
    }

    const std::vector<BatchItem>& jobs_;
    QStringList arguments_;
    int watchdogSeconds_;
    const std::function<void(std::size_t, const BatchResult&)>& done_;
    std::vector<Worker> workers_;
    std::size_t next_ = 0;
    std::size_t ended_ = 0;
    std::vector<std::unique_ptr<ChildProcess>> retired_;
    QEventLoop loop_;
};

} // namespace

void RunBatchPool(const std::vector<BatchItem>& jobs, int workers,
                  const QStringList& workerArguments, int watchdogSeconds,
                  const std::function<void(std::size_t, const BatchResult&)>& finished) {
    Pool pool(jobs, std::max(1, std::min<int>(workers, static_cast<int>(jobs.size()))),
              workerArguments, watchdogSeconds, finished);
    pool.Run();
}

} // namespace zorv::cli
