#include "LibreOfficeReader.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

namespace zorv::test {

bool ConvertWithLibreOffice(const QStringList& files, const QString& format, const QString& outDir,
                            QString* log) {
    QTemporaryDir profile;
    if (!profile.isValid())
        return false;
    const QString filter =
        format == QLatin1String("txt") ? QStringLiteral("txt:Text (encoded):UTF8") : format;
    QStringList args{QStringLiteral("-env:UserInstallation=") +
                         QUrl::fromLocalFile(profile.path()).toString(),
                     QStringLiteral("--headless"),
                     QStringLiteral("--norestore"),
                     QStringLiteral("--convert-to"),
                     filter,
                     QStringLiteral("--outdir"),
                     outDir};
    args += files;
    QProcess soffice;
    soffice.setProcessChannelMode(QProcess::MergedChannels);
    soffice.start(QStringLiteral("soffice"), args);
    const bool finished = soffice.waitForFinished(300000);
    if (!finished)
        soffice.kill();
    if (log)
        *log = QString::fromLocal8Bit(soffice.readAll());
    if (!finished || soffice.exitStatus() != QProcess::NormalExit || soffice.exitCode() != 0)
        return false;
    for (const QString& file : files)
        if (!QFileInfo::exists(ConvertedPath(file, outDir, format)))
            return false;
    return true;
}

QString PdfText(const QString& pdfPath) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                  pdfPath, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return QString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

QString ConvertedPath(const QString& input, const QString& outDir, const QString& extension) {
    return outDir + QLatin1Char('/') + QFileInfo(input).completeBaseName() + QLatin1Char('.') +
           extension;
}

} // namespace zorv::test
