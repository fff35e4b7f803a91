// Encoding detection (byte-order marks, UTF-8 validity, uchardet) and decoding.
#include "TextDecoding.h"

#include <QStringDecoder>
#include <memory>
#include <uchardet/uchardet.h>

namespace zorv::rp::convert {

namespace {

struct UchardetFree {
    void operator()(uchardet_t h) const { uchardet_delete(h); }
};
using UchardetPtr = std::unique_ptr<std::remove_pointer_t<uchardet_t>, UchardetFree>;

// The 0x80..0x9F row of Windows-1252; the rest of the page is ISO-8859-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QString DecodeCp1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

bool IsValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

// UTF-16 without a byte-order mark: most of the high bytes of ASCII text are zero.
QByteArray GuessUtf16(QByteArrayView bytes) {
    const qsizetype n = std::min<qsizetype>(bytes.size() & ~qsizetype(1), 4096);
    if (n < 8)
        return {};
    qsizetype evenZero = 0, oddZero = 0;
    for (qsizetype i = 0; i < n; i += 2) {
        evenZero += bytes[i] == 0;
        oddZero += bytes[i + 1] == 0;
    }
    const qsizetype units = n / 2;
    if (oddZero * 10 > units * 6 && evenZero * 10 < units)
        return "UTF-16LE";
    if (evenZero * 10 > units * 6 && oddZero * 10 < units)
        return "UTF-16BE";
    return {};
}

qsizetype BomLength(QByteArrayView b) {
    if (b.startsWith("\xEF\xBB\xBF"))
        return 3;
    if (b.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        b.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return 4;
    if (b.startsWith("\xFF\xFE") || b.startsWith("\xFE\xFF"))
        return 2;
    return 0;
}

bool IsWestern(const QByteArray& upper) {
    return upper.isEmpty() || upper == "ASCII" || upper == "WINDOWS-1252" ||
           upper == "ISO-8859-1" || upper == "ISO-8859-15";
}

} // namespace

QByteArray DetectEncoding(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return "UTF-8";
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)))
        return "UTF-32LE";
    if (bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return "UTF-32BE";
    if (bytes.startsWith("\xFF\xFE"))
        return "UTF-16LE";
    if (bytes.startsWith("\xFE\xFF"))
        return "UTF-16BE";
    if (const QByteArray utf16 = GuessUtf16(bytes); !utf16.isEmpty())
        return utf16;
    if (IsValidUtf8(bytes))
        return "UTF-8";
    UchardetPtr detector(uchardet_new());
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0)
        return "WINDOWS-1252";
    uchardet_data_end(detector.get());
    const QByteArray name = QByteArray(uchardet_get_charset(detector.get())).toUpper();
    // Browsers read Latin-1 labels as Windows-1252 as well: the quotes and dashes of
    // 0x80..0x9F are far more common than C1 controls.
    if (IsWestern(name) || name == "UTF-8")
        return "WINDOWS-1252";
    return name;
}

QString DecodeWithName(QByteArrayView bytes, const QByteArray& encoding) {
    const QByteArray upper = encoding.toUpper();
    if (IsWestern(upper))
        return DecodeCp1252(bytes);
    QStringDecoder decoder(upper.constData());
    if (!decoder.isValid())
        return DecodeCp1252(bytes);
    return decoder.decode(bytes);
}

QString DecodeText(QByteArrayView bytes) {
    // A stray NUL byte is no character of the text.
    return DecodeWithName(bytes.sliced(BomLength(bytes)), DetectEncoding(bytes)).remove(QChar(0));
}

QString DecodeCodePage(QByteArrayView bytes, int codePage) {
    switch (codePage) {
    case 65001:
        return QString::fromUtf8(bytes);
    case 932:
        return DecodeWithName(bytes, "Shift_JIS");
    case 936:
        return DecodeWithName(bytes, "GBK");
    case 949:
        return DecodeWithName(bytes, "windows-949");
    case 950:
        return DecodeWithName(bytes, "Big5");
    case 10000:
        return DecodeWithName(bytes, "macintosh");
    default:
        break;
    }
    if ((codePage >= 1250 && codePage <= 1258) || codePage == 874)
        return DecodeWithName(bytes, "windows-" + QByteArray::number(codePage));
    return DecodeCp1252(bytes);
}

} // namespace zorv::rp::convert
