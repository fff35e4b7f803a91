// Bytes to text: byte-order marks first, then valid UTF-8, then the encoding that uchardet
// detects; Windows code pages by number for RTF.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zorv::rp::convert {

// The encoding name to decode bytes with, as libxml2 and iconv know it ("UTF-8",
// "UTF-16LE", "WINDOWS-1252" ...). Byte-order marks win, then valid UTF-8, then uchardet.
QByteArray DetectEncoding(QByteArrayView bytes);

// Decodes a whole text file: its byte-order mark and stray NUL characters are dropped.
QString DecodeText(QByteArrayView bytes);

// Decodes bytes of a Windows code page (1252, 1250, 932 ...); unknown pages as 1252.
QString DecodeCodePage(QByteArrayView bytes, int codePage);

// Decodes bytes in the named encoding; unknown names as Windows-1252.
QString DecodeWithName(QByteArrayView bytes, const QByteArray& encoding);

} // namespace zorv::rp::convert
