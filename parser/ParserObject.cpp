#include "ParserObject.h"

#include "ChildProcess.h"
#include "FuncLib.h"
#include "Messages.h"
#include "ParserErrors.h"
#include "ParserProtocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace zorv {
namespace {

namespace keys = protocol::keys;
namespace calls = protocol::calls;

constexpr int kGreetingTimeoutMs = kChildStartTimeoutMs;
constexpr int kCallTimeoutMs = 30 * 1000;

QString Described(const QString& what, const QString& program) {
    return what + QStringLiteral(" (") + program + QLatin1Char(')');
}

} // namespace

struct ParserObject::Private {
    ParserEvents events;
    std::unique_ptr<ChildProcess> process;
    bool greeted = false;
    bool released = false;
    bool abandoned = false;       // the running try timed out: its events are dropped
    std::uint64_t generation = 0; // events read before an abandonment are dropped too
    bool actionRunning = false;   // an action was accepted and its Done not yet read
    QString runningAction;
    std::int64_t nextId = 0;
    // The one call waiting for its reply.
    std::int64_t waitingId = -1;
    bool waitingIsAction = false;
    QString waitingName;
    bool replied = false;
    QJsonObject reply;
};

ParserObject::ParserObject(Key, ParserEvents events) : d_(std::make_unique<Private>()) {
    d_->events = std::move(events);
}

