// What the converted document's layout tells the parser: the name set in the largest type at
// the top of page one, the targets of its links, and the lines set like its section headings.
#pragma once

#include "ResumeModel.h"
#include "ResumeParserCore.h"
#include "WordLists.h"

#include <QSet>

namespace zorv::rp {

// The person's name from the largest text near the top of the first page, or an empty
// name when the layout has no font sizes or that text is no name.
PersonNameParts NameByLayout(const DocumentLayout& layout, const WordLists& lists);

// E-mail addresses of "mailto:" links, in document order, without their query.
QStringList MailtoAddresses(const DocumentLayout& layout);

// Web links of the layout (http and https), in document order.
QStringList WebLinks(const DocumentLayout& layout);

// What the layout says of the document's headings. When most of its known headings share a
// style (same size, larger than the body text, same weight and capitals), `unknown` holds the
// lines after the first known heading set in that style without being known headings (headings
// in words the lists do not hold), and `body` the lines set as plain body text.
struct HeadingLines {
    QSet<QString> unknown;
    QSet<QString> body;
};
HeadingLines HeadingLinesByStyle(const DocumentLayout& layout, const WordLists& lists);

// Text in capitals: no small letters, and some letter with a case.
bool InCapitals(const QString& text);

} // namespace zorv::rp
