#include "DebugLog.h"

#include "FuncLib.h"
#include "PrivateFiles.h"

#include <QDateTime>
#include <QFile>
#include <unistd.h>

namespace zorv::rp {

QString DebugLog::FilePath() {
    return GetTempDir() + QStringLiteral("ZorvPr_debug.log");
}

void DebugLog::Start() {
    Append(QStringLiteral("debug started"));
}

void DebugLog::SetEnabled(bool enabled) {
    const std::lock_guard<std::mutex> lock(mutex_);
    enabled_ = enabled;
}

void DebugLog::Write(const QString& line) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!enabled_)
            return;
    }
    Append(line);
}

void DebugLog::Append(const QString& line) {
    const std::lock_guard<std::mutex> lock(mutex_);
    // Several parser processes may log at once: each line goes out in one append.
    QFile file;
    if (!OpenPrivateFile(file, FilePath(), PrivateOpen::Append))
        return;
    const QString text = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs) +
                         QStringLiteral(" [") + QString::number(::getpid()) + QStringLiteral("] ") +
                         line + QLatin1Char('\n');
    file.write(text.toUtf8());
}

} // namespace zorv::rp