std::shared_ptr<ParserObject> ParserObject::Create(ParserEvents events, const QString& program) {
    const auto self = std::make_shared<ParserObject>(Key{}, std::move(events));
    Private& d = *self->d_;
    // OCR reads pages on threads of its own; the OpenMP threads of the OCR library would
    // only fight them for the cores. The runtime reads this before the server's main runs.
    d.process = std::make_unique<ChildProcess>(ChildLaunch{
        .program = program,
        .output = ChildOutput::Channel,
        .environmentDefaults = {{QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1")}}});
    QProcess& p = d.process->Process();
    std::weak_ptr<ParserObject> weak = self;
    QObject::connect(&p, &QProcess::readyReadStandardOutput, &p, [weak] {
        if (auto s = weak.lock())
            s->ReadLines();
    });
    QObject::connect(&p, &QProcess::finished, &p, [weak](int code, QProcess::ExitStatus status) {
        if (auto s = weak.lock())
            s->OnFinished(code, status == QProcess::CrashExit);
    });
    if (!d.process->Start()) {
        const QString why = d.process->Error();
        self->Release();
        throw ZorvError(
            ErrCannotCreateComponent,
            Described(QStringLiteral("The resume parser could not be started: ") + why, program));
    }
    QElapsedTimer clock;
    clock.start();
    while (!d.greeted) {
        const qint64 left = kGreetingTimeoutMs - clock.elapsed();
        if (left <= 0 || p.state() != QProcess::Running ||
            !p.waitForReadyRead(static_cast<int>(left))) {
            self->ReadLines();
            if (d.greeted)
                break;
            self->Release();
            throw ZorvError(
                ErrCannotCreateComponent,
                Described(QStringLiteral("The resume parser did not start up."), program));
        }
        self->ReadLines();
    }
    return self;
}

ParserObject::~ParserObject() {
    Release();
}

std::int64_t ParserObject::ProcessId() const {
    return d_->process ? d_->process->Id() : 0;
}

void ParserObject::Release() {
    Private& d = *d_;
    if (d.released)
        return;
    d.released = true;
    d.actionRunning = false;
    if (!d.process)
        return;
    QObject::disconnect(&d.process->Process(), nullptr, nullptr, nullptr);
    // Closing its input ends the server at once (it does not wait for a stuck action); one
    // that does not end is ended with its whole group.
    d.process->End();
}

void ParserObject::AbandonTry() {
    d_->abandoned = true;
    d_->actionRunning = false;
    ++d_->generation;
}

void ParserObject::Call(const QString& name) {
    Request(name, QString(), QVariant(), protocol::IsAction(name));
}

void ParserObject::SetProperty(const QString& name, const QString& value) {
    Request(calls::kSet, name, QVariant(value), false);
}

void ParserObject::SetProperty(const QString& name, bool value) {
    Request(calls::kSet, name, QVariant(value), false);
}

QVariant ParserObject::GetProperty(const QString& name) {
    return Request(calls::kGet, name, QVariant(), false);
}

QVariant ParserObject::Request(const QString& call, const QString& name, const QVariant& value,
                               bool isAction) {
    Private& d = *d_;
    if (d.released || !d.process || !d.process->Running())
        throw ZorvError(ErrServerUnavailable, QStringLiteral("The resume parser is not running."));
    QJsonObject request{{keys::kId, static_cast<qint64>(++d.nextId)}, {keys::kCall, call}};
    if (!name.isEmpty())
        request.insert(keys::kName, name);
    if (value.isValid())
        request.insert(keys::kValue, QJsonValue::fromVariant(value));
    d.waitingId = d.nextId;
    d.waitingIsAction = isAction;
    d.waitingName = call;
    d.replied = false;
    if (isAction)
        d.abandoned = false; // a new try on this object
    QByteArray line = QJsonDocument(request).toJson(QJsonDocument::Compact);
    line.append('\n');
    QProcess& p = d.process->Process();
    if (p.write(line) != line.size())
        throw ZorvError(ErrServerUnavailable, QStringLiteral("The resume parser is not running."));

    QElapsedTimer clock;
    clock.start();
    for (;;) {
        ReadLines();
        if (d.replied)
            break;
        if (d.released || p.state() != QProcess::Running)
            throw ZorvError(ErrServerUnavailable,
                            QStringLiteral("The resume parser ended during the call ") + call +
                                QLatin1Char('.'));
        const qint64 left = kCallTimeoutMs - clock.elapsed();
        if (left <= 0)
            throw ZorvError(ErrCallFailed,
                            QStringLiteral("The resume parser did not answer the call ") + call +
                                QLatin1Char('.'));
        // Flushes the request too. Signals emitted meanwhile only read and queue.
        p.waitForReadyRead(static_cast<int>(std::min<qint64>(left, kChildPollMs)));
    }
    d.waitingId = -1;
    const QJsonObject reply = d.reply;
    if (!reply.value(keys::kOk).toBool()) {
        const int code = reply.value(keys::kCode).toInt(ErrAutomation);
        throw ZorvError(code, reply.value(keys::kError)
                                  .toString(QStringLiteral("The resume parser refused the call ") +
                                            call + QLatin1Char('.')));
    }
    return reply.value(keys::kValue).toVariant();
}

void ParserObject::ReadLines() {
    Private& d = *d_;
    if (!d.process)
        return;
    QByteArray line;
    bool overlong = false;
    // An overlong line is no message of the protocol: it is dropped.
    while (!d.released && d.process->ReadLine(line, overlong))
        if (!overlong)
            HandleLine(line);
}

void ParserObject::HandleLine(const QByteArray& line) {
    Private& d = *d_;
    const QJsonObject msg = QJsonDocument::fromJson(line).object();
    const QString event = msg.value(keys::kEvent).toString();
    if (event == protocol::events::kReady) {
        d.greeted = msg.value(keys::kProtocol).toInt() == protocol::kVersion;
        return;
    }
    if (event == protocol::events::kDone) {
        d.actionRunning = false;
        if (!d.abandoned)
            Post(msg.value(keys::kWhat).toString(), msg.value(keys::kDoneOk).toBool(),
                 msg.value(keys::kMsg).toString(), true);
        return;
    }
    if (event == protocol::events::kMessage) {
        if (!d.abandoned)
            Post(msg.value(keys::kText).toString(), false, QString(), false);
        return;
    }
    if (!msg.contains(keys::kId) || d.waitingId < 0 || d.replied)
        return; // nothing waits for it: not ours to interpret
    if (msg.value(keys::kId).toInteger(-2) != d.waitingId) {
        // Only an unreadable request gets a reply that names no request.
        d.reply =
            QJsonObject{{keys::kOk, false},
                        {keys::kCode, static_cast<qint64>(ErrCallFailed)},
                        {keys::kError, QStringLiteral("The resume parser answered out of turn: ") +
                                           msg.value(keys::kError).toString()}};
    } else {
        d.reply = msg;
    }
    d.replied = true;
    if (d.waitingIsAction && d.reply.value(keys::kOk).toBool()) {
        d.actionRunning = true;
        d.runningAction = d.waitingName;
    }
}

void ParserObject::OnFinished(int exitCode, bool crashed) {
    Private& d = *d_;
    ReadLines(); // a Done written just before the end still counts
    // Whatever the server started goes with it.
    d.process->EndGroup();
    if (d.released || d.abandoned || !d.actionRunning)
        return;
    d.actionRunning = false;
    QString how;
#ifdef Q_OS_UNIX
    if (crashed) {
        // QProcess gives the signal number as the exit code of a crash.
        const char* name = ::strsignal(exitCode);
        how = QStringLiteral("signal %1%2")
                  .arg(exitCode)
                  .arg(name ? QStringLiteral(", ") + QString::fromLocal8Bit(name) : QString());
    } else {
        how = QStringLiteral("exit code %1").arg(exitCode);
    }
#else
    Q_UNUSED(crashed);
    how = QStringLiteral("exit code %1").arg(exitCode);
#endif
    Post(d.runningAction, false,
         QStringLiteral("The resume parser ended unexpectedly during ") + d.runningAction +
             QStringLiteral(" (") + how + QStringLiteral(")."),
         true);
}

void ParserObject::Post(const QString& what, bool ok, const QString& msg, bool isDone) {
    std::weak_ptr<ParserObject> weak = weak_from_this();
    const std::uint64_t generation = d_->generation;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [weak, generation, what, ok, msg, isDone] {
            // The lock keeps the object alive while its handler runs, so that the handler
            // may release it (a retry replaces it there).
            const std::shared_ptr<ParserObject> self = weak.lock();
            if (!self || self->d_->released || self->d_->generation != generation)
                return;
            const std::optional<CaughtError> error = CatchError([&] {
                if (isDone && self->d_->events.Done)
                    self->d_->events.Done(what, ok, msg);
                else if (!isDone && self->d_->events.Message)
                    self->d_->events.Message(what);
            });
            if (error)
                self->ReportHandlerError(isDone ? what : self->d_->runningAction, *error);
        },
        Qt::QueuedConnection);
}

void ParserObject::ReportHandlerError(const QString& action, const CaughtError& error) {
    // Nothing above the event loop would see the error: it fails the try as a failed action
    // does, so that the client stops waiting. When the Done handler fails on that too, or the
    // object is gone, the message interface is the last way out.
    const Private& d = *d_;
    if (!d.released && d.events.Done &&
        !CatchError([&] { d.events.Done(action, false, error.description); }))
        return;
    ShowMessage(QStringLiteral("The resume parser's event handler failed: ") + error.description +
                    QStringLiteral(" (number ") + ErrNumberText(error.number) + QLatin1Char(')'),
                MsgIcon::Critical);
}

} // namespace zorv
