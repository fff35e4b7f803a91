// ConvertResume: reads the resume file with a size limit, tells its real type and hands it
// to the converter of that type.
#include "ConvertBytes.h"
#include "ConvertText.h"
#include "DocToText.h"
#include "DocxToText.h"
#include "FileType.h"
#include "FuncLib.h"
#include "HtmlToText.h"
#include "ImageToText.h"
#include "PdfToText.h"
#include "RtfToText.h"
#include "TextDecoding.h"
#include "WpdToText.h"

#include <QFile>
#include <QFileInfo>

namespace zorv::rp {

namespace convert {

ActionResult ConvertResumeBytes(const QByteArray& bytes, const QString& extension,
                                const OcrSettings& ocr) {
    if (bytes.isEmpty())
        return Failed(QStringLiteral("The resume file is empty."));
    if (bytes.size() > kMaxResumeBytes)
        return Failed(QStringLiteral("The resume file is larger than 50 MiB."));
    const FileType type = SniffFileType(bytes, extension);
    switch (type) {
    case FileType::Text:
        return Succeeded(DecodeText(bytes), QStringLiteral("The text file contains no text."));
    case FileType::Html:
        return HtmlToText(bytes);
    case FileType::Docx:
        return DocxToText(bytes);
    case FileType::Pdf:
        return PdfToText(bytes, ocr);
    case FileType::Rtf:
        return RtfToText(bytes);
    case FileType::Wpd:
        return WpdToText(bytes);
    case FileType::Doc:
        return DocToText(bytes);
    case FileType::Png:
    case FileType::Jpeg:
    case FileType::Tiff:
        return ImageToText(bytes, type, ocr);
    case FileType::EncryptedOle:
        return Failed(QStringLiteral("The document is protected by a password or in an "
                                     "unsupported format (an encrypted Office file)."));
    case FileType::Unknown:
        // Early WordPerfect versions have no magic bytes: libwpd's own detection decides.
        if (extension.compare(u"wpd", Qt::CaseInsensitive) == 0)
            return WpdToText(bytes);
        break;
    }
    const QString mismatch = MismatchMessage(extension);
    if (!mismatch.isEmpty())
        return Failed(mismatch);
    return Failed(QStringLiteral("The resume file's type is not supported (use .doc, .docx, "
                                 ".rtf, .txt, .htm, .html, .pdf, .wpd, .png, .jpg, .jpeg, "
                                 ".tif or .tiff)."));
}

} // namespace convert

ActionResult ConvertResume(const ParserSettings& settings, const ProgressSink& progress) {
    const QString& path = settings.ResumeFileName;
    if (IsBlank(path))
        return convert::Failed(QStringLiteral("No resume file was given."));
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return convert::Failed(QStringLiteral("The resume file \"%1\" was not found.").arg(path));
    if (info.size() == 0)
        return convert::Failed(QStringLiteral("The resume file \"%1\" is empty.").arg(path));
    if (info.size() > convert::kMaxResumeBytes)
        return convert::Failed(
            QStringLiteral("The resume file \"%1\" is larger than 50 MiB.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return convert::Failed(QStringLiteral("The resume file \"%1\" cannot be read: %2")
                                   .arg(path, file.errorString()));
    // Read at most one byte past the limit: the file may have grown since it was measured.
    const QByteArray bytes = file.read(convert::kMaxResumeBytes + 1);
    ActionResult result = convert::ConvertResumeBytes(
        bytes, GetFileExt(path), convert::OcrSettings{settings.ResumeCountry, progress});
    if (!result.ok)
        result.message = QStringLiteral("\"%1\": %2").arg(GetFileName(path), result.message);
    return result;
}

} // namespace zorv::rp
