// Shared test helpers: recorded messages, a private temporary folder, small file helpers.
#pragma once

#include "Messages.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <vector>

namespace zorv::test {

// Records every message shown while it lives, instead of printing it.
class MessageRecorder {
public:
    MessageRecorder() : scope_([this](const MessageRequest& m) { messages.push_back(m); }) {}
    std::vector<MessageRequest> messages;
    QStringList Texts() const {
        QStringList out;
        for (const auto& m : messages)
            out << m.text;
        return out;
    }

private:
    ScopedMessageHandler scope_;
};

inline QString DataPath(const QString& relative) {
    return QStringLiteral(ZORV_TEST_DATA_DIR "/") + relative;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One run of the built qarn program.
struct QarnResult {
    int status = -1; // exit code, or -1 when it crashed or did not finish
    qint64 pid = 0;
    QString out, err;
};

inline QarnResult RunQarn(const QStringList& args, const QByteArray& input = {},
                          int timeoutMs = 600000) {
    QProcess p;
    p.start(QStringLiteral(ZORV_BIN_DIR "/qarn"), args);
    QarnResult r;
    if (!p.waitForStarted())
        return r;
    r.pid = p.processId();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(timeoutMs);
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace zorv::test
