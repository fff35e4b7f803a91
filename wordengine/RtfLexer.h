// The tokens of a Rich Text file: group braces, control words with their parameter and
// delimiter, control symbols, \'hh escapes, plain bytes and \binN data, each with the byte
// range it occupies, so that an editor can leave every byte it does not touch as it was.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace zorv::wordengine {

// Why a Rich Text file cannot be read; the reader adds the file's name.
struct RtfFault {
    std::int32_t number; // an EngineError
    QString what;
};

struct RtfToken {
    enum class Kind : std::uint8_t {
        Open,    // {
        Close,   // }
        Word,    // \letters[-digits][space]
        Symbol,  // \ and one other character (\~, \-, \*, \\, \{ ...)
        Hex,     // \'hh: `ch` is the byte
        Byte,    // a plain byte of text: `ch`
        Bin,     // \binN and its N bytes of data
        Ignored, // CR, LF and other control bytes, which carry nothing
    };
    Kind kind = Kind::Ignored;
    qsizetype begin = 0, end = 0;
    QByteArrayView word;
    std::int32_t param = 0;
    bool hasParam = false;
    bool delimited = false; // a control word ended by the space that belongs to it
    unsigned char ch = 0;

    bool Is(const char* name) const { return kind == Kind::Word && word == name; }
};

class RtfLexer {
public:
    explicit RtfLexer(QByteArrayView data) : data_(data) {}
    // The next token; false at the end of the data. Throws RtfFault for \bin data that runs
    // past the end.
    bool Next(RtfToken& token);

private:
    void ControlWord(RtfToken& token);
    QByteArrayView data_;
    qsizetype pos_ = 0;
};

} // namespace zorv::wordengine
