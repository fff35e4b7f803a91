// qarn fill: copies a template to the output and fills its [[token]] markers with the given
// values, the way a Create run fills the output resume. Tokens come from a file of the lines
// (or the JSON, with list tokens) `qarn tokens` prints, or from --set options.
#include "Commands.h"

#include "AtomicWrite.h"
#include "FuncLib.h"
#include "Messages.h"
#include "TokenLines.h"
#include "WordEngine.h"
#include "clsReplaceTokens.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <cstdio>

namespace zorv::cli {
namespace {

// A token file is text; anything past this is not one.
constexpr qint64 kMaxTokenFileBytes = 64 * 1024 * 1024;

void Fail(const QString& text) {
    PrintError("fill", text);
}

TokenList ListFromJson(const QString& name, const QJsonArray& items);

// One item as `qarn tokens --json` writes it: text members are fields, arrays nested lists.
TokenRecord ItemFromJson(const QJsonObject& object) {
    TokenRecord item;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it->isArray()) {
            item.lists.push_back(ListFromJson(it.key(), it->toArray()));
        } else {
            item.names << it.key();
            item.values << it->toString();
        }
    }
    return item;
}

TokenList ListFromJson(const QString& name, const QJsonArray& items) {
    TokenList list{name, {}};
    for (const QJsonValue& item : items)
        list.items.push_back(ItemFromJson(item.toObject()));
    return list;
}

// The JSON array of `qarn tokens --json`: {name, value} tokens and {name, items} lists.
bool DecodeTokenJson(const QString& text, QStringList& names, QStringList& values,
                     std::vector<TokenList>& lists, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(text.toUtf8(), &parseError);
    if (!json.isArray()) {
        *error = QStringLiteral("not a JSON array of tokens (%1)").arg(parseError.errorString());
        return false;
    }
    for (const QJsonValue& token : json.array()) {
        const QJsonObject object = token.toObject();
        const QString name = object.value(QStringLiteral("name")).toString();
        if (name.isEmpty()) {
            *error = QStringLiteral("a token without a name");
            return false;
        }
        if (object.value(QStringLiteral("items")).isArray()) {
            lists.push_back(ListFromJson(name, object.value(QStringLiteral("items")).toArray()));
        } else {
            names << name;
            values << object.value(QStringLiteral("value")).toString();
        }
    }
    return true;
}

// Reads the token lines of path ("-" is standard input). False after a message.
bool ReadTokenFile(const QString& path, QStringList& names, QStringList& values,
                   std::vector<TokenList>& lists) {
    QFile file;
    const bool opened = path == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        Fail(QStringLiteral("cannot read the tokens from %1: %2").arg(path, file.errorString()));
        return false;
    }
    const QByteArray bytes = file.read(kMaxTokenFileBytes + 1);
    if (bytes.size() > kMaxTokenFileBytes) {
        Fail(QStringLiteral("the token file %1 is larger than %2 bytes")
                 .arg(path)
                 .arg(kMaxTokenFileBytes));
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError()) {
        Fail(QStringLiteral("the token file %1 is not UTF-8 text").arg(path));
        return false;
    }
    QString error;
    const bool json = text.trimmed().startsWith(QLatin1Char('['));
    if (json ? !DecodeTokenJson(text, names, values, lists, &error)
             : !DecodeTokenLines(text, names, values, &error)) {
        Fail(QStringLiteral("%1: %2").arg(path, error));
        return false;
    }
    return true;
}

// The tokens of one fill: plain tokens and the lists that template blocks repeat.
struct FillTokens {
    QStringList names;
    QStringList values;
    std::vector<TokenList> lists;
};

// Adds the --set NAME=VALUE tokens. False after a message.
bool AddSetTokens(const QStringList& sets, FillTokens& tokens) {
    for (const QString& set : sets) {
        const qsizetype eq = set.indexOf(QLatin1Char('='));
        if (eq < 0) {
            Fail(QStringLiteral("--set needs NAME=VALUE, not \"%1\"").arg(set));
            return false;
        }
        tokens.names << set.left(eq);
        tokens.values << set.mid(eq + 1);
    }
    return true;
}

