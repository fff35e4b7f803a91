#include "TokensFromXML.h"

#include "FuncLib.h"
#include "MapRecipes.h"
#include "Messages.h"
#include "Platform.h"
#include "XmlDocObject.h"
#include "XmlDocument.h"
#include "ZorvError.h"

namespace zorv {
namespace {

// A token with an Items or Lines child is a list; the flat arrays do not hold it.
bool IsListToken(const xml::Node& token) {
    for (const xml::Node& child : token.ChildNodes()) {
        const QString kind = child.NodeName();
        if (kind == QLatin1String("Items") || kind == QLatin1String("Lines"))
            return true;
    }
    return false;
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
        if (IsListToken(token))
            continue;
        // From the map's root, so the alternatives of every token of that name count.
        const std::vector<xml::Node> alternatives =
            map.SelectNodes(QStringLiteral("/HRXMLMap/") + name + QStringLiteral("/XPaths"));
        for (const xml::Node& xpaths : alternatives) {
            if (!mapping::ValueStillBlank(value))
                continue;
            mapping::AppendRecipe(xpaths, hrxml.get(), xml::Node(), value);
        }
        StoreToken(NTokens, TokenNames, TokenValues, name, mapping::Normalised(value));
    }
}

} // namespace zorv
