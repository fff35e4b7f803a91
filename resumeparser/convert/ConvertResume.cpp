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
#include "ResumeFile.h"
#include "RtfToText.h"
#include "TextDecoding.h"
#include "WpdToText.h"

namespace zorv::rp {

namespace convert {

ActionResult ConvertResumeBytes(const QByteArray& bytes, const QString& extension,
                                const OcrSettings& ocr) {
    if (bytes.isEmpty())
        return Failed(QStringLiteral("The resume file is empty."));
    if (bytes.size() > kMaxResumeBytes)
        return Failed(QStringLiteral("The resume file is larger than %1 MiB.")
                          .arg(kMaxResumeBytes / kBytesPerMiB));
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
    QByteArray bytes;
    if (const QString problem = ReadResumeFile(path, bytes); !problem.isEmpty())
        return convert::Failed(problem);
    ActionResult result = convert::ConvertResumeBytes(
        bytes, GetFileExt(path), convert::OcrSettings{settings.ResumeCountry, progress});
    if (!result.ok)
        result.message = QStringLiteral("\"%1\": %2").arg(GetFileName(path), result.message);
    return result;
}

} // namespace zorv::rp
