#include "TokensFromXML.h"

#include "FuncLib.h"
#include "Messages.h"
#include "Platform.h"
#include "XmlDocObject.h"
#include "XmlDocument.h"
#include "ZorvError.h"

namespace zorv {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSpace = QStringLiteral(" ");

// An earlier alternative has given the token its value when this is false.
bool ValueStillBlank(const QString& value) {
    return IsBlank(TrimSpaces(QString(value).replace(kCrLf, kSpace)));
}

// Line breaks become spaces so that a value stays on its line in the template; a lone CR
// and tabs stay, and the value is not trimmed.
QString Normalised(QString value) {
    value.replace(kCrLf, kSpace);
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

// One alternative: its XPath results and Append texts in document order.
void AppendAlternative(const xml::Node& xpaths, const xml::Document* hrxml, QString& value) {
    for (const xml::Node& part : xpaths.ChildNodes()) {
        const QString kind = part.NodeName();
        if (kind == QLatin1String("XPath")) {
            const QString expression = part.Text();
            if (!hrxml)
                throw ZorvError(ErrObjectNotSet,
                                QStringLiteral("Object variable not set: the HR-XML file was "
                                               "not loaded, so \"%1\" cannot be evaluated.")
                                    .arg(expression));
            const xml::Node found = hrxml->SelectSingleNode(expression);
            if (!found.IsNull())
                value += found.Text();
        } else if (kind == QLatin1String("Append")) {
            value += part.Text();
        }
    }
}

void StoreToken(std::int32_t& NTokens, QStringList& TokenNames, QStringList& TokenValues,
                const QString& name, const QString& value) {
    ++NTokens;
    TokenNames.resize(NTokens);
    TokenValues.resize(NTokens);
    TokenNames[NTokens - 1] = name;
    TokenValues[NTokens - 1] = value;
}

} // namespace

QString MapFilePath() {
    return ProgramDir() + PathSeparator() + QStringLiteral("ZorvQarn.xml");
}

void GetTokensFromXML(const QString& XMLFileName, std::int32_t& NTokens, QStringList& TokenNames,
                      QStringList& TokenValues) {
    GetTokensFromXMLWithMap(XMLFileName, MapFilePath(), NTokens, TokenNames, TokenValues);
}

void GetTokensFromXMLWithMap(const QString& XMLFileName, const QString& MapFileName,
                             std::int32_t& NTokens, QStringList& TokenNames,
                             QStringList& TokenValues) {
    NTokens = 0;
    const std::unique_ptr<xml::Document> hrxml = GetXMLDocObject(XMLFileName);

    xml::Document map;
    map.Load(MapFileName);
    if (!IsBlank(map.LastParseError().reason)) {
        ShowMessage(
            ParseErrorMessage(QStringLiteral("Error parsing Map XML file. "), map.LastParseError()),
            MsgIcon::Information, true);
        return;
    }

    const xml::Node root = map.DocumentElement();
    for (const xml::Node& token : root.ChildNodes()) {
        QString value;
        const QString name = token.NodeName();
        // From the map's root, so the alternatives of every token of that name count.
        const std::vector<xml::Node> alternatives =
            map.SelectNodes(QStringLiteral("/HRXMLMap/") + name + QStringLiteral("/XPaths"));
        for (const xml::Node& xpaths : alternatives) {
            if (!ValueStillBlank(value))
                continue;
            AppendAlternative(xpaths, hrxml.get(), value);
        }
        StoreToken(NTokens, TokenNames, TokenValues, name, Normalised(value));
    }
}

} // namespace zorv
