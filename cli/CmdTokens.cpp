// qarn tokens: the token names and values the map file takes out of an HR-XML file.
#include "Commands.h"

#include "FuncLib.h"
#include "Messages.h"
#include "TokenLines.h"
#include "TokensFromXML.h"
#include "ZorvError.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace zorv::cli {
namespace {

// The items of a list as objects: each field by name, each nested list as an array.
QJsonArray ItemsAsJson(const TokenList& list) {
    QJsonArray items;
    for (const TokenRecord& item : list.items) {
        QJsonObject fields;
        for (qsizetype i = 0; i < item.names.size(); ++i)
            fields.insert(item.names[i], item.values.value(i));
        for (const TokenList& nested : item.lists)
            fields.insert(nested.name, ItemsAsJson(nested));
        items.append(fields);
    }
    return items;
}

QByteArray AsJson(const QStringList& names, const QStringList& values,
                  const std::vector<TokenList>& lists) {
    QJsonArray tokens;
    for (qsizetype i = 0; i < names.size(); ++i)
        tokens.append(QJsonObject{{QStringLiteral("name"), names[i]},
                                  {QStringLiteral("value"), values.value(i)}});
    for (const TokenList& list : lists)
        tokens.append(QJsonObject{{QStringLiteral("name"), list.name},
                                  {QStringLiteral("items"), ItemsAsJson(list)}});
    return QJsonDocument(tokens).toJson(QJsonDocument::Indented);
}

int CmdTokens(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the tokens the map file takes out of HRXML, in map order: one a line as "
        "name<TAB>value (backslash, tab and line breaks written as \\\\, \\t, \\r, \\n), or as "
        "a JSON array of {name, value} with --json, where the map's list tokens follow as "
        "{name, items}."));
    parser.addPositionalArgument(QStringLiteral("HRXML"), QStringLiteral("The HR-XML file."));
    const QCommandLineOption mapOption(
        QStringLiteral("map"), QStringLiteral("The map file (default: ZorvQarn.xml beside qarn)."),
        QStringLiteral("MAP"));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Print a JSON array instead of lines."));
    parser.addOption(mapOption);
    parser.addOption(jsonOption);
    if (const auto status = ParseArguments(parser, arguments, "tokens"))
        return *status;
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        PrintError("tokens", QStringLiteral("expected one HRXML file; see qarn tokens --help"));
        return 2;
    }
    const QString hrxml = args[0];
    const QString map = parser.isSet(mapOption) ? parser.value(mapOption) : MapFilePath();

    MessageCounter messages;
    // Said plainly here; the extraction itself would only fail at the first expression.
    if (!FileExists(hrxml)) {
        ShowMessage(QStringLiteral("HR-XML file not found.\r\n") + hrxml);
        return 1;
    }
    std::int32_t nTokens = 0;
    QStringList names;
    QStringList values;
    std::vector<TokenList> lists;
    try {
        GetTokensFromXMLWithMap(hrxml, map, nTokens, names, values);
        if (parser.isSet(jsonOption))
            lists = GetTokenListsFromXML(hrxml, map);
    } catch (const ZorvError& e) {
        ShowMessage(QStringLiteral("Error reading the tokens.\r\nDescription: ") + e.Description() +
                    QStringLiteral("\r\nNumber: ") + ErrNumberText(e.Number()));
        return 1;
    }
    const QByteArray out = parser.isSet(jsonOption) ? AsJson(names, values, lists)
                                                    : EncodeTokenLines(names, values).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
    return messages.Count() == 0 ? 0 : 1;
}

const RegisterCommand kTokens({30, "tokens", "Print the tokens the map file takes out of HRXML",
                               CmdTokens});

} // namespace
} // namespace zorv::cli
