// What a file is, told from its first bytes: the one place that knows the signatures of the
// formats we read.
#pragma once

#include <QByteArrayView>

namespace zorv::input {

enum class Signature {
    None,         // no signature we know: text, HTML, or anything else
    Rtf,          // "{\rtf", after an optional UTF-8 byte order mark and white space
    Pdf,          // "%PDF-" within the first kilobyte (mail gateways put junk before it)
    Zip,          // a zip archive: an OOXML package, or any other zip
    Ole,          // a compound file (Word 97-2003 and other Office files)
    EncryptedOle, // a compound file holding an encrypted OOXML package ("EncryptionInfo")
    Wpd,          // WordPerfect
    Png,          // images, read by OCR
    Jpeg,
    Tiff, // little- and big-endian TIFF, and BigTIFF
};

// The signature of `bytes` (the whole file, or at least its first kilobyte; an encrypted
// package is told from a plain compound file only when the directory is among the bytes).
Signature SniffSignature(QByteArrayView bytes);

} // namespace zorv::input
