#include "TokensFromXML.h"

#include "FuncLib.h"
#include "MapRecipes.h"
#include "Messages.h"
#include "Platform.h"
#include "XmlDocObject.h"
#include "XmlDocument.h"
#include "ZorvError.h"

#include <QHash>

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
    // The first store drops whatever the caller's lists held; appending keeps it linear.
    TokenNames.resize(NTokens);
    TokenValues.resize(NTokens);
    TokenNames.append(name);
    TokenValues.append(value);
    ++NTokens;
}

// A name that an XPath step reads as exactly the element name: ASCII letters, digits, '_',
// '-' and '.', not starting with a digit, '-' or '.'. Other names (a prefix, "#comment",
// letters beyond ASCII that XPath may read differently) go through the expression itself.
bool IsPlainName(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool first = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
        const bool inner = (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
        if (!first && !(i > 0 && inner))
            return false;
    }
    return !name.isEmpty();
}

// The alternatives that "/HRXMLMap/<name>/XPaths" selects, for every plain name at once: the
// root's element children in no namespace grouped by name, in document order. One walk of
// the map instead of one per token.
class Alternatives {
public:
    explicit Alternatives(const xml::Document& map) : map_(map) {
        for (const xml::Node& token :
             map.SelectNodes(QStringLiteral("/HRXMLMap/*[namespace-uri()='']"))) {
            std::vector<xml::Node>& recipes = byName_[token.NodeName()];
            for (const xml::Node& xpaths : map.SelectNodes(QStringLiteral("XPaths"), token))
                recipes.push_back(xpaths);
        }
    }

    std::vector<xml::Node> Of(const QString& name) const {
        if (IsPlainName(name))
            return byName_.value(name);
        return map_.SelectNodes(QStringLiteral("/HRXMLMap/") + name + QStringLiteral("/XPaths"));
    }

private:
    const xml::Document& map_;
    QHash<QString, std::vector<xml::Node>> byName_;
};

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

    const Alternatives alternatives(map);
    // Tokens of one name share their recipes, so they share the value too.
    QHash<QString, QString> valueOf;
    for (const xml::Node& token : map.DocumentElement().ChildNodes()) {
        const QString name = token.NodeName();
        if (IsListToken(token))
            continue;
        auto known = valueOf.constFind(name);
        if (known == valueOf.cend()) {
            QString value;
            for (const xml::Node& xpaths : alternatives.Of(name)) {
                if (!mapping::ValueStillBlank(value))
                    break;
                mapping::AppendRecipe(xpaths, hrxml.get(), xml::Node(), value);
            }
            known = valueOf.insert(name, mapping::Normalised(value));
        }
        StoreToken(NTokens, TokenNames, TokenValues, name, *known);
    }
}

} // namespace zorv
