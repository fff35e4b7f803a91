#include "ServerActions.h"

#include "FuncLib.h"
#include "ZorvError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <exception>
#include <new>

namespace zorv::rp {
namespace {

ActionResult Failure(const QString& message) {
    return ActionResult{false, QString(), message};
}

// A message when the resume file cannot be handed to a converter, or "".
QString CheckResumeFile(const QString& path) {
    if (IsBlank(path))
        return QStringLiteral("No resume file was given.");
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("The resume file was not found: ") + path;
    if (!info.isFile())
        return QStringLiteral("The resume is not a file: ") + path;
    if (info.size() == 0)
        return QStringLiteral("The resume file is empty: ") + path;
    if (info.size() > kMaxResumeBytes)
        return QStringLiteral("The resume file is larger than 50 MiB: ") + path;
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return QStringLiteral("The resume file cannot be read: ") + path + QStringLiteral(" (") +
               probe.errorString() + QLatin1Char(')');
    return QString();
}

ActionResult Convert(const ParserSettings& settings, const ProgressSink& progress) {
    const QString problem = CheckResumeFile(settings.ResumeFileName);
    if (!problem.isEmpty())
        return Failure(problem);
    return ConvertResume(settings, progress);
}

ActionResult Parse(const ParserSettings& settings, bool contactOnly) {
    if (IsBlank(settings.ResumeContent))
        return Failure(QStringLiteral("There is no resume content to parse."));
    if (!contactOnly && IsBlank(settings.XMLResumeFileName))
        return Failure(QStringLiteral("No XML file name was given for the HR-XML file."));
    ActionResult result = ParseResume(settings, contactOnly);
    if (!result.ok || contactOnly)
        return result;
    QString error;
    if (!WriteHRXMLFile(HRXMLFileFor(settings.XMLResumeFileName), result.text, error))
        return Failure(error);
    return result;
}

} // namespace

QString HRXMLFileFor(const QString& xmlResumeFileName) {
    return StripFileExt(xmlResumeFileName) + QStringLiteral("_HRXML.XML");
}

bool WriteHRXMLFile(const QString& path, const QString& xml, QString& error) {
    QSaveFile file(path);
    const QByteArray bytes = xml.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("The HR-XML file could not be written: ") + path +
                QStringLiteral(" (") + file.errorString() + QLatin1Char(')');
        file.cancelWriting();
        return false;
    }
    return true;
}

ActionResult RunServerAction(const QString& what, const ParserSettings& settings,
                             const ProgressSink& progress) {
    try {
        if (what == QLatin1String("Convert"))
            return Convert(settings, progress);
        if (what == QLatin1String("Parse"))
            return Parse(settings, false);
        if (what == QLatin1String("Extract"))
            return Parse(settings, true);
        return Failure(QStringLiteral("Unknown action: ") + what);
    } catch (const ZorvError& e) {
        return Failure(e.Description());
    } catch (const std::bad_alloc&) {
        return Failure(QStringLiteral("Out of memory while running ") + what + QLatin1Char('.'));
    } catch (const std::exception& e) {
        return Failure(what + QStringLiteral(" failed: ") + QString::fromUtf8(e.what()));
    }
}

} // namespace zorv::rp
