// Line building, column detection and header/footer removal for PDF text.
#include "PdfLayout.h"

#include "PdfDateColumn.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace zorv::rp::convert {

namespace {

struct Segment {
    QString text;
    double x0, x1, top, bottom;
    int row; // the raw line it belongs to
    qsizetype chars;
    double fontSize;
    bool bold;
};

// A raw line split where the gap between words is far wider than a space.
void SplitIntoSegments(const std::vector<PdfWord>& line, int row, std::vector<Segment>* out) {
    const double height = RowHeight(line);
    Segment seg{};
    bool open = false;
    const PdfWord* prev = nullptr;
    for (const PdfWord& w : line) {
        const double gap = prev ? w.x0 - prev->x1 : 0;
        if (open && StartsPiece(*prev, w, height)) {
            out->push_back(seg);
            open = false;
        }
        if (!open) {
            seg = Segment{w.text, w.x0, w.x1, w.y0, w.y1, row, w.text.size(), w.fontSize, w.bold};
            open = true;
        } else {
            if (prev->spaceAfter || gap > 0.15 * height)
                seg.text += u' ';
            seg.text += w.text;
            seg.x1 = std::max(seg.x1, w.x1);
            seg.top = std::min(seg.top, w.y0);
            seg.bottom = std::max(seg.bottom, w.y1);
            seg.chars += w.text.size();
            seg.fontSize = std::max(seg.fontSize, w.fontSize);
            seg.bold = seg.bold && w.bold;
        }
        prev = &w;
    }
    if (open)
        out->push_back(seg);
}

} // namespace

double RowHeight(const std::vector<PdfWord>& row) {
    double height = 1;
    for (const PdfWord& w : row)
        height = std::max(height, w.y1 - w.y0);
    return height;
}

bool IsClearGap(double gap, double height) {
    return gap > 0.6 * height;
}

bool IsWideGap(double gap, double height) {
    return gap > 1.5 * height;
}

bool StartsPiece(const PdfWord& prev, const PdfWord& w, double height) {
    const double gap = w.x0 - prev.x1;
    return IsWideGap(gap, height) || (!prev.spaceAfter && IsClearGap(gap, height));
}

