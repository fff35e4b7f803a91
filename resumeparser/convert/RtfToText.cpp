// An RTF reader that keeps only the text.
#include "RtfToText.h"

#include "ConvertText.h"
#include "TextDecoding.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace zorv::rp::convert {

namespace {

constexpr int kMaxGroupDepth = 1000;

// Destinations whose content is not text of the document.
const QSet<QByteArray>& SkippedDestinations() {
    static const QSet<QByteArray> names{"colortbl",
                                        "stylesheet",
                                        "info",
                                        "pict",
                                        "themedata",
                                        "colorschememapping",
                                        "datastore",
                                        "latentstyles",
                                        "listtable",
                                        "listoverridetable",
                                        "revtbl",
                                        "rsidtbl",
                                        "generator",
                                        "xmlnstbl",
                                        "mmathPr",
                                        "fldinst",
                                        "bkmkstart",
                                        "bkmkend",
                                        "objdata",
                                        "nonshppict",
                                        "shprslt",
                                        "sp",
                                        "sn",
                                        "sv",
                                        "footnote",
                                        "xe",
                                        "tc",
                                        "template",
                                        "docvar",
                                        "userprops",
                                        "filetbl",
                                        "annotation",
                                        "atnid",
                                        "atnauthor",
                                        "protusertbl",
                                        "ftnsep",
                                        "ftnsepc",
                                        "aftnsep",
                                        "aftnsepc",
                                        "pgdsctbl",
                                        "upr",
                                        "blipuid",
                                        "falt",
                                        "panose",
                                        "fontemb",
                                        "fontfile",
                                        "listtext_unused",
                                        "pnseclvl",
                                        "wgrffmtfilter",
                                        "passwordhash",
                                        "private",
                                        "formfield"};
    return names;
}

// Ignorable (\*) destinations whose content is text after all.
const QSet<QByteArray>& KeptStarDestinations() {
    static const QSet<QByteArray> names{"shpinst", "shptxt", "ud"};
    return names;
}

int CodePageOfCharset(int charset, int fallback) {
    switch (charset) {
    case 0:
    case 1:
    case 2:
        return fallback;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return fallback;
    }
}

// RTF's type size when a document sets none: 12 points.
constexpr int kDefaultHalfPoints = 24;
// Sizes past this (in half points) are damaged values, not type.
constexpr int kMaxHalfPoints = 2000;

struct GroupState {
    bool skip = false;
    bool fontTable = false;
    bool firstWord = true; // the next control word is the group's first
    bool star = false;     // the group began with \*
    int uc = 1;
    int codePage = 1252;
    int halfPoints = kDefaultHalfPoints; // \fs
    bool bold = false;                   // \b
};

class RtfReader {
public:
    explicit RtfReader(QByteArrayView in) : in_(in) {}

    bool Run() {
        for (pos_ = 0; pos_ < in_.size();) {
            const char c = in_[pos_++];
            if (c == '{') {
                if (stack_.size() >= kMaxGroupDepth)
                    return false;
                stack_.push_back(state_);
                state_.firstWord = true;
                state_.star = false;
                skipChars_ = 0;
            } else if (c == '}') {
                Flush();
                if (stack_.empty())
                    break; // the end of the document
                state_ = stack_.back();
                stack_.pop_back();
                skipChars_ = 0;
            } else if (c == '\\') {
                Control();
            } else if (c == '\r' || c == '\n') {
                continue;
            } else {
                Byte(c);
            }
        }
        Flush();
        return true;
    }

    QString Text() const { return out_; }

    // One layout line per output line that holds text: its largest size and whether all of
    // its text is bold.
    std::vector<LayoutLine> TakeLayout() {
        EndLayoutLine();
        return std::move(layout_);
    }

private:
    void Control() {
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (IsAsciiLetter(c)) {
            Word();
            return;
        }
        ++pos_;
        state_.firstWord = false;
        switch (c) {
        case '\'':
            if (pos_ + 2 <= in_.size()) {
                bool ok = false;
                const int value = QByteArray(in_.data() + pos_, 2).toInt(&ok, 16);
                pos_ += 2;
                if (ok)
                    Byte(static_cast<char>(value));
            }
            break;
        case '*':
            state_.star = true;
            state_.firstWord = true;
            break;
        case '{':
        case '}':
        case '\\':
            Byte(c);
            break;
        case '~':
            Char(u'\u00A0');
            break;
        case '_':
            Char(u'-');
            break;
        case '\r':
        case '\n':
            Char(u'\n');
            break;
        case '\t':
            Char(u'\t');
            break;
        default:
            break; // \- optional hyphen, \| \: and others carry no text
        }
    }

