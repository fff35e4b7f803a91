// PDF documents to text over poppler, in reading order (see PdfLayout.h).
#pragma once

#include "ResumeParserCore.h"

#include <QByteArray>

namespace zorv::rp::convert {

ActionResult PdfToText(const QByteArray& bytes);

} // namespace zorv::rp::convert
