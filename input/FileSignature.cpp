// File signatures by content.
#include "FileSignature.h"

#include <QByteArray>
#include <algorithm>

namespace zorv::input {
namespace {

const QByteArrayView kOleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr qsizetype kPdfSearchBytes = 1024;

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

Signature SniffImage(QByteArrayView bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return Signature::Png;
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return Signature::Jpeg;
    for (const char* tiff : {"II*", "MM\0*", "II+", "MM\0+"})
        if (bytes.startsWith(QByteArrayView(tiff, 4)))
            return Signature::Tiff;
    return Signature::None;
}

} // namespace

Signature SniffSignature(QByteArrayView bytes) {
    if (SkipBomAndSpace(bytes).startsWith("{\\rtf"))
        return Signature::Rtf;
    // A local file header, or the end record of an empty archive.
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06"))
        return Signature::Zip;
    if (bytes.startsWith(kOleMagic))
        return HasEncryptionInfoStream(bytes) ? Signature::EncryptedOle : Signature::Ole;
    if (bytes.startsWith("\xFFWPC"))
        return Signature::Wpd;
    // Last: a package may well hold "%PDF-" in its first kilobyte.
    if (bytes.first(std::min(bytes.size(), kPdfSearchBytes)).indexOf("%PDF-") >= 0)
        return Signature::Pdf;
    return SniffImage(bytes);
}

} // namespace zorv::input