    static bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    struct ControlWord {
        QByteArray word;
        bool hasParam = false;
        qint64 param = 0;
    };

    // A control word's letters (at most 32) and its number (at most 10 digits), and the
    // space that ends it.
    ControlWord ReadControlWord() {
        ControlWord w;
        const qsizetype start = pos_;
        while (pos_ < in_.size() && IsAsciiLetter(in_[pos_]) && pos_ - start < 32)
            ++pos_;
        w.word = QByteArray(in_.data() + start, pos_ - start);
        const qsizetype numStart = pos_;
        if (pos_ < in_.size() && in_[pos_] == '-')
            ++pos_;
        while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9' && pos_ - numStart < 11)
            ++pos_;
        if (pos_ > numStart && !(pos_ == numStart + 1 && in_[numStart] == '-')) {
            w.param = QByteArray(in_.data() + numStart, pos_ - numStart).toLongLong();
            w.hasParam = true;
        } else {
            pos_ = numStart;
        }
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        return w;
    }

    void Word() {
        const auto [word, hasParam, param] = ReadControlWord();
        const bool first = state_.firstWord;
        state_.firstWord = false;
        if (first && state_.star && !KeptStarDestinations().contains(word)) {
            state_.skip = true;
            return;
        }
        if (first && SkippedDestinations().contains(word)) {
            state_.skip = true;
            return;
        }
        if (word == "ud") {
            state_.skip = false;
            return;
        }
        if (word == "bin") {
            Flush();
            pos_ = std::min(in_.size(), pos_ + static_cast<qsizetype>(std::max<qint64>(0, param)));
            return;
        }
        if (word == "fonttbl") {
            state_.fontTable = true;
            state_.skip = true;
            return;
        }
        if (state_.fontTable) {
            FontTableWord(word, param);
            return;
        }
        if (word == "ansicpg" && hasParam) {
            defaultCodePage_ = static_cast<int>(param);
            state_.codePage = defaultCodePage_;
            return;
        }
        if (word == "uc" && hasParam) {
            state_.uc = static_cast<int>(std::clamp<qint64>(param, 0, 10));
            return;
        }
        if (word == "u" && hasParam) {
            const auto unit = static_cast<char16_t>(param < 0 ? param + 65536 : param);
            Char(unit);
            skipChars_ = state_.uc;
            return;
        }
        if (skipChars_ > 0) {
            --skipChars_;
            return;
        }
        if (CharacterFormat(word, hasParam, param))
            return;
        if (word == "f" && hasParam) {
            Flush();
            state_.codePage = fontCodePages_.value(static_cast<int>(param), defaultCodePage_);
            return;
        }
        TextWord(word);
    }

    // Words that stand for text or structure: code pages, breaks, table cells, signs.
    void TextWord(const QByteArray& word) {
        if (word == "mac")
            defaultCodePage_ = state_.codePage = 10000;
        else if (word == "pc")
            defaultCodePage_ = state_.codePage = 437;
        else if (word == "pca")
            defaultCodePage_ = state_.codePage = 850;
        else if (word == "par" || word == "line" || word == "sect" || word == "page") {
            Char(u'\n');
            breaksInCell_ += inTable_;
        } else if (word == "intbl") {
            inTable_ = true;
        } else if (word == "pard") {
            inTable_ = false;
        } else if (word == "trowd") {
            breaksInCell_ = 0;
        } else if (word == "row" || word == "nestrow") {
            Char(u'\n');
            breaksInCell_ = 0;
        } else if (word == "cell" || word == "nestcell") {
            // A cell of one line is a cell of a row; a cell of several lines is a column
            // of a layout table and is followed by the next one line by line.
            Char(breaksInCell_ > 0 ? u'\n' : u'\t');
            breaksInCell_ = 0;
        } else if (word == "tab")
            Char(u'\t');
        else if (word == "emdash")
            Char(u'\u2014');
        else if (word == "endash")
            Char(u'\u2013');
        else if (word == "bullet")
            Char(u'\u2022');
        else if (word == "lquote")
            Char(u'\u2018');
        else if (word == "rquote")
            Char(u'\u2019');
        else if (word == "ldblquote")
            Char(u'\u201C');
        else if (word == "rdblquote")
            Char(u'\u201D');
        else if (word == "emspace" || word == "enspace" || word == "qmspace")
            Char(u' ');
    }

