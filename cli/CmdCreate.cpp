// qarn create: the Create pipeline without the window.
#include "Commands.h"

#include "CreatePipeline.h"
#include "FuncLib.h"
#include "LoadStartupValues.h"
#include "Messages.h"
#include "UnhandledError.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace zorv::cli {
namespace {

class HeadlessView : public ICreateView {
public:
    HeadlessView(QString input, QString resumeTemplate, bool redact)
        : input_(std::move(input)), template_(std::move(resumeTemplate)), redact_(redact) {}
    QString InputResumeText() const override { return input_; }
    QString ResumeTemplateText() const override { return template_; }
    void SetOutputResumeText(const QString& text) override { outputResume = text; }
    void SetOutputHRXMLText(const QString& text) override { outputHRXML = text; }
    void SetCreateEnabled(bool) override {}
    void SetMousePointer(int) override {}
    bool RedactContactDetails() const override { return redact_; }

    QString outputResume;
    QString outputHRXML;

private:
    QString input_;
    QString template_;
    bool redact_;
};

// Relative paths are made absolute so that the printed output paths can be used anywhere.
QString Absolute(const QString& path) {
    return IsBlank(path) ? path : QFileInfo(path).absoluteFilePath();
}

} // namespace

namespace {

int CmdCreate(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Parses RESUME, takes the token values out of it through the map file and "
                       "fills a copy of TEMPLATE, written beside RESUME as <name>_QX.<template "
                       "extension>. Prints the output resume's and the HR-XML file's paths."));
    parser.addPositionalArgument(QStringLiteral("RESUME"),
                                 QStringLiteral("The candidate's resume."));
    parser.addPositionalArgument(QStringLiteral("TEMPLATE"),
                                 QStringLiteral("The company's Word template."));
    const QCommandLineOption redactOption(
        QStringLiteral("redact"),
        QStringLiteral("Leave the candidate's contact details out of the output: e-mail, phone "
                       "and fax numbers, web links and the street address."));
    parser.addOption(redactOption);
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Print the two paths as one JSON object {\"output\", \"hrxml\"}, safe "
                       "for any file name."));
    parser.addOption(json);
    if (const auto status = ParseArguments(parser, arguments, "create"))
        return *status;
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        PrintError("create",
                   QStringLiteral("expected RESUME and TEMPLATE; see qarn create --help"));
        return 2;
    }

    // The window's start-up values, so that both use the same host folders.
    StartupValues startup;
    try {
        startup = LoadStartupValues();
    } catch (const ZorvError& e) {
        ShowMessage(UnhandledErrorText(kStartFailed, e.Number(), e.Description()),
                    MsgIcon::Critical);
        return 1;
    }

    HeadlessView view(Absolute(args[0]), Absolute(args[1]), parser.isSet(redactOption));
    MessageCounter messages;
    const bool reached = RunCreatePipeline(view, startup, ProductCollaborators());
    if (reached && parser.isSet(json)) {
        const QJsonObject paths{{QStringLiteral("output"), view.outputResume},
                                {QStringLiteral("hrxml"), view.outputHRXML}};
        std::printf("%s\n", QJsonDocument(paths).toJson(QJsonDocument::Compact).constData());
    } else if (reached) {
        std::printf("%s\n%s\n", qPrintable(view.outputResume), qPrintable(view.outputHRXML));
    }
    std::fflush(stdout);
    return (reached && messages.Count() == 0) ? 0 : 1;
}

const RegisterCommand
    kCreate({10, "create", "Create the output resume from RESUME and TEMPLATE, as the window does",
             CmdCreate});

} // namespace

} // namespace zorv::cli
