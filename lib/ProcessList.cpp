#include "ProcessList.h"

#ifdef _WIN32
#include <tlhelp32.h>
#include <windows.h>
#else
#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zorv {

#ifdef _WIN32

std::vector<ProcessEntry> ProcessSnapshot() {
    std::vector<ProcessEntry> out;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return out;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry))
        out.push_back({static_cast<std::int64_t>(entry.th32ProcessID),
                       QString::fromWCharArray(entry.szExeFile),
                       static_cast<std::int64_t>(entry.th32ParentProcessID), -1});
    CloseHandle(snap);
    return out;
}

std::int64_t CurrentProcessId() {
    return static_cast<std::int64_t>(GetCurrentProcessId());
}

bool ProcessRuns(std::int64_t pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h)
        return false;
    DWORD code = 0;
    const bool runs = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return runs;
}

std::int64_t CurrentUserId() {
    return -1;
}

QString ProcessStartTag(std::int64_t) {
    return QString();
}

bool TerminateProcessNow(std::int64_t pid) {
    HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (!h)
        return false;
    const bool ok = TerminateProcess(h, 0) != 0;
    CloseHandle(h);
    return ok;
}

#else

namespace {

// The file name of /proc/<pid>/exe; the kernel's short name when the link cannot be read
// (another user's process, a kernel thread).
QString ExecutableName(const QString& procDir) {
    QString target = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    if (!target.isEmpty()) {
        // A program replaced on disk while running keeps its name with this suffix.
        const QString deleted = QStringLiteral(" (deleted)");
        if (target.endsWith(deleted))
            target.chop(deleted.size());
        return target.mid(target.lastIndexOf(QLatin1Char('/')) + 1);
    }
    QFile comm(procDir + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

// Fields of stat(5) are counted from the state, the first one after the name.
constexpr int kParentField = 1;     // field 4
constexpr int kStartTimeField = 19; // field 22

// The fields of /proc/<pid>/stat after the name (which may hold spaces and ends at the
// last ')'); empty when it cannot be read.
QList<QByteArray> StatFields(const QString& procDir) {
    QFile stat(procDir + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2).split(' ');
}

std::int64_t ParentPid(const QString& procDir) {
    const QList<QByteArray> fields = StatFields(procDir);
    return fields.size() > kParentField ? fields[kParentField].toLongLong() : 0;
}

std::int64_t OwnerUid(const QString& procDir) {
    struct stat st {};
    if (::stat(QFile::encodeName(procDir).constData(), &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_uid);
}

} // namespace

std::vector<ProcessEntry> ProcessSnapshot() {
    std::vector<ProcessEntry> out;
    const QDir proc(QStringLiteral("/proc"));
    const QStringList names = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        bool isNumber = false;
        const qint64 pid = name.toLongLong(&isNumber);
        if (!isNumber || pid <= 0)
            continue;
        const QString dir = proc.filePath(name);
        const QString exe = ExecutableName(dir);
        if (!exe.isEmpty())
            out.push_back({pid, exe, ParentPid(dir), OwnerUid(dir)});
    }
    return out;
}

std::int64_t CurrentProcessId() {
    return static_cast<std::int64_t>(::getpid());
}

bool ProcessRuns(std::int64_t pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::int64_t CurrentUserId() {
    return static_cast<std::int64_t>(::getuid());
}

QString ProcessStartTag(std::int64_t pid) {
    const QList<QByteArray> fields = StatFields(QStringLiteral("/proc/%1").arg(pid));
    return fields.size() > kStartTimeField ? QString::fromLatin1(fields[kStartTimeField])
                                           : QString();
}

bool TerminateProcessNow(std::int64_t pid) {
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

#endif

} // namespace zorv
