// Shared test helpers: recorded messages, a private temporary folder, small file helpers.
#pragma once

#include "Messages.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
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

} // namespace zorv::test
