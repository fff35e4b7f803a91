#include "ServerActions.h"

#include "AtomicWrite.h"
#include "FuncLib.h"
#include "ParserProtocol.h"
#include "ZorvError.h"

namespace zorv::rp {
namespace {

ActionResult Failure(const QString& message) {
    return ActionResult{false, QString(), message};
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
    // ConvertResume checks the file first (ResumeFile.h).
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
    ActionResult result;
    const std::optional<CaughtError> error = CatchError([&] {
        if (what == protocol::calls::kConvert)
            result = Convert(settings, progress);
        else if (what == protocol::calls::kParse)
            result = Parse(settings, false);
        else if (what == protocol::calls::kExtract)
            result = Parse(settings, true);
        else
            result = Failure(QStringLiteral("Unknown action: ") + what);
    });
    if (!error)
        return result;
    switch (error->kind) {
    case CaughtError::Kind::OutOfMemory:
        return Failure(QStringLiteral("Out of memory while running ") + what + QLatin1Char('.'));
    case CaughtError::Kind::Other:
        return Failure(what + QStringLiteral(" failed: ") + error->description);
    case CaughtError::Kind::Zorv:
        break;
    }
    return Failure(error->description);
}

} // namespace zorv::rp
