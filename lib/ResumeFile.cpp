#include "ResumeFile.h"

#include "FuncLib.h"

#include <QFile>
#include <QFileInfo>

namespace zorv {
namespace {

QString Unreadable(const QString& path, const QFile& file) {
    return QStringLiteral("The resume file cannot be read: ") + path + QStringLiteral(" (") +
           file.errorString() + QLatin1Char(')');
}

// What the file's metadata alone says against it, or "".
QString StatProblem(const QString& path) {
    const QFileInfo info(path);
    // A folder or device "exists" but is no file: say so rather than "not found".
    if (!IsBlank(path) && info.exists() && !info.isFile())
        return QStringLiteral("The resume is not a file: ") + path;
    if (QString problem = ResumeFileGiven(path); !problem.isEmpty())
        return problem;
    if (info.size() == 0)
        return QStringLiteral("The resume file is empty: ") + path;
    if (info.size() > kMaxResumeBytes)
        return QStringLiteral("The resume file is larger than %1 MiB: ")
                   .arg(kMaxResumeBytes / kBytesPerMiB) +
               path;
    return QString();
}

} // namespace

QString ResumeFileGiven(const QString& path) {
    if (IsBlank(path))
        return QStringLiteral("Resume not given.");
    if (!FileExists(path))
        return QStringLiteral("Resume not found.\r\n") + path;
    return QString();
}

QString ResumeFileProblem(const QString& path) {
    if (QString problem = StatProblem(path); !problem.isEmpty())
        return problem;
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return Unreadable(path, probe);
    return QString();
}

QString ReadResumeFile(const QString& path, QByteArray& bytes) {
    bytes.clear();
    if (QString problem = StatProblem(path); !problem.isEmpty())
        return problem;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Unreadable(path, file);
    bytes = file.read(kMaxResumeBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Unreadable(path, file);
    return QString();
}

const QStringList& ResumeExtensions() {
    static const QStringList extensions = {
        QStringLiteral("doc"), QStringLiteral("docx"), QStringLiteral("rtf"), QStringLiteral("txt"),
        QStringLiteral("htm"), QStringLiteral("html"), QStringLiteral("pdf"), QStringLiteral("wpd"),
        // scans, read by OCR
        QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("tif"),
        QStringLiteral("tiff")};
    return extensions;
}

} // namespace zorv
