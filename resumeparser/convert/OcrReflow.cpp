// Lines a scanned page wrapped at its right margin, joined again: the writer typed one line
// (a date range at the right, a long school name) and the page broke it where it ran out of
// room, so the parser sees it whole, as in the digital original.
#include "OcrEngine.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace zorv::rp::convert {

namespace {

// Word starts this close (in line heights) in at least kMinColumnRows rows, no more than
// kColumnRows apart, are one column of a table.
constexpr double kAlignSlack = 0.2;
constexpr size_t kColumnRows = 6;
constexpr long kMinColumnRows = 3;
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
// A typewriter face's spaces look this much wider than a PDF's at most, in line heights.
constexpr double kMaxExcessSpace = 0.6;
// Fewer word spaces than this on a page tell nothing about its type.
constexpr size_t kMinSpacesMeasured = 10;
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

// Where the pieces of the row start (word indexes): its cells, as the layout will cut them.
std::vector<size_t> PieceStarts(const Row& row) {
    std::vector<size_t> starts{0};
    const double h = RowHeight(row.words);
    for (size_t i = 1; i < row.words.size(); ++i)
        if (StartsPiece(row.words[i - 1], row.words[i], h))
            starts.push_back(i);
    return starts;
}

// A table set with spaces or tabs, which OCR reads row by row as plain lines: words that
// start at one x after a clear gap in several rows near each other start its cells.
void MarkColumnStarts(std::vector<Row>* rows) {
    struct Start {
        size_t row, word;
        double x, height;
    };
    std::vector<Start> starts;
    for (size_t r = 0; r < rows->size(); ++r) {
        const std::vector<PdfWord>& words = (*rows)[r].words;
        const double h = RowHeight((*rows)[r].words);
        for (size_t i = 1; i < words.size(); ++i) {
            PdfWord ended = words[i - 1];
            ended.spaceAfter = false;
            if (words[i - 1].spaceAfter && StartsPiece(ended, words[i], h))
                starts.push_back(Start{r, i, words[i].x0, h});
        }
    }
    // The starts are in row order: only those of the rows around each one are compared.
    size_t from = 0;
    for (const Start& s : starts) {
        while (starts[from].row + kColumnRows < s.row)
            ++from;
        long aligned = 0;
        for (size_t k = from; k < starts.size() && starts[k].row <= s.row + kColumnRows; ++k)
            aligned +=
                starts[k].row != s.row && std::abs(starts[k].x - s.x) <= kAlignSlack * s.height;
        if (aligned + 1 >= kMinColumnRows)
            (*rows)[s.row].words[s.word - 1].spaceAfter = false;
    }
}

// A piece of a row that the next row may carry on: its extent, the word that takes the
// continuation, and the right edge it runs up to (the next cell's start, or the margin).
struct Piece {
    double left, right, top, bottom, height, margin;
    PdfWord* last;
    bool running; // text running up to the page's margin, not a cell
};

// Whether `next` carries on `piece`, which the page or its cell broke at its margin: no
// blank line between, the same type, `next` one piece starting under the piece's start,
// and its first word too wide for what was left of the piece's line. A bullet or a dash
// starts a new item instead, and a line ending a sentence is whole. The rest of running
// text is short; a longer line after a full one is a line of its own (ragged text runs
// close to the margin), while a cell's rest fills its cell.
bool Continues(const Piece& piece, const Row& next) {
    const double h = piece.height;
    const PdfWord& first = next.words.front();
    const QChar lead = first.text.front();
    const bool newItem = !lead.isLetterOrNumber() && lead != u'(' && lead != u'"';
    // After a full stop or a colon comes a line of its own (a heading, a label's value).
    static const QString kLineEnds = QStringLiteral(".!?:;");
    const bool ended = kLineEnds.contains(piece.last->text.back());
    const bool fits =
        piece.running ? next.Right() - next.Left() <= kMaxRestShare * (piece.margin - piece.left)
                      : next.Right() <= piece.margin;
    return !newItem && !ended && next.top - piece.bottom <= kMaxLeading * h &&
           std::abs(next.Height() - h) <= kSizeTolerance * h &&
           next.Left() >= piece.left - kLeftSlack * h &&
           next.Left() <= piece.left + kMaxIndent * h && PieceStarts(next).size() == 1 && fits &&
           piece.margin - piece.right < (first.x1 - first.x0) + kSpaceWidth * h;
}

// The continuation's words onto the end of `last`, a hyphen that broke a word dropped.
void AppendContinuation(PdfWord* last, const Row& next) {
    QString tail;
    for (const PdfWord& w : next.words)
        tail += (tail.isEmpty() ? QString() : QStringLiteral(" ")) + w.text;
    const bool hyphenated = last->text.size() > 1 && last->text.endsWith(u'-') &&
                            last->text[last->text.size() - 2].isLetter() && tail.front().isLower();
    if (hyphenated)
        last->text.chop(1);
    last->text += (hyphenated ? QString() : QStringLiteral(" ")) + tail;
}

// The piece of `row` that `next` carries on, if any: the cell `next` starts under, when
// the row has cells and that one is not its last; else the whole row, broken at the page's
// margin.
std::optional<Piece> PieceContinued(Row& row, const Row& next, double margin) {
    const std::vector<size_t> starts = PieceStarts(row);
    size_t k = 0;
    while (k + 1 < starts.size() &&
           row.words[starts[k + 1]].x0 <= next.Left() + kLeftSlack * row.Height())
        ++k;
    if (k + 1 < starts.size()) {
        const size_t end = starts[k + 1];
        const Piece cell{
            row.words[starts[k]].x0, row.words[end - 1].x1, row.top, row.bottom, row.Height(),
            row.words[end].x0,       &row.words[end - 1],   false};
        if (Continues(cell, next))
            return cell;
    }
    const Piece whole{row.Left(),   row.Right(), row.top,           row.bottom,
                      row.Height(), margin,      &row.words.back(), true};
    return Continues(whole, next) ? std::optional<Piece>(whole) : std::nullopt;
}

} // namespace

