// qarn parse: the resume parser on its own, with the Create run's settings: the resume is
// converted and parsed by ZorvPr and the HR-XML document is written out. It waits for the
// server's Done events rather than in the Create run's one-second slices.
#include "Commands.h"

#include "AtomicWrite.h"
#include "CreatePipeline.h"
#include "FuncLib.h"
#include "ParserProtocol.h"
#include "ParserSession.h"
#include "ResumeFile.h"
#include "Settings.h"
#include "StartupValues.h"
#include "ZorvError.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace zorv::cli {
namespace {

void Fail(const QString& text) {
    PrintError("parse", text);
}

bool StderrIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

// OCR is the one slow step: on a terminal its page counter is shown on one line, which
// the next count overwrites.
void ShowOcrProgress(ParserSession& pr, bool* shown) {
    if (!StderrIsTerminal())
        return;
    pr.OnParserMessage = [shown](const QString& text) {
        if (!text.startsWith(QLatin1String("OCR: ")))
            return;
        std::fprintf(stderr, "\rqarn parse: %s...", qUtf8Printable(text));
        std::fflush(stderr);
        *shown = true;
    };
}

int Run(const QString& input, const QString& output) {
    const TempNameClaim claim(input);
    if (claim.TempXMLPath().isEmpty()) {
        Fail(claim.Problem());
        return 1;
    }
    // Our own command: the server's Done ends the wait (no one-second slices), one try.
    ParserSession pr;
    const QString country = GetSetting(SettingsAppName, QStringLiteral("OptionsMyRecord"),
                                       QStringLiteral("ResumeCountry"), QString());
    ConfigureCreateTry(pr, StartupValues(), input, claim.TempXMLPath(), country);
    const QString hrXML = HRXMLPath(pr.XMLResumeFileName);
    bool progressShown = false;
    ShowOcrProgress(pr, &progressShown);
    const bool converted = pr.ProcessResume(protocol::calls::kConvert);
    if (progressShown)
        std::fputc('\n', stderr);
    if (!converted) {
        Fail(QStringLiteral("the resume could not be converted: ") + pr.ErrMsg);
        return 1;
    }
    if (!pr.ProcessResume(protocol::calls::kParse)) {
        Fail(QStringLiteral("the resume could not be parsed: ") + pr.ErrMsg);
        return 1;
    }
    QFile written(hrXML);
    if (!written.open(QIODevice::ReadOnly)) {
        Fail(QStringLiteral("the HR-XML file cannot be read: ") + hrXML);
        return 1;
    }
    const QByteArray bytes = written.readAll();
    written.close();
    DeleteFileIfExists(hrXML);
    if (output.isEmpty()) {
        const bool ok = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()),
                                    stdout) == static_cast<size_t>(bytes.size()) &&
                        std::fflush(stdout) == 0;
        return ok ? 0 : 1;
    }
    QString cause;
    if (!WriteFileAtomically(output, bytes, &cause)) {
        Fail(QStringLiteral("cannot write ") + output + QStringLiteral(": ") + cause);
        return 1;
    }
    return 0;
}

int CmdParse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts and parses RESUME with the resume parser ZorvPr, as a Create run "
                       "does, and writes the HR-XML document to FILE or standard output."));
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                      QStringLiteral("Write the HR-XML document to FILE."),
                      QStringLiteral("FILE")});
    parser.addPositionalArgument(QStringLiteral("RESUME"),
                                 QStringLiteral("The candidate's resume."));
    if (const auto status = ParseArguments(parser, arguments, "parse"))
        return *status;
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        Fail(QStringLiteral("expected one RESUME; see qarn parse --help"));
        return 2;
    }
    const QString input = QFileInfo(args[0]).absoluteFilePath();
    if (const QString problem = ResumeFileProblem(input); !problem.isEmpty()) {
        Fail(problem);
        return 1;
    }
    const QString output = parser.value(QStringLiteral("output"));
    if (!output.isEmpty() && IsSameFile(output, input)) {
        Fail(QStringLiteral("FILE must not be RESUME itself: ") + output);
        return 1;
    }
    MessageCounter messages;
    try {
        return Run(input, output);
    } catch (const ZorvError& e) {
        Fail(e.Description() + QStringLiteral(" (number ") + ErrNumberText(e.Number()) +
             QLatin1Char(')'));
        return 1;
    }
}

const RegisterCommand kParse({20, "parse", "Convert and parse RESUME into an HR-XML document",
                              CmdParse});

} // namespace
} // namespace zorv::cli
