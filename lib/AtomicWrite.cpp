#include "AtomicWrite.h"

#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zorv {
namespace {

constexpr qint64 kCopyChunkBytes = 256 * 1024;
// Links deeper than this are a loop; the path is then taken as it is.
constexpr int kMaxLinkDepth = 40;
const QString kWorkingPrefix = QStringLiteral(".~qarn-");
// Random temporary names tried before giving up: a clash is already unlikely once.
constexpr int kMaxNameAttempts = 16;

bool IsDiskFull(int err) {
#ifdef EDQUOT
    if (err == EDQUOT)
        return true;
#endif
    return err == ENOSPC;
}

QString CauseText(int err) {
    if (IsDiskFull(err))
        return QStringLiteral("the disk is full");
    return QString::fromLocal8Bit(std::strerror(err));
}

// The cause of a failed step of a QSaveFile or QFile, errno read right after the step.
QString DeviceCause(const QFileDevice& file, int err) {
    if (IsDiskFull(err) || file.error() == QFileDevice::ResourceError)
        return QStringLiteral("the disk is full");
    return file.errorString().isEmpty() ? CauseText(err) : file.errorString();
}

bool Fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

bool SyncToDisk(int fd) {
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

// The rename itself reaches the disk only with its folder.
void SyncFolder(const QString& folder) {
#ifndef _WIN32
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// Writes, flushes and syncs the whole of source into file (any QFileDevice opened for
// writing). errno of the failed step is in *err.
bool CopyInto(QFile& source, QFileDevice& file, int* err) {
    for (;;) {
        errno = 0;
        const QByteArray chunk = source.read(kCopyChunkBytes);
        if (chunk.isEmpty()) {
            *err = errno;
            if (source.error() != QFileDevice::NoError)
                return false;
            break;
        }
        errno = 0;
        if (file.write(chunk) != chunk.size()) {
            *err = errno;
            return false;
        }
    }
    errno = 0;
    const bool synced = file.flush() && SyncToDisk(file.handle());
    *err = errno;
    return synced;
}

// A file of the private folder: its temporary file is claimed through OpenPrivateFile (0600,
// never through a link) and renamed over the path, which replaces a link there rather than
// following it (QSaveFile would follow it).
bool WritePrivateFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    QFile out;
    QString temp;
    for (int attempt = 0; !out.isOpen(); ++attempt) {
        // Tagged as a working copy, so that one left by a killed writer is removed.
        temp = QFileInfo(path).absolutePath() + QLatin1Char('/') + kWorkingPrefix + OwnerTag() +
               QStringLiteral("-%1").arg(QRandomGenerator::global()->generate(), 8, 16,
                                         QLatin1Char('0'));
        QString cause;
        if (!OpenPrivateFile(out, temp, PrivateOpen::Claim, &cause) &&
            (errno != EEXIST || attempt >= kMaxNameAttempts))
            return Fail(error, cause);
    }
    errno = 0;
    const bool written =
        out.write(bytes) == bytes.size() && out.flush() && SyncToDisk(out.handle());
    const int err = errno;
    out.close();
    if (!written || std::rename(QFile::encodeName(temp).constData(),
                                QFile::encodeName(path).constData()) != 0) {
        const QString cause = written ? CauseText(errno) : DeviceCause(out, err);
        QFile::remove(temp);
        return Fail(error, cause);
    }
    SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

} // namespace

QString ResolvedOutputPath(const QString& path) {
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    for (int depth = 0; info.isSymLink() && depth < kMaxLinkDepth; ++depth)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

bool IsSameFile(const QString& a, const QString& b) {
#ifdef _WIN32
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#else
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
#endif
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error,
                         FileAccess access) {
    if (access == FileAccess::OwnerOnly)
        return WritePrivateFileAtomically(path, bytes, error);
    QSaveFile out(ResolvedOutputPath(path));
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return Fail(error, DeviceCause(out, errno));
    errno = 0;
    const bool written =
        out.write(bytes) == bytes.size() && out.flush() && SyncToDisk(out.handle());
    const int err = errno;
    if (!written) {
        out.cancelWriting();
        return Fail(error, DeviceCause(out, err));
    }
    errno = 0;
    if (!out.commit())
        return Fail(error, DeviceCause(out, errno));
    return true;
}

bool CopyFileAtomically(const QString& source, const QString& target, QString* error) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(error, in.errorString());
    QSaveFile out(ResolvedOutputPath(target));
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return Fail(error, DeviceCause(out, errno));
    int err = 0;
    if (!CopyInto(in, out, &err)) {
        out.cancelWriting();
        return Fail(error,
                    in.error() != QFileDevice::NoError ? in.errorString() : DeviceCause(out, err));
    }
    out.setPermissions(in.permissions());
    errno = 0;
    if (!out.commit())
        return Fail(error, DeviceCause(out, errno));
    return true;
}

OutputWorkingCopy::OutputWorkingCopy(const QString& output, const QString& extension)
    : output_(ResolvedOutputPath(output)),
      extension_(extension.isEmpty() ? QFileInfo(output_).suffix() : extension) {
    RemoveDeadWorkingCopies(QFileInfo(output_).absolutePath());
}

OutputWorkingCopy::~OutputWorkingCopy() {
    if (!path_.isEmpty())
        QFile::remove(path_);
}

bool OutputWorkingCopy::CopyFrom(const QString& source, QString* error) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("%1 cannot be read: %2").arg(source, in.errorString()));
    const QFileInfo out(output_);
    const QString suffix = extension_.isEmpty() ? QString() : QLatin1Char('.') + extension_;
    QTemporaryFile temp(out.absolutePath() + QLatin1Char('/') + TaggedTemplate(kWorkingPrefix) +
                        suffix);
    if (!temp.open())
        return Fail(
            error,
            QStringLiteral("%1 cannot be written: %2").arg(output_, DeviceCause(temp, errno)));
    int err = 0;
    if (!CopyInto(in, temp, &err))
        return Fail(
            error,
            in.error() != QFileDevice::NoError
                ? QStringLiteral("%1 cannot be read: %2").arg(source, in.errorString())
                : QStringLiteral("%1 cannot be written: %2").arg(output_, DeviceCause(temp, err)));
    // Writable by its owner, so that the fill can save it.
    temp.setPermissions(in.permissions() | QFileDevice::WriteOwner);
    temp.setAutoRemove(false);
    path_ = temp.fileName();
    return true;
}

bool OutputWorkingCopy::Commit(QString* error) {
    QFile file(path_);
    errno = 0;
    if (path_.isEmpty() || !file.open(QIODevice::ReadOnly) || !SyncToDisk(file.handle()))
        return Fail(
            error,
            QStringLiteral("%1 cannot be written: %2").arg(output_, DeviceCause(file, errno)));
    file.close();
    if (std::rename(QFile::encodeName(path_).constData(), QFile::encodeName(output_).constData()) !=
        0)
        return Fail(error,
                    QStringLiteral("%1 cannot be written: %2").arg(output_, CauseText(errno)));
    path_.clear();
    SyncFolder(QFileInfo(output_).absolutePath());
    return true;
}

QString CopyName(const QString& output, const QString& source) {
    return QStringLiteral("%1 (a copy of %2)").arg(output, source);
}

void RemoveDeadWorkingCopies(const QString& folder) {
    const QDir dir(folder);
    const QStringList names = dir.entryList({kWorkingPrefix + QLatin1Char('*')},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (TaggedNameIsDead(name, kWorkingPrefix))
            QFile::remove(dir.filePath(name));
    }
}

} // namespace zorv
