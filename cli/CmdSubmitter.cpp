// qarn submitter: appends the submitter block (who submits the resume) to a copy of a
// document and writes the result to OUTPUT. The block is added to a working copy beside
// OUTPUT, which becomes OUTPUT only when it is whole.
#include "Commands.h"

#include "AtomicWrite.h"
#include "FuncLib.h"
#include "Messages.h"
#include "WordEngine.h"
#include "ZorvError.h"
#include "clsReplaceTokens.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace zorv::cli {
namespace {

void Fail(const QString& text) {
    PrintError("submitter", text);
}

int CmdSubmitter(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Appends the block \"This resume is submitted by:\" with the name, company, phone, fax "
        "and e-mail lines, in Arial 14 pt red, to the end of a copy of DOCUMENT and writes it "
        "to OUTPUT in DOCUMENT's format. DOCUMENT itself is not changed."));
    parser.addPositionalArgument(QStringLiteral("DOCUMENT"),
                                 QStringLiteral("The Word document (.docx, .doc or .rtf)."));
    auto option = [&](const char* name, const char* what) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromUtf8(what),
                             QStringLiteral("TEXT"));
        parser.addOption(o);
        return o;
    };
    const QCommandLineOption name = option("name", "The submitter's full name.");
    const QCommandLineOption company = option("company", "The submitter's company.");
    const QCommandLineOption phone = option("phone", "The submitter's direct phone.");
    const QCommandLineOption fax = option("fax", "The submitter's fax.");
    const QCommandLineOption email = option("email", "The submitter's e-mail address.");
    const QCommandLineOption outputOption(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The document to write."), QStringLiteral("OUTPUT"));
    parser.addOption(outputOption);
    if (const auto status = ParseArguments(parser, arguments, "submitter"))
        return *status;
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1 || !parser.isSet(outputOption)) {
        Fail(QStringLiteral("expected DOCUMENT -o OUTPUT; see qarn submitter --help"));
        return 2;
    }
    const QString document = QFileInfo(args[0]).absoluteFilePath();
    const QString output = QFileInfo(parser.value(outputOption)).absoluteFilePath();
    if (!FileExists(document)) {
        Fail(QStringLiteral("document not found: %1").arg(document));
        return 1;
    }

    if (IsSameFile(output, document)) {
        Fail(QStringLiteral("OUTPUT must not be DOCUMENT itself: %1").arg(output));
        return 1;
    }
    // The working copy keeps the document's extension, so its format is judged as the
    // document's.
    OutputWorkingCopy work(output, QFileInfo(document).suffix());
    QString cause;
    if (!work.CopyFrom(document, &cause)) {
        Fail(cause);
        return 1;
    }
    const QString copy = work.Path();

    MessageCounter messages;
    // Inside the counter, which prints.
    const ScopedPathInMessages named(copy, CopyName(output, document));
    clsReplaceTokens replaceTokens(wordengine::NewEngineApplication);
    try {
        replaceTokens.InsertMyRecordIntoWordDoc(copy, true, parser.value(name),
                                                parser.value(company), parser.value(phone),
                                                parser.value(fax), parser.value(email));
    } catch (const ZorvError& e) {
        Fail(QStringLiteral("%1 (error %2)").arg(e.Description(), ErrNumberText(e.Number())));
        return 1;
    }
    // Before the object goes: its teardown deletes the working copy.
    if (!work.Commit(&cause)) {
        Fail(cause);
        return 1;
    }
    return 0;
}

const RegisterCommand kSubmitter({40, "submitter",
                                  "Append the submitter block to a copy of DOCUMENT as OUTPUT",
                                  CmdSubmitter});

} // namespace
} // namespace zorv::cli
