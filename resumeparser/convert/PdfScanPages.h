// The pages of a PDF without a usable text layer, read by OCR (see OcrEngine.h).
#pragma once

#include "OcrEngine.h"
#include "PdfLayout.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace poppler {
class document;
}

namespace zorv::rp::convert {

// A scanned page carries a few stray characters at most (a stamped page number).
inline constexpr qsizetype kMinUsableTextLayer = 20;

qsizetype CountLettersAndDigits(const std::vector<PdfWord>& words);

// Renders the listed pages of `doc` (whose file is `bytes`) and reads them by OCR into
// `pages`; a page where OCR finds less than its text layer held keeps that layer. Returns
// a message when reading failed.
QString ReadScannedPages(const QByteArray& bytes, poppler::document& doc,
                         const std::vector<int>& indices,
                         const std::vector<std::vector<PdfWord>>& textLayers,
                         std::vector<PdfPage>* pages, const OcrSettings& settings);

} // namespace zorv::rp::convert
