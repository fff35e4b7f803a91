// The converter behind ConvertResume, on bytes already read: for tests and fuzzing.
#pragma once

#include "OcrEngine.h"
#include "ResumeParserCore.h"

#include <QByteArray>
#include <QString>

namespace zorv::rp::convert {

// Converts a resume's bytes by their sniffed type; extension without its dot.
ActionResult ConvertResumeBytes(const QByteArray& bytes, const QString& extension,
                                const OcrSettings& ocr = {});

} // namespace zorv::rp::convert
