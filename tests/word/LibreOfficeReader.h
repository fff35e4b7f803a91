// LibreOffice as the client who receives our documents: converts them headless, with a
// private profile, to text or PDF, and reads the PDF's text with pdftotext.
#pragma once

#include <QString>
#include <QStringList>

namespace zorv::test {

// Converts every file in one LibreOffice run ("txt" gives UTF-8 text, "pdf" PDF) into
// outDir, named after the inputs. Returns false with LibreOffice's output in *log.
bool ConvertWithLibreOffice(const QStringList& files, const QString& format, const QString& outDir,
                            QString* log);

// The text of a PDF in reading order, "" when pdftotext fails.
QString PdfText(const QString& pdfPath);

// outDir + the input's base name + "." + extension.
QString ConvertedPath(const QString& input, const QString& outDir, const QString& extension);

} // namespace zorv::test
