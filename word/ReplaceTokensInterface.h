// What the Create pipeline uses of the token replacement object: the token arrays and
// ReplaceTokensInDoc. clsReplaceTokens implements it.
#pragma once

#include "TokenTree.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace zorv {

class IReplaceTokens {
public:
    virtual ~IReplaceTokens() = default;

    // Entries 1..NTokens of the one-based arrays are used; TokenNames[k - 1] is entry k.
    std::int32_t NTokens = 0;
    QStringList TokenNames;
    QStringList TokenValues;
    // List tokens, for templates with blocks ([[#Name]] ... [[/Name]]); others ignore them.
    std::vector<TokenList> TokenLists;
    // Clears the candidate's contact details from every value put in; [[!Redact]] in the
    // template asks for the same.
    bool Redact = false;

    // Fills the markers of the document in place and saves it; false after a reported error.
    virtual bool ReplaceTokensInDoc(const QString& FileName, bool TempFile) = 0;
};

} // namespace zorv