// Fills the working copy with the product's template filling. Whether it was saved.
bool FillCopy(const QString& copy, FillTokens tokens, bool redact) {
    clsReplaceTokens replaceTokens(wordengine::NewEngineApplication);
    replaceTokens.NTokens = std::int32_t(tokens.names.size());
    replaceTokens.TokenNames = tokens.names;
    replaceTokens.TokenValues = tokens.values;
    replaceTokens.TokenLists = std::move(tokens.lists);
    replaceTokens.Redact = redact;
    // Released on return: the word processor it started ends before the copy is committed.
    return replaceTokens.ReplaceTokensInDoc(copy, false);
}

// Copies the template beside OUTPUT, fills the copy and renames it over OUTPUT only when
// whole. The exit status.
int FillTemplate(const QString& resumeTemplate, const QString& output, FillTokens tokens,
                 bool redact) {
    if (!FileExists(resumeTemplate)) {
        Fail(QStringLiteral("template not found: %1").arg(resumeTemplate));
        return 1;
    }
    // Filling the template itself would destroy it.
    if (IsSameFile(output, resumeTemplate)) {
        Fail(QStringLiteral("OUTPUT must not be the template itself: %1").arg(output));
        return 1;
    }
    OutputWorkingCopy work(output);
    QString cause;
    if (!work.CopyFrom(resumeTemplate, &cause)) {
        Fail(cause);
        return 1;
    }
    MessageCounter messages;
    const ScopedPathInMessages named(work.Path(), CopyName(output, resumeTemplate));
    const bool saved = FillCopy(work.Path(), std::move(tokens), redact);
    if (saved && !work.Commit(&cause)) {
        Fail(cause);
        return 1;
    }
    return saved ? 0 : 1;
}

int CmdFill(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Copies TEMPLATE to OUTPUT and replaces every [[NAME]] marker in its main text, headers "
        "and footers with the token's value. The tokens are NAME<TAB>VALUE lines as `qarn tokens` "
        "prints them, or its --json output with the list tokens that template blocks repeat "
        "(--tokens, \"-\" for standard input), or --set options."));
    parser.addPositionalArgument(QStringLiteral("TEMPLATE"), QStringLiteral("The Word template."));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"),
                                 QStringLiteral("The document to write."));
    const QCommandLineOption tokensOption(
        QStringLiteral("tokens"),
        QStringLiteral("Read the token lines from FILE (- for standard input)."),
        QStringLiteral("FILE"));
    const QCommandLineOption setOption(QStringLiteral("set"),
                                       QStringLiteral("One token; may be repeated."),
                                       QStringLiteral("NAME=VALUE"));
    const QCommandLineOption redactOption(
        QStringLiteral("redact"), QStringLiteral("Leave contact details out of every value."));
    parser.addOption(tokensOption);
    parser.addOption(setOption);
    parser.addOption(redactOption);
    if (const auto status = ParseArguments(parser, arguments, "fill"))
        return *status;
    const QStringList args = parser.positionalArguments();
    const QStringList sets = parser.values(setOption);
    const QStringList tokenFiles = parser.values(tokensOption);
    if (args.size() != 2 || tokenFiles.size() > 1 || (tokenFiles.isEmpty() == sets.isEmpty())) {
        Fail(
            QStringLiteral("expected TEMPLATE OUTPUT and either --tokens FILE or --set NAME=VALUE; "
                           "see qarn fill --help"));
        return 2;
    }
    FillTokens tokens;
    if (!AddSetTokens(sets, tokens))
        return 2;
    if (!tokenFiles.isEmpty() &&
        !ReadTokenFile(tokenFiles.first(), tokens.names, tokens.values, tokens.lists))
        return 1;
    return FillTemplate(QFileInfo(args[0]).absoluteFilePath(),
                        QFileInfo(args[1]).absoluteFilePath(), std::move(tokens),
                        parser.isSet(redactOption));
}

const RegisterCommand kFill({30, "fill", "Fill TEMPLATE's [[token]] markers into OUTPUT", CmdFill});

} // namespace
} // namespace zorv::cli
