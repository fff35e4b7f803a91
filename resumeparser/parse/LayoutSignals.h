// What the converted document's layout tells the contact parser: the name set in the
// largest type at the top of page one, and the targets of its links.
#pragma once

#include "ResumeModel.h"
#include "ResumeParserCore.h"
#include "WordLists.h"

namespace zorv::rp {

// The person's name from the largest text near the top of the first page, or an empty
// name when the layout has no font sizes or that text is no name.
PersonNameParts NameByLayout(const DocumentLayout& layout, const WordLists& lists);

// E-mail addresses of "mailto:" links, in document order, without their query.
QStringList MailtoAddresses(const DocumentLayout& layout);

// Web links of the layout (http and https), in document order.
QStringList WebLinks(const DocumentLayout& layout);

} // namespace zorv::rp
