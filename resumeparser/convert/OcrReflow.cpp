// Lines a scanned page wrapped at its right margin, joined again: the writer typed one line
// (a date range at the right, a long school name) and the page broke it where it ran out of
// room, so the parser sees it whole, as in the digital original.
#include "OcrEngine.h"

#include <algorithm>

namespace zorv::rp::convert {

namespace {

// A gap wider than this many line heights parts the pieces of a row (cells, columns).
constexpr double kPieceGap = 1.5;
// Rows closer than this many line heights follow each other with no blank line between.
constexpr double kMaxLeading = 0.6;
// A continuation starts at most this many line heights right of its row's start (a
// hanging indent under a bullet), or this little left of it.
constexpr double kMaxIndent = 3.0;
constexpr double kLeftSlack = 0.5;
// Type sizes of one paragraph differ by at most this share.
constexpr double kSizeTolerance = 0.2;
// A space is about this many line heights wide.
constexpr double kSpaceWidth = 0.3;
// The rest of a broken line is short; a longer line that follows a full one is a line of
// its own (ragged text often runs close to the margin).
constexpr double kMaxRestShare = 0.33;

struct Row {
    std::vector<PdfWord> words; // left to right
    double top = 0, bottom = 0;
    double Height() const { return std::max(1.0, bottom - top); }
    double Left() const { return words.front().x0; }
    double Right() const { return words.back().x1; }
};

std::vector<Row> RowsOf(std::vector<PdfWord> words) {
    std::vector<Row> rows;
    for (std::vector<PdfWord>& line : RawLines(std::move(words))) {
        // The row's extent is that of the word it was started from: the highest middle.
        const auto first =
            std::min_element(line.begin(), line.end(), [](const PdfWord& a, const PdfWord& b) {
                return a.y0 + a.y1 < b.y0 + b.y1 || (a.y0 + a.y1 == b.y0 + b.y1 && a.x0 < b.x0);
            });
        const double top = first->y0, bottom = first->y1;
        rows.push_back(Row{std::move(line), top, bottom});
    }
    return rows;
}

bool IsOnePiece(const Row& row) {
    for (size_t i = 1; i < row.words.size(); ++i)
        if (row.words[i].x0 - row.words[i - 1].x1 > kPieceGap * row.Height())
            return false;
    return true;
}

// Whether `next` carries on `row`, which the page broke at `margin`: no blank line between,
// the same type, `next` a short piece starting under `row`'s start, and its first word too
// wide for what was left of `row`'s line. A bullet or a dash starts a new item instead,
// and a line ending a sentence is whole.
bool Continues(const Row& row, const Row& next, double margin) {
    const double h = row.Height();
    const PdfWord& first = next.words.front();
    const QChar lead = first.text.front();
    const bool newItem = !lead.isLetterOrNumber() && lead != u'(' && lead != u'"';
    // After a full stop or a colon comes a line of its own (a heading, a label's value).
    static const QString kLineEnds = QStringLiteral(".!?:;");
    const bool ended = kLineEnds.contains(row.words.back().text.back());
    return !newItem && !ended && next.top - row.bottom <= kMaxLeading * h &&
           std::abs(next.Height() - h) <= kSizeTolerance * h &&
           next.Left() >= row.Left() - kLeftSlack * h &&
           next.Left() <= row.Left() + kMaxIndent * h && IsOnePiece(next) &&
           next.Right() - next.Left() <= kMaxRestShare * (margin - row.Left()) &&
           margin - row.Right() < (first.x1 - first.x0) + kSpaceWidth * h;
}

} // namespace

std::vector<PdfWord> JoinWrappedLines(std::vector<PdfWord> words) {
    if (words.empty())
        return words;
    double margin = 0;
    for (const PdfWord& w : words)
        margin = std::max(margin, w.x1);
    std::vector<Row> rows = RowsOf(std::move(words));
    std::vector<PdfWord> out;
    for (size_t i = 0; i < rows.size(); ++i) {
        Row& row = rows[i];
        // The continuation's text goes onto the row's last word, whose box stays: the
        // layout then reads it at the end of the row.
        for (const Row* broken = &row;
             i + 1 < rows.size() && Continues(*broken, rows[i + 1], margin); broken = &rows[++i]) {
            PdfWord& last = row.words.back();
            QString tail;
            for (const PdfWord& w : rows[i + 1].words)
                tail += (tail.isEmpty() ? QString() : QStringLiteral(" ")) + w.text;
            const bool hyphenated = last.text.size() > 1 && last.text.endsWith(u'-') &&
                                    last.text[last.text.size() - 2].isLetter() &&
                                    tail.front().isLower();
            if (hyphenated)
                last.text.chop(1);
            last.text += (hyphenated ? QString() : QStringLiteral(" ")) + tail;
        }
        for (PdfWord& w : row.words)
            out.push_back(std::move(w));
    }
    return out;
}

} // namespace zorv::rp::convert
