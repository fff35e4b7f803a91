// Shared results and text tidy-up of the converters.
#include "ConvertText.h"

#include <QStringList>

namespace zorv::rp::convert {

ActionResult Failed(const QString& message) {
    ActionResult r;
    r.ok = false;
    r.message = message;
    return r;
}

ActionResult Succeeded(const QString& rawText, const QString& noTextMessage) {
    ActionResult r;
    r.text = TidyText(rawText);
    r.ok = !r.text.isEmpty();
    if (!r.ok)
        r.message = noTextMessage;
    return r;
}

ActionResult Succeeded(const QString& rawText, const QString& noTextMessage,
                       std::shared_ptr<const DocumentLayout> layout) {
    ActionResult r = Succeeded(rawText, noTextMessage);
    if (r.ok)
        r.layout = std::move(layout);
    return r;
}

namespace {

// A data table's cells hold a line or two; more makes a column of a layout table.
constexpr qsizetype kMaxDataCellLines = 2;

// "2019 – 2021" or "Occupation" in a narrow cell beside a long entry: the date or label goes on
// the entry's first line, as a tab-separated cell, so that it stays with its entry. Only when
// every cell before the last is short and the last one is the only long one.
bool AppendLabelledEntry(const std::vector<QStringList>& cells, QStringList* out) {
    constexpr qsizetype kMaxLabelChars = 40;
    if (cells.size() < 2 || cells.back().size() <= kMaxDataCellLines)
        return false;
    QStringList row;
    for (size_t i = 0; i + 1 < cells.size(); ++i) {
        const QString label = cells[i].join(u' ').replace(u'\t', u' ').simplified();
        if (cells[i].size() > kMaxDataCellLines || label.size() > kMaxLabelChars)
            return false;
        if (!label.isEmpty())
            row << label;
    }
    if (row.isEmpty())
        return false;
    row << cells.back().front();
    *out << row.join(u'\t') << cells.back().mid(1);
    return true;
}

} // namespace

void AppendTableRow(std::vector<QStringList> cells, QStringList* out) {
    qsizetype longest = 0;
    for (QStringList& cell : cells) {
        cell.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
        longest = std::max(longest, cell.size());
    }
    if (longest > kMaxDataCellLines) {
        if (!AppendLabelledEntry(cells, out))
            for (const QStringList& cell : cells)
                *out << cell;
        return;
    }
    QStringList row;
    for (const QStringList& cell : cells)
        row << cell.join(u' ').replace(u'\t', u' ');
    while (!row.isEmpty() && row.last().trimmed().isEmpty())
        row.removeLast();
    *out << row.join(u'\t');
}

namespace {

bool IsLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' || c == 0x2028 || c == 0x2029 ||
           c == 0x85;
}

// Characters that carry no text of their own: controls, BOMs, zero-width and soft marks.
bool IsDropped(char16_t c) {
    if (c == u'\t')
        return false;
    if (c < 0x20 || (c >= 0x7f && c < 0xa0))
        return true;
    return c == 0xfeff || c == 0x00ad || c == 0x200b || c == 0xfffe || c == 0xffff ||
           (c >= 0xfff9 && c <= 0xfffb);
}

bool IsSpaceLike(char16_t c) {
    return c == u' ' || c == 0x00a0 || c == 0x2007 || c == 0x202f || (c >= 0x2000 && c <= 0x200a) ||
           c == 0x3000;
}

QString TrimLine(const QString& line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin] == u' ')
        ++begin;
    while (end > begin && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    return line.mid(begin, end - begin);
}

} // namespace

QString TidyText(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        if (IsLineBreak(c))
            clean += u'\n';
        else if (IsSpaceLike(c))
            clean += u' ';
        else if (!IsDropped(c))
            clean += QChar(c);
    }
    QStringList out;
    bool lastBlank = true;
    for (const QString& raw : clean.split(u'\n')) {
        const QString line = TrimLine(raw);
        const bool blank = line.trimmed().isEmpty();
        if (blank && lastBlank)
            continue;
        out << (blank ? QString() : line);
        lastBlank = blank;
    }
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out.join(u'\n');
}

} // namespace zorv::rp::convert
