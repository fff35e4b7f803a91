#include "CreatePipeline.h"

#include "AtomicWrite.h"
#include "FuncLib.h"
#include "Messages.h"
#include "ParserProtocol.h"
#include "PrivateFiles.h"
#include "ProcessResumeInterface.h"
#include "ReplaceTokensInterface.h"
#include "ResumeFile.h"
#include "Settings.h"
#include "ZorvError.h"

#include <QCryptographicHash>
#include <QFile>

namespace zorv {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
// The longest file name most file systems take, in bytes.
constexpr qsizetype kMaxFileNameBytes = 255;
// Hex digits of the hash that keeps a shortened name apart from other shortened names.
constexpr qsizetype kNameHashDigits = 8;
// Runs at once on resumes of one name; past this a run says no name is free.
constexpr int kMaxTempNameClaims = 100;

// The stem, shortened and tagged with a short hash of itself when stem + suffix would be
// longer than a file name may be.
QString StemWithin(const QString& stem, const QString& suffix) {
    if (QFile::encodeName(stem + suffix).size() <= kMaxFileNameBytes)
        return stem;
    const QString tag =
        QLatin1Char('~') +
        QString::fromLatin1(QCryptographicHash::hash(stem.toUtf8(), QCryptographicHash::Sha1)
                                .toHex()
                                .left(kNameHashDigits));
    QString kept = stem;
    while (!kept.isEmpty() && QFile::encodeName(kept + tag + suffix).size() > kMaxFileNameBytes)
        kept.chop(kept.size() >= 2 && kept[kept.size() - 1].isLowSurrogate() ? 2 : 1);
    return kept + tag;
}

void ReportParseFailure(const QString& reason) {
    ShowMessage(QStringLiteral("Error processing resume.") + kCrLf +
                    QStringLiteral("Description: ") + reason,
                MsgIcon::Information);
}

void ReportOutputFailure(const QString& reason) {
    ShowMessage(QStringLiteral("The output resume could not be written.") + kCrLf + reason,
                MsgIcon::Information);
}

// The message when one of the run's outputs is one of its inputs, or "".
QString OutputIsInput(const QString& input, const QString& resumeTemplate) {
    const QString tempXML = TempXMLResumePath(input);
    const QStringList outputs = {OutputResumePath(input, resumeTemplate), tempXML,
                                 HRXMLPath(tempXML)};
    for (const QString& output : outputs) {
        if (IsSameFile(output, resumeTemplate))
            return QStringLiteral("The output would replace the resume template.") + kCrLf + output;
        if (IsSameFile(output, input))
            return QStringLiteral("The output would replace the resume.") + kCrLf + output;
    }
    return QString();
}

void ReportRunError(std::int32_t number, const QString& description) {
    ShowMessage(QStringLiteral("Error processing resume.") + kCrLf +
                    QStringLiteral("Description: ") + description + kCrLf +
                    QStringLiteral("Number: ") + ErrNumberText(number),
                MsgIcon::Information);
}

// Steps 5 to 15: runs with the busy state shown; returns whether step 14 was reached.
bool RunBusySteps(ICreateView& view, const StartupValues& startup, const CreateCollaborators& c,
                  const QString& input, const QString& resumeTemplate,
                  std::unique_ptr<IProcessResume>& processResume,
                  std::unique_ptr<IReplaceTokens>& replaceTokens) {
    const QString country = GetSetting(SettingsAppName, QStringLiteral("OptionsMyRecord"),
                                       QStringLiteral("ResumeCountry"), QString());

    const TempNameClaim claim(input);
    const QString tempXML = claim.TempXMLPath();
    if (tempXML.isEmpty()) {
        ReportParseFailure(claim.Problem());
        return false;
    }
    SetFileAttributesNormal(tempXML);
    DeleteFileIfExists(tempXML);

    if (!c.NewProcessResume)
        throw ZorvError(ErrCannotCreateComponent,
                        QStringLiteral("The resume parser component is not available."));
    processResume = c.NewProcessResume();
    IProcessResume& pr = *processResume;
    ConfigureCreateTry(pr, startup, input, tempXML, country);

    if (!pr.ProcessResume(protocol::calls::kConvert) ||
        !pr.ProcessResume(protocol::calls::kParse)) {
        ReportParseFailure(pr.ErrMsg);
        return false;
    }

    const QString hrXML = HRXMLPath(tempXML);
    const QString output = OutputResumePath(input, resumeTemplate);

    std::int32_t nTokens = 0;
    QStringList names;
    QStringList values;
    if (!c.GetTokensFromXML)
        throw ZorvError(ErrCannotCreateComponent,
                        QStringLiteral("The token mapping is not available."));
    c.GetTokensFromXML(hrXML, nTokens, names, values);
    std::vector<TokenList> lists;
    if (c.GetTokenListsFromXML)
        lists = c.GetTokenListsFromXML(hrXML);

    // The copy is filled beside the output and renamed over it only when whole: a failure
    // or a kill leaves an earlier output as it was, never an unfilled template under its name.
    OutputWorkingCopy work(output);
    QString cause;
    if (!work.CopyFrom(resumeTemplate, &cause)) {
        ReportOutputFailure(cause);
        return false;
    }
    const ScopedPathInMessages named(work.Path(), CopyName(output, resumeTemplate));
    if (nTokens > 0 || !lists.empty()) {
        if (!ReplaceTokensInCopy(c, work.Path(),
                                 TokenValues{nTokens, names, values, std::move(lists)},
                                 view.RedactContactDetails(), replaceTokens))
            return false;
        replaceTokens.reset(); // done with the working copy before it is renamed
    }
    if (!work.Commit(&cause)) {
        ReportOutputFailure(cause);
        return false;
    }
    view.SetOutputResumeText(output);
    view.SetOutputHRXMLText(hrXML);
    DeleteFileIfExists(tempXML);
    return true;
}

} // namespace

