// Scanned resumes saved as images (PNG, JPEG, TIFF with any number of pages) to text by OCR.
#pragma once

#include "FileType.h"
#include "OcrEngine.h"
#include "ResumeParserCore.h"

#include <QByteArray>

namespace zorv::rp::convert {

// `type` is the sniffed one: FileType::Png, Jpeg or Tiff. Dimensions and page count are
// checked from the headers before any page is decoded.
ActionResult ImageToText(const QByteArray& bytes, FileType type, const OcrSettings& settings);

} // namespace zorv::rp::convert
