// Code pages through Qt's text decoders: a table of 256 characters built once per file, so
// that decoding an escape costs a lookup.
#include "RtfCodePage.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

namespace zorv::wordengine {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

QByteArray DecoderName(int codePage) {
    switch (codePage) {
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 10000:
        return "macintosh";
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

bool IsDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

char16_t DecodeOne(QStringDecoder& decoder, const QByteArray& bytes) {
    decoder.resetState();
    const QString s = decoder.decode(bytes);
    return s.size() == 1 && !decoder.hasError() ? s.at(0).unicode() : kReplacement;
}

} // namespace

RtfCodePage::RtfCodePage(int codePage) : number_(codePage) {
    QStringDecoder decoder(DecoderName(codePage).constData());
    if (!decoder.isValid()) {
        number_ = 1252;
        decoder = QStringDecoder("windows-1252");
    }
    const bool dbcs = IsDoubleByte(number_);
    for (int b = 0; b < 256; ++b) {
        lead_[size_t(b)] = dbcs && b >= 0x81 && b <= (number_ == 932 ? 0xFC : 0xFE) &&
                           !(number_ == 932 && b >= 0xA0 && b <= 0xDF);
        if (b < 0x80 || !decoder.isValid()) {
            table_[size_t(b)] = char16_t(b); // ASCII, or Latin-1 when nothing else decodes
            continue;
        }
        table_[size_t(b)] =
            lead_[size_t(b)] ? kReplacement : DecodeOne(decoder, QByteArray(1, char(b)));
    }
}

char16_t RtfCodePage::Char(unsigned char lead, unsigned char trail) const {
    QStringDecoder decoder(DecoderName(number_).constData());
    if (!decoder.isValid())
        return kReplacement;
    const char pair[] = {char(lead), char(trail)};
    return DecodeOne(decoder, QByteArray(pair, 2));
}

} // namespace zorv::wordengine
