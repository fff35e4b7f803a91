// Redaction of a candidate's contact details from the values put into a template: e-mail
// addresses, phone numbers, web and social links, street addresses, and every exact
// contact value the resume gave (so that a detail written in a free text goes as well).
#pragma once

#include "TokenTree.h"

#include <QString>
#include <QStringList>

namespace zorv {

// Email, Phone, Mobile, Fax, Website, Street and PostalCode: blank after redaction.
bool IsContactToken(const QString& name);

// `text` without the contact details it holds; the spaces and separators left behind are
// tidied. `known` are exact details to remove wherever they appear.
QString WithoutContactDetails(const QString& text, const QStringList& known = {});

// Blanks the contact tokens and clears every other value, fields and nested lists included.
void RedactTokens(const QStringList& names, QStringList& values, std::vector<TokenList>& lists);

} // namespace zorv
