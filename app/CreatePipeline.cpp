#include "CreatePipeline.h"

#include "FuncLib.h"
#include "Messages.h"
#include "ProcessResumeInterface.h"
#include "ReplaceTokensInterface.h"
#include "Settings.h"
#include "ZorvError.h"

namespace zorv {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

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

    const QString tempXML = TempXMLResumePath(input);
    SetFileAttributesNormal(tempXML);
    DeleteFileIfExists(tempXML);

    if (!c.NewProcessResume)
        throw ZorvError(ErrCannotCreateComponent,
                        QStringLiteral("The resume parser component is not available."));
    processResume = c.NewProcessResume();
    IProcessResume& pr = *processResume;
    ConfigureCreateTry(pr, startup, input, tempXML, country);

    if (!pr.ProcessResume(QStringLiteral("Convert")))
        return false;
    if (!pr.ProcessResume(QStringLiteral("Parse")))
        return false;

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

    DeleteFileIfExists(output);
    CopyFileReplace(resumeTemplate, output); // its result is not looked at

    ReplaceTokensInCopy(c, output, TokenValues{nTokens, names, values, std::move(lists)},
                        view.RedactContactDetails(), replaceTokens);
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
    return GetTempDir() + QStringLiteral("~iqarn~") + StripFileExt(GetFileName(inputResume)) +
           QStringLiteral(".xml");
}

QString HRXMLPath(const QString& tempXMLResume) {
    return StripFileExt(tempXMLResume) + QStringLiteral("_HRXML.XML");
}

QString OutputResumePath(const QString& inputResume, const QString& resumeTemplate) {
    return StripFileExt(inputResume) + QStringLiteral("_QX.") + GetFileExt(resumeTemplate);
}

bool CleanupPhoneNumbersFor(const QString& country) {
    return country == QLatin1String("US") || IsBlank(country);
}

bool RunCreatePipeline(ICreateView& view, const StartupValues& startup,
                       const CreateCollaborators& collaborators) {
    const QString input = view.InputResumeText();
    if (IsBlank(input)) {
        ShowMessage(QStringLiteral("Resume not given."));
        return false;
    }
    if (!FileExists(input)) {
        ShowMessage(QStringLiteral("Resume not found.") + kCrLf + input);
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

    SetBusyPointer(view);
    view.SetCreateEnabled(false);

    // The processing object lives until the run returns; the replacement object is
    // released on the common exit, before the pointer is restored.
    std::unique_ptr<IProcessResume> processResume;
    std::unique_ptr<IReplaceTokens> replaceTokens;
    bool reached = false;
    try {
        reached = RunBusySteps(view, startup, collaborators, input, resumeTemplate, processResume,
                               replaceTokens);
    } catch (const ZorvError& e) {
        ReportRunError(e.Number(), e.Description());
    } catch (const std::bad_alloc&) {
        ReportRunError(7, QStringLiteral("Out of memory."));
    } catch (const std::exception& e) {
        ReportRunError(ErrInvalidCall, QString::fromLocal8Bit(e.what()));
    }

    // Common exit.
    replaceTokens.reset();
    SetNormalPointer(view);
    view.SetCreateEnabled(true);
    return reached;
}

} // namespace zorv
