// LibreOffice headless as a converter: a private profile in a temporary folder, output
// away from our standard streams, its own process group, ended on a time limit.
#include "OfficeConverter.h"

#include "ConvertText.h"
#include "DocxToText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>
#include <mutex>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace zorv::rp::convert {

namespace {

std::mutex officeMutex;
QString officeOverride;
bool officeOverridden = false;

// Exit code of the office asking to be started again (after it set up a new profile).
constexpr int kOfficeRestartCode = 81;

// The private profile, made on first use and removed when the process ends normally.
const QTemporaryDir& Profile() {
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zorv-office-XXXXXX"));
    return dir;
}

void KillGroup(QProcess& process) {
#ifdef Q_OS_LINUX
    if (process.processId() > 0)
        ::kill(-static_cast<pid_t>(process.processId()), SIGKILL);
#endif
    process.kill();
    process.waitForFinished(5000);
}

enum class RunOutcome { Finished, NotStarted, TimedOut };

RunOutcome RunOffice(const QString& program, const QStringList& args, int* exitCode) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    // The office never writes to our standard output (a protocol may run over it).
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    // Its own process group, so that a time-out ends all of it; and it dies with us.
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
#endif
    process.start();
    if (!process.waitForStarted(30000))
        return RunOutcome::NotStarted;
    if (!process.waitForFinished(kOfficeTimeLimitMs)) {
        KillGroup(process);
        return RunOutcome::TimedOut;
    }
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return RunOutcome::Finished;
}

} // namespace

QString FindOfficeProgram() {
    {
        std::lock_guard lock(officeMutex);
        if (officeOverridden)
            return officeOverride;
    }
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

void SetOfficeProgram(const QString& program) {
    std::lock_guard lock(officeMutex);
    officeOverride = program;
    officeOverridden = !program.isEmpty();
}

ActionResult DocToText(const QByteArray& bytes) {
    const QString program = FindOfficeProgram();
    if (program.isEmpty() || !QFileInfo(program).isExecutable())
        return Failed(QStringLiteral("Word 97-2003 documents (.doc) need LibreOffice, which is "
                                     "not installed."));
    const QTemporaryDir work(QDir::tempPath() + QStringLiteral("/zorv-doc-XXXXXX"));
    if (!work.isValid() || !Profile().isValid())
        return Failed(QStringLiteral("No temporary folder for converting the .doc document."));
    const QString input = work.filePath(QStringLiteral("resume.doc"));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return Failed(QStringLiteral("The .doc document could not be copied for conversion."));
    }
    const QStringList args{QStringLiteral("--headless"),
                           QStringLiteral("--invisible"),
                           QStringLiteral("--nologo"),
                           QStringLiteral("--norestore"),
                           QStringLiteral("--nolockcheck"),
                           QStringLiteral("--nodefault"),
                           QStringLiteral("-env:UserInstallation=") +
                               QUrl::fromLocalFile(Profile().path()).toString(QUrl::FullyEncoded),
                           QStringLiteral("--convert-to"),
                           QStringLiteral("docx:MS Word 2007 XML"),
                           QStringLiteral("--outdir"),
                           work.path(),
                           input};
    // One conversion at a time: they share the profile.
    std::lock_guard lock(officeMutex);
    int exitCode = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (RunOffice(program, args, &exitCode)) {
        case RunOutcome::NotStarted:
            return Failed(QStringLiteral("LibreOffice could not be started to read the .doc "
                                         "document."));
        case RunOutcome::TimedOut:
            return Failed(QStringLiteral("LibreOffice did not finish reading the .doc document "
                                         "within %1 seconds.")
                              .arg(kOfficeTimeLimitMs / 1000));
        case RunOutcome::Finished:
            break;
        }
        if (exitCode != kOfficeRestartCode)
            break;
    }
    QFile output(work.filePath(QStringLiteral("resume.docx")));
    if (!output.open(QIODevice::ReadOnly))
        return Failed(QStringLiteral("LibreOffice could not read the .doc document (it may be "
                                     "damaged or protected by a password)."));
    const QByteArray docx = output.read(kMaxResumeBytes + 1);
    return DocxToText(docx);
}

} // namespace zorv::rp::convert
