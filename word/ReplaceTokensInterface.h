// What the Create pipeline uses of the token replacement object: the token arrays and
// ReplaceTokensInDoc. clsReplaceTokens implements it.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace zorv {

class IReplaceTokens {
public:
    virtual ~IReplaceTokens() = default;

    // Entries 1..NTokens of the one-based arrays are used; TokenNames[k - 1] is entry k.
    std::int32_t NTokens = 0;
    QStringList TokenNames;
    QStringList TokenValues;

    // Fills the markers of the document in place and saves it; false after a reported error.
    virtual bool ReplaceTokensInDoc(const QString& FileName, bool TempFile) = 0;
};

} // namespace zorv
