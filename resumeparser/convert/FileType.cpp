// Type sniffing from the first bytes of a resume file.
#include "FileType.h"

#include "TextDecoding.h"

#include <QByteArray>

namespace zorv::rp::convert {

namespace {

const QByteArrayView kOleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// An encrypted OOXML package is a compound file holding an "EncryptionInfo" stream; its
// directory entry names are UTF-16LE.
bool HasEncryptionInfoStream(QByteArrayView bytes) {
    static const QByteArray name = [] {
        QByteArray n;
        for (char c : QByteArrayView("EncryptionInfo"))
            n.append(c).append('\0');
        return n;
    }();
    return bytes.indexOf(name) >= 0;
}

QByteArrayView SkipBomAndSpace(QByteArrayView b) {
    if (b.startsWith("\xEF\xBB\xBF"))
        b = b.sliced(3);
    while (!b.isEmpty() && (b[0] == ' ' || b[0] == '\t' || b[0] == '\r' || b[0] == '\n'))
        b = b.sliced(1);
    return b;
}

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

// Text when there are no NUL bytes outside what UTF-16/32 explains.
bool LooksLikeText(QByteArrayView bytes) {
    const QByteArray encoding =
        DetectEncoding(bytes.first(std::min<qsizetype>(bytes.size(), 8192)));
    if (encoding.startsWith("UTF-16") || encoding.startsWith("UTF-32"))
        return true;
    const qsizetype n = std::min<qsizetype>(bytes.size(), 8192);
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] == '\0')
            return false;
    }
    return true;
}

FileType SniffImage(QByteArrayView bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return FileType::Png;
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return FileType::Jpeg;
    // Little- and big-endian TIFF, and BigTIFF.
    if (bytes.startsWith(QByteArrayView("II*\0", 4)) ||
        bytes.startsWith(QByteArrayView("MM\0*", 4)) ||
        bytes.startsWith(QByteArrayView("II+\0", 4)) ||
        bytes.startsWith(QByteArrayView("MM\0+", 4)))
        return FileType::Tiff;
    return FileType::Unknown;
}

} // namespace

FileType SniffFileType(QByteArrayView bytes, const QString& extension) {
    const QString ext = extension.toLower();
    const QByteArrayView start = SkipBomAndSpace(bytes);
    if (start.startsWith("{\\rtf"))
        return FileType::Rtf;
    // Readers accept "%PDF-" anywhere in the first kilobyte, after junk from mail gateways.
    if (bytes.first(std::min<qsizetype>(bytes.size(), 1024)).indexOf("%PDF-") >= 0)
        return FileType::Pdf;
    if (bytes.startsWith("PK\x03\x04"))
        return FileType::Docx;
    if (bytes.startsWith(kOleMagic))
        return HasEncryptionInfoStream(bytes) ? FileType::EncryptedOle : FileType::Doc;
    if (bytes.startsWith("\xFFWPC"))
        return FileType::Wpd;
    if (const FileType image = SniffImage(bytes); image != FileType::Unknown)
        return image;
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
    if (ext == u"png" || ext == u"jpg" || ext == u"jpeg" || ext == u"tif" || ext == u"tiff")
        return QStringLiteral("The file is named .%1 but is not a %2 image.")
            .arg(ext, ext == u"png"          ? u"PNG"
                      : ext.startsWith(u"j") ? u"JPEG"
                                             : u"TIFF");
    return {};
}

} // namespace zorv::rp::convert