namespace {

// The x of a gutter between two columns, or a negative value for a one-column page.
// A gutter is crossed by few pieces (a full-width name or heading may cross it) and has
// a real column of text on each side.
double FindGutter(const std::vector<Segment>& segs, double pageWidth) {
    if (segs.size() < 6 || pageWidth <= 0)
        return -1;
    qsizetype totalChars = 0;
    for (const Segment& s : segs)
        totalChars += s.chars;
    double best = -1;
    size_t bestCrossing = segs.size();
    double bestRun = 0, runStart = -1;
    for (double x = 0.15 * pageWidth; x <= 0.85 * pageWidth; x += 2) {
        size_t left = 0, right = 0, crossing = 0;
        qsizetype leftChars = 0, rightChars = 0;
        for (const Segment& s : segs) {
            if (s.x1 <= x) {
                ++left;
                leftChars += s.chars;
            } else if (s.x0 >= x) {
                ++right;
                rightChars += s.chars;
            } else {
                ++crossing;
            }
        }
        const bool usable = left >= 3 && right >= 3 && crossing * 10 <= segs.size() &&
                            leftChars * 10 >= totalChars && rightChars * 5 >= totalChars;
        if (!usable) {
            runStart = -1;
            continue;
        }
        // Fewest crossings first; then the middle of the widest stretch with that count.
        if (crossing < bestCrossing) {
            bestCrossing = crossing;
            runStart = x;
            best = x;
            bestRun = 0;
        } else if (crossing == bestCrossing) {
            if (runStart < 0)
                runStart = x;
            if (x - runStart > bestRun) {
                bestRun = x - runStart;
                best = (runStart + x) / 2;
            }
        } else {
            runStart = -1;
        }
    }
    return best;
}

// Segments of one side, grouped by raw line, pieces of one line joined by tabs.
void EmitRows(std::vector<const Segment*>& side, std::vector<PdfLine>* out) {
    std::stable_sort(side.begin(), side.end(), [](const Segment* a, const Segment* b) {
        return a->row < b->row || (a->row == b->row && a->x0 < b->x0);
    });
    for (size_t i = 0; i < side.size();) {
        PdfLine line{side[i]->text, side[i]->top,      side[i]->bottom,
                     side[i]->x0,   side[i]->fontSize, side[i]->bold};
        size_t j = i + 1;
        for (; j < side.size() && side[j]->row == side[i]->row; ++j) {
            line.text += u'\t' + side[j]->text;
            line.top = std::min(line.top, side[j]->top);
            line.bottom = std::max(line.bottom, side[j]->bottom);
            line.fontSize = std::max(line.fontSize, side[j]->fontSize);
            line.bold = line.bold && side[j]->bold;
        }
        out->push_back(line);
        i = j;
    }
    side.clear();
}

// A column of labels or dates beside the text they belong to ("2019 - 2021" left of the
// entry's first line, Europass's labels): the sparse side's lines nearly all stand on the
// baseline of a line of the other side, which also has lines of its own (the entries'
// continuation). Such a band is read row by row so that each date stays on its entry's line.
// A sidebar is about as dense as the main column, or its lines meet the main column's
// baselines only by chance, and it keeps being read column by column.
bool IsLabelColumn(const std::vector<const Segment*>& left,
                   const std::vector<const Segment*>& right) {
    constexpr size_t kMinLabelRows = 3;
    constexpr double kMinAlignedShare = 0.7;
    constexpr double kMaxDensityRatio = 0.7;
    // Baselines closer than this share of the line height are one baseline.
    constexpr double kBaselineTolerance = 0.25;
    QHash<int, const Segment*> leftRows, rightRows;
    for (const Segment* s : left)
        leftRows.insert(s->row, s);
    for (const Segment* s : right)
        rightRows.insert(s->row, s);
    const bool leftSparse = leftRows.size() <= rightRows.size();
    const QHash<int, const Segment*>& sparse = leftSparse ? leftRows : rightRows;
    const QHash<int, const Segment*>& dense = leftSparse ? rightRows : leftRows;
    if (size_t(sparse.size()) < kMinLabelRows || sparse.size() > kMaxDensityRatio * dense.size())
        return false;
    qsizetype aligned = 0;
    for (auto it = sparse.cbegin(); it != sparse.cend(); ++it) {
        const Segment* other = dense.value(it.key());
        const double height = std::min(it.value()->bottom - it.value()->top,
                                       other ? other->bottom - other->top : 0.0);
        aligned +=
            other && std::abs(other->bottom - it.value()->bottom) <= kBaselineTolerance * height;
    }
    return aligned >= kMinAlignedShare * sparse.size();
}

// One band of a two-column page: column by column, or row by row beside a label column.
void EmitBand(std::vector<const Segment*>& left, std::vector<const Segment*>& right,
              std::vector<PdfLine>* out) {
    if (IsLabelColumn(left, right)) {
        left.insert(left.end(), right.begin(), right.end());
        right.clear();
    }
    EmitRows(left, out);
    EmitRows(right, out);
}

QString RecurrenceKey(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QString key = text.simplified().toLower();
    key.replace(digits, QStringLiteral("#"));
    return key;
}

} // namespace

std::vector<std::vector<PdfWord>> RawLines(std::vector<PdfWord> words) {
    std::sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.y0 + a.y1 < b.y0 + b.y1 || (a.y0 + a.y1 == b.y0 + b.y1 && a.x0 < b.x0);
    });
    std::vector<std::vector<PdfWord>> lines;
    double top = 0, bottom = 0;
    for (PdfWord& w : words) {
        const double mid = (w.y0 + w.y1) / 2;
        if (!lines.empty() && mid >= top && mid <= bottom) {
            lines.back().push_back(std::move(w));
            continue;
        }
        top = w.y0;
        bottom = w.y1;
        lines.emplace_back();
        lines.back().push_back(std::move(w));
    }
    for (auto& line : lines) {
        std::sort(line.begin(), line.end(),
                  [](const PdfWord& a, const PdfWord& b) { return a.x0 < b.x0; });
    }
    return lines;
}

