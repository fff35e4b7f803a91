#include "PrivateFiles.h"

#include "AtomicWrite.h"
#include "FuncLib.h"
#include "ProcessList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zorv {
namespace {

// An owner tag is short; anything longer in a lock file is not one.
constexpr qint64 kMaxTagBytes = 64;
const QString kLockSuffix = QStringLiteral(".lock");

bool Fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

bool IsLink(const QString& path) {
    return QFileInfo(path).isSymLink();
}

// Removes the names a dead claim held: "<stem>.lock" and the working "<stem>.xml".
void RemoveDeadClaim(const QDir& dir, const QString& lockName) {
    const QString lock = dir.filePath(lockName);
    if (!OwnerIsGone(LockOwner(lock)))
        return;
    const QString stem = lockName.chopped(kLockSuffix.size());
    QFile::remove(dir.filePath(stem + QStringLiteral(".xml")));
    QFile::remove(lock);
}

} // namespace

bool OpenPrivateFile(QFile& file, const QString& path, PrivateOpen how, QString* error) {
#ifdef _WIN32
    file.setFileName(path);
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | (how == PrivateOpen::Claim ? QIODevice::NewOnly : QIODevice::Append);
    if (!file.open(mode, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return Fail(error,
                    QStringLiteral("%1 cannot be created: %2").arg(path, file.errorString()));
    return true;
#else
    // O_NOFOLLOW: a link at the name is refused (with O_EXCL, anything at the name is).
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC |
                      (how == PrivateOpen::Claim ? O_EXCL : O_APPEND);
    const int fd = ::open(QFile::encodeName(path).constData(), flags, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int err = errno;
        Fail(error, QStringLiteral("%1 cannot be created: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(err))));
        errno = err;
        return false;
    }
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly |
        (how == PrivateOpen::Append ? QIODevice::Append : QIODevice::NotOpen);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Fail(error,
                    QStringLiteral("%1 cannot be created: %2").arg(path, file.errorString()));
    }
    return true;
#endif
}

QString OwnerTag() {
    const std::int64_t pid = CurrentProcessId();
    return QStringLiteral("%1-%2").arg(pid).arg(ProcessStartTag(pid));
}

bool OwnerIsGone(const QString& tag) {
    bool isPid = false;
    const qint64 pid = tag.section(QLatin1Char('-'), 0, 0).toLongLong(&isPid);
    if (!isPid || pid <= 0)
        return false;
    // Without a start time (an earlier lock, or a system that does not tell them), a process
    // of that identifier is taken for the owner.
    const QString start = tag.section(QLatin1Char('-'), 1);
    if (start.isEmpty() || ProcessStartTag(CurrentProcessId()).isEmpty())
        return !ProcessRuns(pid);
    return ProcessStartTag(pid) != start;
}

QString TaggedTemplate(const QString& prefix) {
    return prefix + OwnerTag() + QStringLiteral("-XXXXXX");
}

bool TaggedNameIsDead(const QString& name, const QString& prefix) {
    if (!name.startsWith(prefix))
        return false;
    // "<pid>-<start>-XXXXXX...": the tag is the first two parts.
    const QStringList parts = name.mid(prefix.size()).split(QLatin1Char('-'));
    return parts.size() >= 3 && OwnerIsGone(parts[0] + QLatin1Char('-') + parts[1]);
}

QString LockOwner(const QString& path) {
    if (IsLink(path) || !QFileInfo(path).isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // The first line: earlier locks went on with more lines.
    return QString::fromLatin1(file.read(kMaxTagBytes)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

PrivateNameLock::~PrivateNameLock() {
    if (!path_.isEmpty())
        QFile::remove(path_);
}

bool PrivateNameLock::TryLock(const QString& path, QString* error) {
    // Twice at most: once more after removing what a gone owner left at the name.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QFile file;
        QString cause;
        if (OpenPrivateFile(file, path, PrivateOpen::Claim, &cause)) {
            const QByteArray tag = OwnerTag().toLatin1();
            if (file.write(tag) != tag.size() || !file.flush()) {
                cause = file.errorString();
                file.close();
                QFile::remove(path);
                return Fail(error, QStringLiteral("%1 cannot be written: %2").arg(path, cause));
            }
            path_ = path;
            return true;
        }
        if (!QFileInfo::exists(path) && !IsLink(path))
            return Fail(error, cause); // not taken, just not creatable
        // A link is never a claim; a lock of a gone owner is free.
        if (!IsLink(path) && !OwnerIsGone(LockOwner(path)))
            return false;
        QFile::remove(path);
    }
    return false;
}

void RemoveDeadRunFiles() {
    const QString folder = GetTempDir();
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden |
                          QDir::System | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (entry.isFile() && name.endsWith(kLockSuffix)) {
            RemoveDeadClaim(dir, name);
            continue;
        }
        if (entry.isDir() && TaggedNameIsDead(name, kBatchFolderPrefix))
            QDir(entry.absoluteFilePath()).removeRecursively();
    }
    RemoveDeadWorkingCopies(folder);
}

} // namespace zorv
