// List tokens: items from the nodes an XPath selects (<Items>) or from the lines of a text
// (<Lines>), with fields by recipes relative to the item's node, and lists nested in items.
#include "MapRecipes.h"
#include "TokensFromXML.h"
#include "XmlDocument.h"

namespace zorv {
namespace {

const QString kItems = QStringLiteral("Items");
const QString kLines = QStringLiteral("Lines");
// The one field of an item made from a line.
const QString kLineField = QStringLiteral("Text");

std::optional<xml::Node> ChildNamed(const xml::Node& parent, const QString& name) {
    for (const xml::Node& child : parent.ChildNodes())
        if (child.NodeName() == name)
            return child;
    return std::nullopt;
}

bool IsList(const xml::Node& token) {
    return ChildNamed(token, kItems) || ChildNamed(token, kLines);
}

TokenRecord ItemOf(const xml::Node& listToken, const xml::Document& hrxml,
                   const xml::Node& itemNode);

// The list `token` describes, its expressions starting at `context`.
TokenList ListOf(const xml::Node& token, const xml::Document& hrxml, const xml::Node& context) {
    TokenList list{token.NodeName(), {}};
    if (const std::optional<xml::Node> items = ChildNamed(token, kItems)) {
        for (const xml::Node& node : hrxml.SelectNodes(items->Text().trimmed(), context))
            list.items.push_back(ItemOf(token, hrxml, node));
    } else if (const std::optional<xml::Node> lines = ChildNamed(token, kLines)) {
        const xml::Node found = hrxml.SelectSingleNode(lines->Text().trimmed(), context);
        for (const QString& line : mapping::BulletLines(found.Text()))
            list.items.push_back(TokenRecord{{kLineField}, {line}, {}});
    }
    return list;
}

TokenRecord ItemOf(const xml::Node& listToken, const xml::Document& hrxml,
                   const xml::Node& itemNode) {
    TokenRecord item;
    for (const xml::Node& field : listToken.ChildNodes()) {
        const QString name = field.NodeName();
        if (name == kItems || name == kLines || name.startsWith(QLatin1Char('#')))
            continue;
        if (IsList(field)) {
            item.lists.push_back(ListOf(field, hrxml, itemNode));
        } else if (!item.names.contains(name)) {
            item.names << name;
            item.values << mapping::FirstRecipeValue(field, &hrxml, itemNode);
        }
    }
    return item;
}

} // namespace

std::vector<TokenList> GetTokenListsFromXML(const QString& XMLFileName,
                                            const QString& MapFileName) {
    std::vector<TokenList> lists;
    xml::Document map;
    xml::Document hrxml;
    if (!map.Load(MapFileName) || !hrxml.Load(XMLFileName))
        return lists;
    for (const xml::Node& token : map.DocumentElement().ChildNodes()) {
        if (!IsList(token))
            continue;
        TokenList list = ListOf(token, hrxml, xml::Node());
        auto same = std::find_if(lists.begin(), lists.end(),
                                 [&](const TokenList& l) { return l.name == list.name; });
        if (same == lists.end())
            lists.push_back(std::move(list));
        else // a list named twice gets the items of both, as a flat token gets both recipes
            same->items.insert(same->items.end(), list.items.begin(), list.items.end());
    }
    return lists;
}

} // namespace zorv
