// Every child process of our programs (the parser server, LibreOffice, the kill utility, the
// batch workers) is started and supervised here, the one way: in a process group of its
// own, so that ending it ends whatever it started; dying with us, also when we are killed
// outright; with the signal dispositions a fresh program expects; reaped when it ends; and
// never writing more into our memory than a bounded amount. The platform's parts stay in
// ChildProcess.cpp.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

namespace zorv {

// Time limits every child shares.
inline constexpr int kChildStartTimeoutMs = 30 * 1000; // from start to a running program
inline constexpr int kChildEndTimeoutMs = 3 * 1000;    // from being asked (or killed) to its end
// How long a blocking wait on a child sleeps before it looks again.
inline constexpr int kChildPollMs = 200;
// Most bytes kept of a child's captured output, and of one line of a line channel.
inline constexpr qsizetype kChildOutputCap = 64 * 1024;
inline constexpr qsizetype kChildLineCap = 256 * 1024 * 1024;

enum class ChildOutput {
    Discard, // standard input, output and error go nowhere
    Capture, // output and error are kept together, up to kChildOutputCap bytes
    Channel, // input and output are the caller's line channel; errors go where ours go
};

struct ChildLaunch {
    QString program{};
    QStringList arguments{};
    ChildOutput output = ChildOutput::Discard;
    std::vector<std::pair<QString, QString>> environment{};         // set over ours
    std::vector<std::pair<QString, QString>> environmentDefaults{}; // set where ours lacks them
};

class ChildProcess {
public:
    explicit ChildProcess(ChildLaunch launch);
    ~ChildProcess(); // ends it and its group, and reaps it
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the program and waits until it runs. false when it could not (Error() says why).
    bool Start();
    QString Error() const;
    // 0 before it started.
    qint64 Id() const { return id_; }
    bool Running() const;

    // The process itself, for writing to its channel and for its signals (readyRead,
    // finished); its lifetime is this object's.
    QProcess& Process() { return *process_; }

    // The next whole line of a Channel child without its newline; false when none is there
    // yet. A line past kChildLineCap is dropped and comes back empty with `overlong` set.
    bool ReadLine(QByteArray& line, bool& overlong);
    // Reads what a Capture child wrote so far, keeping the first kChildOutputCap bytes; does
    // nothing for the other kinds.
    void Drain();
    const QByteArray& Captured() const { return captured_; }

    // Closes its input (a Channel child ends when it does) and gives it `graceMs` to end;
    // then ends its whole group. Reaps it.
    void End(int graceMs = kChildEndTimeoutMs);
    // Kills whatever is left in its process group, the child itself included.
    void EndGroup();

private:
    ChildLaunch launch_;
    std::unique_ptr<QProcess> process_;
    qint64 id_ = 0;
    bool ended_ = false; // End has run since the last start
    QByteArray captured_;
    bool skippingLine_ = false;
};

struct ChildRun {
    enum class Status { Finished, NotStarted, TimedOut };
    Status status = Status::NotStarted;
    int exitCode = -1; // -1 when it crashed
    QByteArray output; // Capture: the first kChildOutputCap bytes
    QString error;     // NotStarted: why
};

// Runs the program to its end within `timeLimitMs`, then ends what it left in its group.
ChildRun RunChild(const ChildLaunch& launch, int timeLimitMs);

} // namespace zorv
