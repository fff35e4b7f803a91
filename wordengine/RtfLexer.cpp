// Splitting Rich Text into tokens, linear in the size of the file whatever it holds.
#include "RtfLexer.h"

#include "WordEngine.h"

#include <limits>

namespace zorv::wordengine {
namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void RtfLexer::ControlWord(RtfToken& t) {
    const qsizetype n = data_.size();
    const qsizetype start = pos_;
    while (pos_ < n && IsLetter(data_[pos_]))
        ++pos_;
    t.kind = RtfToken::Kind::Word;
    t.word = data_.sliced(start, pos_ - start);
    const bool negative = pos_ + 1 < n && data_[pos_] == '-' && IsDigit(data_[pos_ + 1]);
    if (negative)
        ++pos_;
    if (pos_ < n && IsDigit(data_[pos_])) {
        // Saturates rather than overflows: an absurd parameter stays absurd, never wraps.
        std::int64_t value = 0;
        while (pos_ < n && IsDigit(data_[pos_])) {
            value = std::min<std::int64_t>(value * 10 + (data_[pos_] - '0'),
                                           std::numeric_limits<std::int32_t>::max());
            ++pos_;
        }
        t.hasParam = true;
        t.param = std::int32_t(negative ? -value : value);
    }
    if (pos_ < n && data_[pos_] == ' ') {
        ++pos_;
        t.delimited = true;
    }
    if (t.word == "bin") {
        const qsizetype length = t.hasParam ? std::max<std::int32_t>(t.param, 0) : 0;
        if (length > n - pos_)
            throw RtfFault{
                EngNotAPackage,
                QStringLiteral("binary data (\\bin%1) runs past the end of the file").arg(length)};
        pos_ += length;
        t.kind = RtfToken::Kind::Bin;
    }
}

bool RtfLexer::Next(RtfToken& t) {
    const qsizetype n = data_.size();
    if (pos_ >= n)
        return false;
    t = RtfToken{};
    t.begin = pos_;
    const char c = data_[pos_++];
    if (c == '{') {
        t.kind = RtfToken::Kind::Open;
    } else if (c == '}') {
        t.kind = RtfToken::Kind::Close;
    } else if (c == '\\') {
        if (pos_ >= n) {
            t.kind = RtfToken::Kind::Ignored;
        } else if (IsLetter(data_[pos_])) {
            ControlWord(t);
        } else if (data_[pos_] == '\'' && pos_ + 2 < n && HexValue(data_[pos_ + 1]) >= 0 &&
                   HexValue(data_[pos_ + 2]) >= 0) {
            t.kind = RtfToken::Kind::Hex;
            t.ch = static_cast<unsigned char>(HexValue(data_[pos_ + 1]) * 16 +
                                              HexValue(data_[pos_ + 2]));
            pos_ += 3;
        } else {
            t.kind = RtfToken::Kind::Symbol;
            t.ch = static_cast<unsigned char>(data_[pos_++]);
        }
    } else if (c == '\r' || c == '\n' || (static_cast<unsigned char>(c) < 0x20 && c != '\t')) {
        t.kind = RtfToken::Kind::Ignored;
    } else {
        t.kind = RtfToken::Kind::Byte;
        t.ch = static_cast<unsigned char>(c);
    }
    t.end = pos_;
    return true;
}

} // namespace zorv::wordengine
