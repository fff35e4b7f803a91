// The converter for a resume file: its signature first, then text or HTML.
#include "FileType.h"

#include "FileSignature.h"
#include "TextDecoding.h"

#include <QByteArray>
#include <algorithm>

namespace zorv::rp::convert {

namespace {

bool LooksLikeHtml(QByteArrayView bytes) {
    const QString head = DecodeText(bytes.first(std::min<qsizetype>(bytes.size(), 2048)))
                             .trimmed()
                             .left(1024)
                             .toLower();
    if (head.startsWith(u"<!doctype html") || head.startsWith(u"<html"))
        return true;
    return head.startsWith(u'<') &&
           (head.contains(u"<html") || head.contains(u"<body") || head.contains(u"<head"));
}

// Bytes sampled to tell text from binary data.
constexpr qsizetype kSniffedBytes = 8192;
// Binary data has control bytes (NUL among them) all over; text may carry a stray one, left by
// an editor or a copy: text has at most one in this many bytes.
constexpr qsizetype kBytesPerStrayControl = 32;

bool IsBinaryControl(char c) {
    const auto b = static_cast<unsigned char>(c);
    // Tab, line feed, vertical tab, form feed, carriage return, DOS end of file and escape
    // occur in text files.
    return b < 0x20 && b != '\t' && b != '\n' && b != '\v' && b != '\f' && b != '\r' && b != 0x1A &&
           b != 0x1B;
}

// Text unless control bytes (NUL among them) are more than strays; UTF-16 and UTF-32,
// whose zero bytes belong to the characters, are text.
bool LooksLikeText(QByteArrayView bytes) {
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), kSniffedBytes));
    const QByteArray encoding = DetectEncoding(head);
    if (encoding.startsWith("UTF-16") || encoding.startsWith("UTF-32"))
        return true;
    const auto controls = std::count_if(head.begin(), head.end(), IsBinaryControl);
    return controls * kBytesPerStrayControl <= head.size();
}

} // namespace

FileType SniffFileType(QByteArrayView bytes, const QString& extension) {
    const QString ext = extension.toLower();
    switch (input::SniffSignature(bytes)) {
    case input::Signature::Rtf:
        return FileType::Rtf;
    case input::Signature::Pdf:
        return FileType::Pdf;
    case input::Signature::Zip:
        return FileType::Docx;
    case input::Signature::Ole:
        return FileType::Doc;
    case input::Signature::EncryptedOle:
        return FileType::EncryptedOle;
    case input::Signature::Wpd:
        return FileType::Wpd;
    case input::Signature::Png:
        return FileType::Png;
    case input::Signature::Jpeg:
        return FileType::Jpeg;
    case input::Signature::Tiff:
        return FileType::Tiff;
    case input::Signature::None:
        break;
    }
    if (!LooksLikeText(bytes))
        return FileType::Unknown;
    if (ext == u"htm" || ext == u"html" || LooksLikeHtml(bytes))
        return FileType::Html;
    // Text saved under a word processor's name (.doc, .rtf) is still read as text.
    if (ext == u"txt" || ext == u"text" || ext == u"doc" || ext == u"rtf")
        return FileType::Text;
    return FileType::Unknown;
}

QString MismatchMessage(const QString& extension) {
    const QString ext = extension.toLower();
    if (ext == u"pdf")
        return QStringLiteral("The file is named .pdf but is not a PDF document.");
    if (ext == u"docx")
        return QStringLiteral("The file is named .docx but is not a Word document.");
    if (ext == u"wpd")
        return QStringLiteral("The file is named .wpd but is not a WordPerfect document.");
    if (ext == u"txt" || ext == u"text" || ext == u"htm" || ext == u"html")
        return QStringLiteral("The file is named .%1 but holds binary data, not text (NUL and "
                              "other control bytes throughout).")
            .arg(ext);
    if (ext == u"png" || ext == u"jpg" || ext == u"jpeg" || ext == u"tif" || ext == u"tiff")
        return QStringLiteral("The file is named .%1 but is not a %2 image.")
            .arg(ext, ext == u"png"          ? u"PNG"
                      : ext.startsWith(u"j") ? u"JPEG"
                                             : u"TIFF");
    return {};
}

} // namespace zorv::rp::convert
