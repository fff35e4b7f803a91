#include "TokenTree.h"

namespace zorv {

const QString* TokenRecord::Field(const QString& name) const {
    const qsizetype i = names.indexOf(name);
    return i >= 0 && i < values.size() ? &values[i] : nullptr;
}

const TokenList* TokenRecord::List(const QString& name) const {
    for (const TokenList& list : lists)
        if (list.name == name)
            return &list;
    return nullptr;
}

namespace {
void CollectNames(const std::vector<TokenList>& lists, QStringList& out) {
    for (const TokenList& list : lists) {
        out << list.name;
        for (const TokenRecord& item : list.items) {
            out << item.names;
            CollectNames(item.lists, out);
        }
    }
}
} // namespace

QStringList NamesInLists(const std::vector<TokenList>& lists) {
    QStringList names;
    CollectNames(lists, names);
    names.removeDuplicates();
    return names;
}

} // namespace zorv