    // \fsN, \b, \b0 and \plain: what the layout lines record of the type.
    bool CharacterFormat(const QByteArray& word, bool hasParam, qint64 param) {
        if (word != "fs" && word != "b" && word != "plain")
            return false;
        Flush();
        if (word == "fs" && hasParam && param > 0)
            state_.halfPoints = static_cast<int>(std::min<qint64>(param, kMaxHalfPoints));
        else if (word == "b")
            state_.bold = !hasParam || param != 0;
        else if (word == "plain") {
            state_.halfPoints = kDefaultHalfPoints;
            state_.bold = false;
        }
        return true;
    }

    // Text written in the current type.
    void NoteText(const QString& text) {
        for (QChar c : text)
            if (!c.isSpace()) {
                lineHalfPoints_ = std::max(lineHalfPoints_, state_.halfPoints);
                lineBold_ = lineBold_ && state_.bold;
                lineHasText_ = true;
                return;
            }
    }

    void EndLayoutLine() {
        if (lineHasText_) {
            constexpr double kHalf = 2.0;
            const QString text = out_.mid(lineStart_).trimmed();
            layout_.push_back(LayoutLine{
                text, lineHalfPoints_ / kHalf, lineBold_, 0, double(layout_.size()), 0, {}});
        }
        lineStart_ = out_.size();
        lineHalfPoints_ = 0;
        lineBold_ = true;
        lineHasText_ = false;
    }

    // Inside the font table: \fN starts a font, \fcharsetN and \cpgN give its code page.
    void FontTableWord(const QByteArray& word, qint64 param) {
        if (word == "f")
            currentFont_ = static_cast<int>(param);
        else if (word == "fcharset")
            fontCodePages_[currentFont_] =
                CodePageOfCharset(static_cast<int>(param), defaultCodePage_);
        else if (word == "cpg" && param > 0)
            fontCodePages_[currentFont_] = static_cast<int>(param);
    }

    void Byte(char c) {
        state_.firstWord = false;
        if (skipChars_ > 0) {
            --skipChars_;
            return;
        }
        if (!state_.skip)
            pending_.append(c);
    }

    void Char(char16_t c) {
        if (state_.skip)
            return;
        Flush();
        out_ += QChar(c);
        if (c == u'\n')
            EndLayoutLine();
        else
            NoteText(QString(QChar(c)));
    }

    void Flush() {
        if (pending_.isEmpty())
            return;
        const QString text = DecodeCodePage(pending_, state_.codePage);
        out_ += text;
        NoteText(text);
        pending_.clear();
    }

    QByteArrayView in_;
    qsizetype pos_ = 0;
    GroupState state_;
    std::vector<GroupState> stack_;
    QByteArray pending_;
    QString out_;
    int skipChars_ = 0;
    int breaksInCell_ = 0; // line ends inside the current table cell
    bool inTable_ = false; // the current paragraph is in a table (\intbl)
    int defaultCodePage_ = 1252;
    int currentFont_ = 0;
    QHash<int, int> fontCodePages_;
    std::vector<LayoutLine> layout_;
    qsizetype lineStart_ = 0;
    int lineHalfPoints_ = 0;
    bool lineBold_ = true;
    bool lineHasText_ = false;
};

} // namespace

ActionResult RtfToText(QByteArrayView bytes) {
    qsizetype start = bytes.indexOf("{\\rtf");
    if (start < 0 || start > 16)
        return Failed(QStringLiteral("The file is not an RTF document."));
    // The outer group is the document: read from inside it.
    RtfReader reader(bytes.sliced(start + 1));
    if (!reader.Run())
        return Failed(QStringLiteral("The RTF document is nested too deeply to be a resume."));
    const QString text = reader.Text();
    return Succeeded(text, QStringLiteral("The RTF document contains no text."),
                     std::make_shared<DocumentLayout>(DocumentLayout{reader.TakeLayout()}));
}

} // namespace zorv::rp::convert
