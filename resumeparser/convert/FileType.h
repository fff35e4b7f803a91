// Which converter reads a resume file: its signature (the input layer's sniffer) first;
// where the bytes carry none, text or HTML by content, and the extension where that says
// nothing.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace zorv::rp::convert {

enum class FileType {
    Unknown,
    Text,
    Html,
    Rtf,
    Pdf,
    Docx,         // a zip package (checked for a Word document when opened)
    Wpd,          // WordPerfect
    Doc,          // an OLE compound file that is not an encrypted package
    EncryptedOle, // a password-protected Office document (compound file with EncryptionInfo)
    Png,          // images: scanned resumes, read by OCR
    Jpeg,
    Tiff
};

// Decides the type from the content first; the extension (without its dot, any case)
// only chooses between text and HTML, or names what the content should have been.
FileType SniffFileType(QByteArrayView bytes, const QString& extension);

// The message for a file whose content does not match the type its extension names (a .pdf
// that is no PDF, a .txt of binary data ...); empty when the extension names no such type.
QString MismatchMessage(const QString& extension);

} // namespace zorv::rp::convert