std::vector<PdfWord> WithTypesetSpaces(std::vector<PdfWord> words) {
    std::vector<double> spaces;
    for (size_t i = 1; i < words.size(); ++i) {
        const PdfWord &a = words[i - 1], &b = words[i];
        if (a.spaceAfter && b.x0 > a.x1)
            spaces.push_back((b.x0 - a.x1) / std::max(1.0, b.y1 - b.y0));
    }
    if (spaces.size() < kMinSpacesMeasured)
        return words;
    std::nth_element(spaces.begin(), spaces.begin() + spaces.size() / 2, spaces.end());
    // Far wider spaces than a typewriter's are the page's own layout, not the boxes'.
    const double excess = std::min(spaces[spaces.size() / 2] - kSpaceWidth, kMaxExcessSpace);
    if (excess <= 0)
        return words;
    for (PdfWord& w : words) {
        const double grow = excess / 2 * std::max(1.0, w.y1 - w.y0);
        w.x0 -= grow;
        w.x1 += grow;
    }
    return words;
}

std::vector<PdfWord> JoinWrappedLines(std::vector<PdfWord> words) {
    if (words.empty())
        return words;
    double margin = 0;
    for (const PdfWord& w : words)
        margin = std::max(margin, w.x1);
    std::vector<Row> rows = RowsOf(std::move(words));
    MarkColumnStarts(&rows);
    std::vector<PdfWord> out;
    for (size_t i = 0; i < rows.size(); ++i) {
        Row& row = rows[i];
        // The continuation's text goes onto the piece's last word, whose box stays: the
        // layout then reads it at the end of the piece.
        std::optional<Piece> piece;
        if (i + 1 < rows.size())
            piece = PieceContinued(row, rows[i + 1], margin);
        while (piece) {
            const Row& next = rows[++i];
            AppendContinuation(piece->last, next);
            piece->left = next.Left();
            piece->right = next.Right();
            piece->top = next.top;
            piece->bottom = next.bottom;
            piece->height = next.Height();
            if (i + 1 == rows.size() || !Continues(*piece, rows[i + 1]))
                piece.reset();
        }
        for (PdfWord& w : row.words)
            out.push_back(std::move(w));
    }
    return out;
}

} // namespace zorv::rp::convert
