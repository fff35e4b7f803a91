#include "ServerActions.h"

#include "AtomicWrite.h"
#include "FuncLib.h"
#include "ZorvError.h"

#include <QFile>
#include <QFileInfo>
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

// Below this many characters a text is too short to judge its characters...
constexpr qsizetype kMinJudgedCharacters = 32;
// ...and below this many, its spacing. A resume in any language has a space or a line break
// far more often than once in this many characters; bytes read as UTF-16 almost never do.
constexpr qsizetype kMinJudgedSpacing = 256;
constexpr qsizetype kCharactersPerSpaceAtMost = 200;

// True for what a converter makes of bytes that are no text behind a valid header: most
// characters (spaces and controls aside) unassigned or private-use, or a long text with
// hardly a space or line break. Never a resume.
bool MostlyUnreadable(const QString& text) {
    qsizetype counted = 0;
    qsizetype unreadable = 0;
    qsizetype spaces = 0;
    for (const char32_t c : QStringView(text).toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (QChar::isSpace(c))
            ++spaces;
        if (QChar::isSpace(c) || category == QChar::Other_Control)
            continue;
        ++counted;
        if (category == QChar::Other_NotAssigned || category == QChar::Other_PrivateUse ||
            category == QChar::Other_Surrogate)
            ++unreadable;
    }
    if (counted >= kMinJudgedCharacters && unreadable * 2 > counted)
        return true;
    return counted >= kMinJudgedSpacing && spaces * kCharactersPerSpaceAtMost < counted;
}

ActionResult Convert(const ParserSettings& settings, const ProgressSink& progress) {
    const QString problem = CheckResumeFile(settings.ResumeFileName);
    if (!problem.isEmpty())
        return Failure(problem);
    ActionResult result = ConvertResume(settings, progress);
    if (result.ok && MostlyUnreadable(result.text))
        return Failure(QStringLiteral("The resume holds no readable text (its characters are "
                                      "mostly unassigned or private-use, or come without "
                                      "spaces or line breaks): ") +
                       settings.ResumeFileName);
    return result;
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
    QString cause;
    // It holds the whole resume: for the user alone.
    if (WriteFileAtomically(path, xml.toUtf8(), &cause, FileAccess::OwnerOnly))
        return true;
    error = QStringLiteral("The HR-XML file could not be written: ") + path + QStringLiteral(" (") +
            cause + QLatin1Char(')');
    return false;
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