std::vector<PdfLine> LayOutPage(std::vector<PdfWord> words, double pageWidth) {
    std::erase_if(words, [](const PdfWord& w) { return w.text.trimmed().isEmpty(); });
    auto rows = RawLines(std::move(words));
    JoinDateColumn(&rows, pageWidth);
    std::vector<Segment> segs;
    for (size_t r = 0; r < rows.size(); ++r)
        SplitIntoSegments(rows[r], static_cast<int>(r), &segs);

    std::vector<PdfLine> out;
    const double gutter = FindGutter(segs, pageWidth);
    std::vector<const Segment*> left, right;
    if (gutter < 0) {
        for (const Segment& s : segs)
            left.push_back(&s);
        EmitRows(left, &out);
        return out;
    }
    // Bands between full-width lines; within a band the left column, then the right one.
    for (size_t i = 0; i < segs.size();) {
        size_t end = i;
        bool crosses = false;
        for (; end < segs.size() && segs[end].row == segs[i].row; ++end)
            crosses = crosses || (segs[end].x0 < gutter && segs[end].x1 > gutter);
        if (crosses) {
            EmitBand(left, right, &out);
            std::vector<const Segment*> row;
            for (size_t k = i; k < end; ++k)
                row.push_back(&segs[k]);
            EmitRows(row, &out);
        } else {
            for (size_t k = i; k < end; ++k)
                (segs[k].x1 <= gutter ? left : right).push_back(&segs[k]);
        }
        i = end;
    }
    EmitBand(left, right, &out);
    return out;
}

QStringList JoinPages(const std::vector<PdfPage>& pages, std::vector<LayoutLine>* layout) {
    auto inMargin = [](const PdfLine& line, double height) {
        return height > 0 && (line.bottom < 0.12 * height || line.top > 0.88 * height);
    };
    QHash<QString, int> pagesWithKey;
    if (pages.size() > 1) {
        for (const PdfPage& page : pages) {
            QSet<QString> seen;
            for (const PdfLine& line : page.lines) {
                if (inMargin(line, page.height))
                    seen.insert(RecurrenceKey(line.text));
            }
            for (const QString& key : seen)
                ++pagesWithKey[key];
        }
    }
    QStringList out;
    QSet<QString> emitted;
    int pageNumber = 0;
    for (const PdfPage& page : pages) {
        for (const PdfLine& line : page.lines) {
            if (inMargin(line, page.height)) {
                const QString key = RecurrenceKey(line.text);
                if (pagesWithKey.value(key) > 1) {
                    if (emitted.contains(key))
                        continue;
                    emitted.insert(key);
                }
            }
            out << line.text;
            if (layout)
                layout->push_back(LayoutLine{
                    line.text, line.fontSize, line.bold, pageNumber, line.top, line.left, {}});
        }
        out << QString();
        ++pageNumber;
    }
    return out;
}

QStringList RepairLigaturesAndHyphens(QStringList lines) {
    static const char16_t* const kLigatures[] = {u"ff", u"fi", u"fl", u"ffi", u"ffl", u"st", u"st"};
    for (QString& line : lines) {
        for (char16_t c = 0xFB00; c <= 0xFB06; ++c)
            line.replace(QChar(c), QString::fromUtf16(kLigatures[c - 0xFB00]));
    }
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        QString& line = lines[i];
        QString& next = lines[i + 1];
        if (line.size() < 3 || next.isEmpty())
            continue;
        const QChar last = line.back();
        const bool softBreak = last == QChar(0x00AD);
        const bool hyphen = last == u'-' || last == QChar(0x2010);
        if (!softBreak && !hyphen)
            continue;
        const QChar before = line[line.size() - 2];
        if (!before.isLetter() || !next[0].isLetter() || (hyphen && !next[0].isLower()))
            continue;
        qsizetype end = 0;
        while (end < next.size() && next[end] != u' ' && next[end] != u'\t')
            ++end;
        line.chop(1);
        line += next.left(end);
        next = next.mid(end).trimmed();
        if (next.isEmpty())
            lines.removeAt(i + 1);
    }
    return lines;
}

} // namespace zorv::rp::convert