void ConfigureCreateTry(ProcessResumeProperties& pr, const StartupValues& startup,
                        const QString& input, const QString& tempXML, const QString& country) {
    pr.DebugMode = false;
    pr.UseFullParser = true;
    pr.ResumeFileName = input;
    pr.XMLResumeFileName = tempXML;
    pr.PutResumeContentInXML = true;
    pr.CleanupPhoneNumbers = CleanupPhoneNumbersFor(country);
    pr.NTries = 3;
    pr.TimeOutSeconds = 120;
    pr.DatabaseName = startup.DatabaseName;
    pr.DataPath = startup.DataPath;
    pr.CustomizePath = startup.CustomizePath;
    pr.TableName = QStringLiteral("Consultants");
}

bool ReplaceTokensInCopy(const CreateCollaborators& c, const QString& output, TokenValues tokens,
                         bool redact, std::unique_ptr<IReplaceTokens>& replaceTokens) {
    if (tokens.nTokens <= 0 && tokens.lists.empty())
        return false;
    if (!c.NewReplaceTokens)
        throw ZorvError(ErrCannotCreateComponent,
                        QStringLiteral("The template filling component is not available."));
    replaceTokens = c.NewReplaceTokens();
    replaceTokens->NTokens = tokens.nTokens;
    replaceTokens->TokenNames = std::move(tokens.names);
    replaceTokens->TokenValues = std::move(tokens.values);
    replaceTokens->TokenLists = std::move(tokens.lists);
    replaceTokens->Redact = redact;
    return replaceTokens->ReplaceTokensInDoc(output, false);
}

QString TempXMLResumePath(const QString& inputResume) {
    // Shortened so that the longer of the two names, the HR-XML file's, still fits.
    return GetTempDir() +
           StemWithin(QStringLiteral("~iqarn~") + StripFileExt(GetFileName(inputResume)),
                      QStringLiteral("~100_HRXML.XML")) + // room for a claim's number
           QStringLiteral(".xml");
}

TempNameClaim::TempNameClaim(const QString& inputResume) {
    if (GetTempDir(&problem_).isEmpty())
        return;
    const QString first = TempXMLResumePath(inputResume);
    for (int k = 1; k <= kMaxTempNameClaims; ++k) {
        const QString path =
            k == 1 ? first : StripFileExt(first) + QStringLiteral("~%1.xml").arg(k);
        // Only a gone owner's lock is free, however long a run takes.
        auto lock = std::make_unique<PrivateNameLock>();
        if (lock->TryLock(StripFileExt(path) + QStringLiteral(".lock"), &problem_)) {
            lock_ = std::move(lock);
            path_ = path;
            problem_.clear();
            return;
        }
        if (!problem_.isEmpty())
            return; // not taken, but not creatable either: the folder says why
    }
    problem_ = QStringLiteral("No temporary name is free for ") + GetFileName(inputResume);
}

TempNameClaim::~TempNameClaim() = default;

QString HRXMLPath(const QString& tempXMLResume) {
    return StripFileExt(tempXMLResume) + QStringLiteral("_HRXML.XML");
}

QString OutputResumePath(const QString& inputResume, const QString& resumeTemplate) {
    const QString suffix = QStringLiteral("_QX.") + GetFileExt(resumeTemplate);
    const QString whole = StripFileExt(inputResume) + suffix;
    if (QFile::encodeName(GetFileName(whole)).size() <= kMaxFileNameBytes)
        return whole;
    const QString name = GetFileName(inputResume);
    return inputResume.left(inputResume.size() - name.size()) +
           StemWithin(StripFileExt(name), suffix) + suffix;
}

bool CleanupPhoneNumbersFor(const QString& country) {
    return country == QLatin1String("US") || IsBlank(country);
}

bool RunCreatePipeline(ICreateView& view, const StartupValues& startup,
                       const CreateCollaborators& collaborators) {
    const QString input = view.InputResumeText();
    if (const QString problem = ResumeFileGiven(input); !problem.isEmpty()) {
        ShowMessage(problem);
        return false;
    }
    const QString resumeTemplate = view.ResumeTemplateText();
    if (IsBlank(resumeTemplate)) {
        ShowMessage(QStringLiteral("Resume template not given."));
        return false;
    }
    if (!FileExists(resumeTemplate)) {
        ShowMessage(QStringLiteral("Resume template not found.") + kCrLf + resumeTemplate);
        return false;
    }

    if (const QString clash = OutputIsInput(input, resumeTemplate); !clash.isEmpty()) {
        ShowMessage(clash);
        return false;
    }

    SetBusyPointer(view);
    view.SetCreateEnabled(false);

    // The processing object lives until the run returns; the replacement object is
    // released on the common exit, before the pointer is restored.
    std::unique_ptr<IProcessResume> processResume;
    std::unique_ptr<IReplaceTokens> replaceTokens;
    bool reached = false;
    if (const std::optional<CaughtError> error = CatchError([&] {
            reached = RunBusySteps(view, startup, collaborators, input, resumeTemplate,
                                   processResume, replaceTokens);
        }))
        ReportRunError(error->number, error->description);

    // Common exit.
    replaceTokens.reset();
    SetNormalPointer(view);
    view.SetCreateEnabled(true);
    return reached;
}

} // namespace zorv
