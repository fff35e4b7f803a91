#include "FuncLib.h"

#include "AtomicWrite.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cstdio>

namespace zorv {
namespace {

bool IsSeparator(QChar c) {
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

// Zero-based index of the separator the path rules use: the last backslash, or, when
// there is none at all, the last forward slash; -1 when neither occurs.
qsizetype SeparatorIndex(const QString& path) {
    const qsizetype back = path.lastIndexOf(QLatin1Char('\\'));
    return back >= 0 ? back : path.lastIndexOf(QLatin1Char('/'));
}

// Zero-based index of the dot that starts an extension, or -1 when there is none.
qsizetype ExtensionDot(const QString& path) {
    const qsizetype d = path.lastIndexOf(QLatin1Char('.'));
    return (d >= 0 && d < path.size() - 1) ? d : -1;
}

bool StatPath(const QString& path, struct stat& st) {
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty() || native.contains('\0'))
        return false;
    return ::stat(native.constData(), &st) == 0;
}

bool IsHiddenName(const QString& path) {
    return GetFileName(path).startsWith(QLatin1Char('.'));
}

} // namespace

QString TrimSpaces(const QString& text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text[b] == QLatin1Char(' '))
        ++b;
    while (e > b && text[e - 1] == QLatin1Char(' '))
        --e;
    return text.mid(b, e - b);
}

bool IsBlank(const QString& text) {
    if (text.isEmpty() || TrimSpaces(text).isEmpty())
        return true;
    for (QChar c : text) {
        if (c != QChar(0))
            return false;
    }
    return true;
}

bool FileExists(const QString& path) {
    if (IsBlank(GetFileName(path)))
        return false;
    struct stat st {};
    return StatPath(path, st) && S_ISREG(st.st_mode);
}

QString GetFilePath(const QString& path) {
    const qsizetype p = SeparatorIndex(path);
    return p <= 0 ? QString() : path.left(p);
}

QString GetFileName(const QString& path) {
    const qsizetype p = SeparatorIndex(path);
    if (p >= path.size() - 1)
        return QString();
    return path.mid(p + 1);
}

QString GetFileExt(const QString& path) {
    const qsizetype d = ExtensionDot(path);
    return d < 0 ? QString() : path.mid(d + 1);
}

QString StripFileExt(const QString& path) {
    const qsizetype d = ExtensionDot(path);
    return d < 0 ? path : path.left(d);
}

QString AddBackslash(const QString& path) {
    if (IsBlank(path))
        return QString();
    const QString trimmed = TrimSpaces(path);
    if (IsSeparator(trimmed.back()))
        return trimmed;
    return trimmed + PathSeparator();
}

QString TrimAtNull(const QString& text) {
    const qsizetype z = text.indexOf(QChar(0));
    return z < 0 ? text : text.left(z);
}

#ifdef _WIN32
QString GetTempDir(QString* problem) {
    const QString dir = QDir::tempPath();
    if (dir.isEmpty() && problem)
        *problem = QStringLiteral("The temporary folder is not known.");
    return dir.isEmpty() ? QString() : AddBackslash(QDir::toNativeSeparators(dir));
}
#else
namespace {
// An existing folder named by the environment variable, or "".
QString FolderFromEnvironment(const char* name) {
    const QString dir = QFile::decodeName(qgetenv(name));
    return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QString();
}

// "" when path is a private folder of ours (made so when it is missing), else why not.
QString PrivateFolderProblem(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return QStringLiteral("it cannot be created: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("it is not a folder");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("other users have access to it");
    return QString();
}
} // namespace

QString GetTempDir(QString* problem) {
    const QString runtime = FolderFromEnvironment("XDG_RUNTIME_DIR");
    QString base = FolderFromEnvironment("TMPDIR");
    if (base.isEmpty())
        base = QStringLiteral("/tmp");
    const QString dir = !runtime.isEmpty()
                            ? QDir(runtime).filePath(QStringLiteral("ZorvQarn"))
                            : QDir(base).filePath(QStringLiteral("ZorvQarn-%1").arg(::geteuid()));
    const QString why = PrivateFolderProblem(dir);
    if (why.isEmpty())
        return AddBackslash(dir);
    if (problem)
        *problem =
            QStringLiteral("The private temporary folder %1 cannot be used: %2.").arg(dir, why);
    return QString();
}
#endif

QString GetSystemDir() {
#ifdef _WIN32
    return AddBackslash(QDir::toNativeSeparators(QString::fromLocal8Bit(qgetenv("SystemRoot")) +
                                                 QStringLiteral("\\System32")));
#else
    return QStringLiteral("/usr/bin/");
#endif
}

void DeleteFileIfExists(const QString& path) {
    if (IsBlank(path) || IsHiddenName(path))
        return;
    struct stat st {};
    if (!StatPath(path, st) || !S_ISREG(st.st_mode))
        return;
    // A read-only file is refused, as the platform's delete would refuse it.
    if ((st.st_mode & S_IWUSR) == 0)
        return;
    std::remove(QFile::encodeName(path).constData());
}

bool SetFileAttributesNormal(const QString& path) {
    struct stat st {};
    if (!StatPath(path, st))
        return false;
    return ::chmod(QFile::encodeName(path).constData(), st.st_mode | S_IWUSR) == 0;
}

bool CopyFileReplace(const QString& source, const QString& target) {
    return FileExists(source) && !IsBlank(GetFileName(target)) &&
           CopyFileAtomically(source, target);
}

std::int32_t GetDelimitedTokens(const QString& Text, const QString& StartDelim,
                                const QString& EndDelim, QStringList& Tokens, bool KeepDelims,
                                bool KeepEmpty, bool CaseSensitive) {
    const Qt::CaseSensitivity cs = CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QString text = Text;
    std::int32_t n = 0;
    // b and e are one-based positions, 0 meaning "not found".
    auto find = [&](qsizetype& b, qsizetype& e) {
        b = text.indexOf(StartDelim, 0, cs) + 1;
        e = 0;
        if (b > 0 && b < text.size())
            e = text.indexOf(EndDelim, b, cs) + 1;
    };
    qsizetype b = 0;
    qsizetype e = 0;
    find(b, e);
    while (b > 0 && e > 0) {
        ++n;
        while (Tokens.size() < n)
            Tokens.append(QString());
        while (Tokens.size() > n)
            Tokens.removeLast();
        QString piece = text.mid(b - 1, (e - b) + EndDelim.size());
        if (piece.size() != StartDelim.size() + EndDelim.size() || KeepEmpty) {
            if (!KeepDelims)
                piece = piece.mid(StartDelim.size(),
                                  piece.size() - StartDelim.size() - EndDelim.size());
            Tokens[n - 1] = piece;
        }
        text = text.mid(e - 1 + EndDelim.size());
        find(b, e);
    }
    return n;
}

} // namespace zorv
