// Word documents (.docx) to text: headers first, then the body, then footers; paragraphs
// as lines, table rows as tab-separated cells, text boxes where they are anchored.
#pragma once

#include "ResumeParserCore.h"

#include <QByteArray>

namespace zorv::rp::convert {

ActionResult DocxToText(const QByteArray& bytes);

} // namespace zorv::rp::convert
