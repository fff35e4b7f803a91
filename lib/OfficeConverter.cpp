// LibreOffice headless as a converter: private profile and temporary files in one private
// folder; the office runs as a supervised child (ChildProcess.h), ended on a time limit.
#include "OfficeConverter.h"

#include "ChildProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace zorv {
namespace {

// Exit code of the office asking to be started again (after it set up a new profile).
constexpr int kOfficeRestartCode = 81;
const QString kFolderPrefix = QStringLiteral("zorv-office-");

// Removes the private folders of our own processes that no longer run (killed before they
// could clean up). A folder is named after its process: zorv-office-<pid>-XXXXXX.
void SweepStaleFolders() {
#ifndef _WIN32
    const QDir temp(QDir::tempPath());
    const auto entries = temp.entryInfoList({kFolderPrefix + QStringLiteral("*")},
                                            QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        const QStringList parts = entry.fileName().mid(kFolderPrefix.size()).split(u'-');
        bool ok = false;
        const qint64 pid = parts.size() == 2 ? parts[0].toLongLong(&ok) : 0;
        if (!ok || pid <= 0 || pid == ::getpid() || entry.isSymLink() ||
            entry.ownerId() != ::getuid())
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue; // still running, or not ours to judge
        QDir(entry.absoluteFilePath()).removeRecursively();
    }
#endif
}

} // namespace

QString FindOfficeProgram() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (found.isEmpty())
            continue;
        // Run the office binary itself, not its launcher: the launcher's child would
        // escape the time limit and outlive us.
        const QFileInfo launcher(QFileInfo(found).canonicalFilePath());
        const QString binary = launcher.absolutePath() + QStringLiteral("/soffice.bin");
        return QFileInfo(binary).isExecutable() ? binary : found;
    }
    return {};
}

OfficeConverter::OfficeConverter(OfficeLocator findOffice) : findOffice_(std::move(findOffice)) {}

OfficeConverter::~OfficeConverter() {
    std::lock_guard lock(mutex_);
    folder_.reset();
}

bool OfficeConverter::EnsureFolder() {
    if (folder_)
        return folder_->isValid();
    SweepStaleFolders();
    folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + kFolderPrefix +
                                              QString::number(QCoreApplication::applicationPid()) +
                                              QStringLiteral("-XXXXXX"));
    if (!folder_->isValid())
        return false;
    const QDir dir(folder_->path());
    return dir.mkpath(QStringLiteral("profile")) && dir.mkpath(QStringLiteral("tmp"));
}

QString OfficeConverter::PrivateFolder() const {
    std::lock_guard lock(mutex_);
    return folder_ && folder_->isValid() ? folder_->path() : QString();
}

QString OfficeConverter::NewWorkFolder() {
    std::lock_guard lock(mutex_);
    if (!EnsureFolder())
        return {};
    const QString path = folder_->filePath(QStringLiteral("work-%1").arg(++workFolders_));
    return QDir().mkpath(path) ? path : QString();
}

QString OfficeConverter::Program() const {
    const QString program = findOffice_ ? findOffice_() : QString();
    return !program.isEmpty() && QFileInfo(program).isExecutable() ? program : QString();
}

OfficeConverter::Result OfficeConverter::Convert(const QString& input, const QString& filter,
                                                 const QString& extension, const QString& outDir) {
    Result result;
    const QString program = Program();
    if (program.isEmpty()) {
        result.status = Status::NoOffice;
        return result;
    }
    std::lock_guard lock(mutex_);
    if (!EnsureFolder()) {
        result.status = Status::NoFolder;
        return result;
    }
    const QString output = outDir + QLatin1Char('/') + QFileInfo(input).completeBaseName() +
                           QLatin1Char('.') + extension;
    QFile::remove(output);
    const QStringList args{QStringLiteral("--headless"),
                           QStringLiteral("--invisible"),
                           QStringLiteral("--nologo"),
                           QStringLiteral("--norestore"),
                           QStringLiteral("--nolockcheck"),
                           QStringLiteral("--nodefault"),
                           QStringLiteral("-env:UserInstallation=") +
                               QUrl::fromLocalFile(folder_->filePath(QStringLiteral("profile")))
                                   .toString(QUrl::FullyEncoded),
                           QStringLiteral("--convert-to"),
                           filter,
                           QStringLiteral("--outdir"),
                           outDir,
                           input};
    // Its own temporary files go into the private folder, which is removed with it.
    const ChildLaunch office{
        .program = program,
        .arguments = args,
        .output = ChildOutput::Discard,
        .environment = {{QStringLiteral("TMPDIR"), folder_->filePath(QStringLiteral("tmp"))}}};
    // A fresh profile makes the office set it up and ask to be started again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ++runs_;
        const ChildRun run = RunChild(office, kOfficeTimeLimitMs);
        if (run.status == ChildRun::Status::NotStarted) {
            result.status = Status::NotStarted;
            return result;
        }
        if (run.status == ChildRun::Status::TimedOut) {
            QFile::remove(output);
            result.status = Status::TimedOut;
            return result;
        }
        if (run.exitCode != kOfficeRestartCode)
            break;
    }
    const QFileInfo written(output);
    if (!written.isFile() || written.size() == 0) {
        QFile::remove(output);
        result.status = Status::NotConverted;
        return result;
    }
    result.status = Status::Converted;
    result.outputPath = output;
    return result;
}

QString OfficeFailureText(OfficeConverter::Status status, const QString& what) {
    using S = OfficeConverter::Status;
    switch (status) {
    case S::Converted:
        return {};
    case S::NoOffice:
        return QStringLiteral("Converting %1 needs LibreOffice, which is not installed.").arg(what);
    case S::NoFolder:
        return QStringLiteral("No private temporary folder could be made for converting %1.")
            .arg(what);
    case S::NotStarted:
        return QStringLiteral("LibreOffice could not be started to convert %1.").arg(what);
    case S::TimedOut:
        return QStringLiteral("LibreOffice did not finish converting %1 within %2 seconds.")
            .arg(what)
            .arg(kOfficeTimeLimitMs / 1000);
    case S::NotConverted:
        break;
    }
    return QStringLiteral("LibreOffice could not convert %1 (it may be damaged or protected by "
                          "a password).")
        .arg(what);
}

} // namespace zorv
