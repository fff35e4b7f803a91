// Date column detection: a common left edge of the body text that many rows reach only
// after a short piece and a gap wider than a space, the pieces holding dates.
#include "PdfDateColumn.h"

#include <QMap>
#include <algorithm>
#include <optional>

namespace zorv::rp::convert {

namespace {

// Body lines starting this close to the edge count as starting on it.
constexpr double kEdgeTolerance = 1.5;
// A date column is narrow; a sidebar is wider.
constexpr double kMaxLabelWidthShare = 0.2;
// Fewer rows than this are a coincidence, not a column.
constexpr int kMinLabelRows = 3;
// Rows of one date block follow each other closer than this share of the line height.
constexpr double kMaxBlockLeading = 0.6;
// A wrapped date takes a few lines; more is a column of text.
constexpr size_t kMaxBlockRows = 4;
// Nearly every block of a date column holds a digit; a sidebar's lines mostly do not.
constexpr double kMinDateBlockShare = 0.8;

// Wider than a word space, the pieces apart; not so wide that the line builder already cuts
// the line there.
bool IsColumnGap(double gap, double height) {
    return IsClearGap(gap, height) && !IsWideGap(gap, height);
}

// The x where the words after a wide gap most often start, or nothing.
std::optional<double> FindBodyEdge(const std::vector<std::vector<PdfWord>>& rows,
                                   double maxLabelWidth) {
    QMap<int, int> starts;
    for (const auto& row : rows) {
        const double height = RowHeight(row);
        for (size_t i = 1; i < row.size(); ++i) {
            const double gap = row[i].x0 - row[i - 1].x1;
            if (IsColumnGap(gap, height) && row[i - 1].x1 - row.front().x0 <= maxLabelWidth) {
                ++starts[qRound(row[i].x0)];
                break;
            }
        }
    }
    int best = -1, bestCount = 0;
    for (auto it = starts.cbegin(); it != starts.cend(); ++it) {
        const int count = it.value() + starts.value(it.key() - 1) + starts.value(it.key() + 1);
        if (count > bestCount) {
            best = it.key();
            bestCount = count;
        }
    }
    if (bestCount < kMinLabelRows)
        return std::nullopt;
    return best;
}

// The words of row left of the edge when they form a date column piece: short, starting in
// the column, ending a gap before the edge. Zero words otherwise.
size_t LabelWords(const std::vector<PdfWord>& row, double edge, double columnLeft,
                  double maxLabelWidth) {
    size_t n = 0;
    while (n < row.size() && row[n].x0 < edge - kEdgeTolerance)
        ++n;
    if (n == 0 || row.front().x0 < columnLeft - kEdgeTolerance || row[n - 1].x1 > edge ||
        row[n - 1].x1 - row.front().x0 > maxLabelWidth)
        return 0;
    const double gap = n < row.size() ? row[n].x0 - row[n - 1].x1 : 0;
    if (n < row.size() && !IsColumnGap(gap, RowHeight(row)))
        return 0;
    return n;
}

bool HasDigit(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

// Rows [first, last) form one date block: its words become one piece, without a space
// after it so that it stays a piece of its own, on the first row that has body text.
void JoinBlock(std::vector<std::vector<PdfWord>>* rows, const std::vector<size_t>& labelCounts,
               size_t first, size_t last) {
    PdfWord label{};
    bool open = false;
    size_t target = first;
    bool targetFound = false;
    for (size_t r = first; r < last; ++r) {
        auto& row = (*rows)[r];
        const auto n = static_cast<std::ptrdiff_t>(labelCounts[r]);
        for (auto it = row.begin(); it != row.begin() + n; ++it) {
            if (!open) {
                label = *it;
                open = true;
                continue;
            }
            label.text += u' ' + it->text;
            label.x0 = std::min(label.x0, it->x0);
            label.x1 = std::max(label.x1, it->x1);
            label.bold = label.bold && it->bold;
        }
        row.erase(row.begin(), row.begin() + n);
        if (!targetFound && !row.empty()) {
            target = r;
            targetFound = true;
        }
    }
    auto& row = (*rows)[target];
    label.spaceAfter = false;
    if (!row.empty()) {
        label.y0 = row.front().y0;
        label.y1 = row.front().y1;
    }
    row.insert(row.begin(), label);
}

} // namespace

void JoinDateColumn(std::vector<std::vector<PdfWord>>* rows, double pageWidth) {
    const double maxLabelWidth = kMaxLabelWidthShare * pageWidth;
    const std::optional<double> edge = FindBodyEdge(*rows, maxLabelWidth);
    if (!edge)
        return;
    // The column's left: where the widest label starts.
    double columnLeft = *edge;
    for (const auto& row : *rows) {
        if (!row.empty() && row.back().x1 > *edge && row.front().x0 < *edge &&
            LabelWords(row, *edge, 0, maxLabelWidth) > 0)
            columnLeft = std::min(columnLeft, row.front().x0);
    }
    std::vector<size_t> labelCounts(rows->size());
    for (size_t r = 0; r < rows->size(); ++r)
        labelCounts[r] = LabelWords((*rows)[r], *edge, columnLeft, maxLabelWidth);
    std::vector<std::pair<size_t, size_t>> blocks;
    qsizetype dated = 0;
    for (size_t r = 0; r < rows->size();) {
        size_t end = r + (labelCounts[r] > 0 ? 1 : 0);
        while (end > r && end < rows->size() && labelCounts[end] > 0 && end - r < kMaxBlockRows &&
               (*rows)[end].front().y0 - (*rows)[end - 1].front().y1 <=
                   kMaxBlockLeading * RowHeight((*rows)[end]))
            ++end;
        if (end == r) {
            ++r;
            continue;
        }
        QString text;
        for (size_t k = r; k < end; ++k)
            for (size_t i = 0; i < labelCounts[k]; ++i)
                text += (*rows)[k][i].text;
        dated += HasDigit(text);
        blocks.emplace_back(r, end);
        r = end;
    }
    if (blocks.size() < size_t(kMinLabelRows) || dated < kMinDateBlockShare * blocks.size())
        return;
    for (const auto& [first, last] : blocks) {
        if (last - first > 1)
            JoinBlock(rows, labelCounts, first, last);
        else if ((*rows)[first].size() > labelCounts[first])
            (*rows)[first][labelCounts[first] - 1].spaceAfter = false; // a piece of its own
    }
    std::erase_if(*rows, [](const std::vector<PdfWord>& row) { return row.empty(); });
}

} // namespace zorv::rp::convert
