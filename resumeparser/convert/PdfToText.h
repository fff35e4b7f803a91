// PDF documents to text over poppler, in reading order (see PdfLayout.h); scanned pages
// by OCR (see OcrEngine.h).
#pragma once

#include "OcrEngine.h"
#include "ResumeParserCore.h"

#include <QByteArray>

namespace zorv::rp::convert {

// Pages without a usable text layer are rendered and read by OCR.
ActionResult PdfToText(const QByteArray& bytes, const OcrSettings& ocr = {});

} // namespace zorv::rp::convert
