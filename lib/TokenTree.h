// The values a template is filled from beyond flat tokens: list tokens, whose items carry
// fields of their own and nested lists. The map reader builds them; the template filling
// repeats blocks over them.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zorv {

struct TokenList;

// One item of a list (or the outermost scope): flat fields and nested lists. A name given
// twice counts with its first value, as flat tokens do.
struct TokenRecord {
    QStringList names;
    QStringList values;
    std::vector<TokenList> lists;

    // The field's value, or nullptr when the record has no such field.
    const QString* Field(const QString& name) const;
    // The list of that name, or nullptr.
    const TokenList* List(const QString& name) const;
};

struct TokenList {
    QString name;
    std::vector<TokenRecord> items;
};

// Every field and list name used anywhere in the lists, nested ones included.
QStringList NamesInLists(const std::vector<TokenList>& lists);

} // namespace zorv
