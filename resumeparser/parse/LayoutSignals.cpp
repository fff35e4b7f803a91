// Name and links from the layout of a converted resume.
#include "LayoutSignals.h"

#include "ContactParser.h"
#include "Sections.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace zorv::rp {

namespace {

// The name's type is clearly larger than the body text's.
constexpr double kNameSizeRatio = 1.15;
// The name stands in the upper part of the first page: this share of its text lines.
constexpr double kTopShare = 0.4;

// The size most of the text is set in, counted in characters.
double BodySize(const DocumentLayout& layout) {
    QHash<int, qsizetype> chars;
    for (const LayoutLine& line : layout.lines)
        if (line.fontSize > 0)
            chars[qRound(line.fontSize * 2)] += line.text.size();
    int best = 0;
    qsizetype bestChars = 0;
    for (auto it = chars.cbegin(); it != chars.cend(); ++it)
        if (it.value() > bestChars) {
            bestChars = it.value();
            best = it.key();
        }
    return best / 2.0;
}

// A name in small letters ("jane doe") set as the page's title is still the name.
PersonNameParts NameOfText(const QString& text, const WordLists& lists) {
    PersonNameParts n = ParsePersonName(text, lists);
    if (n.IsEmpty() && text == text.toLower()) {
        QString titled = text;
        for (qsizetype i = 0; i < titled.size(); ++i)
            if (titled[i].isLetter() && (i == 0 || !titled[i - 1].isLetter()))
                titled[i] = titled[i].toUpper();
        n = ParsePersonName(titled, lists);
    }
    return n;
}

// A line of several chunks ("PERSONAL INFORMATION<tab>Jane Doe") is read chunk by chunk.
PersonNameParts NameOfLine(const QString& text, const WordLists& lists) {
    const QStringList chunks = LineChunks(text);
    // "1 Personal data", "2. Experience": a numbered heading is no name.
    static const QRegularExpression numbered(QStringLiteral("^\\d{1,2}\\.?(?:\\s|$)"));
    if (numbered.match(text).hasMatch())
        return {};
    if (chunks.size() <= 1)
        return NameOfText(text, lists);
    for (const QString& chunk : chunks)
        if (PersonNameParts n = NameOfText(chunk, lists); !n.IsEmpty())
            return n;
    return {};
}

// The next line may continue a name set over two lines: same size, right below, no heading.
bool ContinuesName(const LayoutLine& line, const LayoutLine& next, const WordLists& lists) {
    constexpr double kSameSize = 0.5;
    constexpr double kMaxGapInLines = 2.0;
    return qAbs(next.fontSize - line.fontSize) <= kSameSize && next.page == line.page &&
           next.top - line.top <= kMaxGapInLines * line.fontSize &&
           !lists.headingKind.contains(Fold(LineChunks(next.text).value(0)));
}

// The line with the next one when they continue each other ("MAURO" over "BENDER"),
// else the line alone.
PersonNameParts NameAt(const std::vector<const LayoutLine*>& lines, size_t i,
                       const WordLists& lists) {
    if (i + 1 < lines.size() && ContinuesName(*lines[i], *lines[i + 1], lists) &&
        LineChunks(lines[i]->text).size() == 1) {
        // The next line's first piece: a sidebar may stand beside the name's second line.
        PersonNameParts n = NameOfText(
            lines[i]->text + QLatin1Char(' ') + LineChunks(lines[i + 1]->text).value(0), lists);
        if (!n.IsEmpty())
            return n;
    }
    return NameOfLine(lines[i]->text, lists);
}

// How a heading is set: size in half points, weight, capitals.
struct HeadingStyle {
    int halfPoints = 0;
    bool bold = false;
    bool caps = false;
    friend bool operator==(const HeadingStyle&, const HeadingStyle&) = default;
};

HeadingStyle StyleOf(const LayoutLine& line) {
    return {qRound(line.fontSize * 2), line.bold, InCapitals(line.text)};
}

// Short, no digits, no sentence or list punctuation: the shape of a heading, not of an entry.
bool HeadingShaped(const QString& text) {
    constexpr qsizetype kMaxHeadingWords = 4;
    constexpr qsizetype kMinHeadingLetters = 3;
    static const QRegularExpression notInHeadings(QStringLiteral("[\\d@,;.()|\\t]"));
    qsizetype letters = 0;
    for (QChar c : text)
        letters += c.isLetter();
    return letters >= kMinHeadingLetters && !text.contains(notInHeadings) &&
           text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() <= kMaxHeadingWords;
}

} // namespace

bool InCapitals(const QString& text) {
    return text == text.toUpper() && text != text.toLower();
}

HeadingLines HeadingLinesByStyle(const DocumentLayout& layout, const WordLists& lists) {
    // Two known headings agreeing on a style make it the document's heading style.
    constexpr int kMinKnownHeadings = 2;
    // Headings set in the body's size look like bold job titles: not enough evidence.
    constexpr double kHeadingSizeRatio = 1.1;
    const double body = BodySize(layout);
    HeadingLines out;
    if (body <= 0)
        return out;
    size_t first = layout.lines.size();
    std::vector<std::pair<HeadingStyle, int>> votes; // style -> known headings set in it
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        const LayoutLine& line = layout.lines[i];
        QString rest;
        if (line.fontSize < body * kHeadingSizeRatio ||
            HeadingKind(line.text, lists, &rest).isEmpty() || !rest.isEmpty())
            continue;
        first = std::min(first, i);
        const HeadingStyle style = StyleOf(line);
        const auto it = std::find_if(votes.begin(), votes.end(),
                                     [&](const auto& v) { return v.first == style; });
        if (it == votes.end())
            votes.emplace_back(style, 1);
        else
            ++it->second;
    }
    const auto best =
        std::max_element(votes.begin(), votes.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (best == votes.end() || best->second < kMinKnownHeadings)
        return out;
    const HeadingStyle style = best->first;
    HeadingStyle previous = StyleOf(layout.lines[first]);
    for (size_t i = first + 1; i < layout.lines.size(); ++i) {
        const LayoutLine& line = layout.lines[i];
        const QString text = line.text.trimmed();
        const HeadingStyle current = StyleOf(line);
        // The second line of a heading set over two ("EXPERIÊNCIA PROFISSIO-" / "NAL") is
        // part of the heading above it.
        const bool continuesHeading = previous == style;
        previous = current;
        // Body text: the body's size, regular, not in capitals.
        if (line.fontSize < body * kHeadingSizeRatio && !line.bold && !current.caps)
            out.body.insert(text);
        else if (current == style && !continuesHeading && HeadingShaped(text) &&
                 HeadingKind(text, lists).isEmpty())
            out.unknown.insert(text);
    }
    return out;
}

PersonNameParts NameByLayout(const DocumentLayout& layout, const WordLists& lists) {
    const double body = BodySize(layout);
    if (body <= 0)
        return {};
    std::vector<const LayoutLine*> firstPage;
    for (const LayoutLine& line : layout.lines)
        if (line.page == 0 && !line.text.trimmed().isEmpty())
            firstPage.push_back(&line);
    if (firstPage.empty())
        return {};
    std::stable_sort(firstPage.begin(), firstPage.end(),
                     [](const LayoutLine* a, const LayoutLine* b) { return a->top < b->top; });
    const size_t topLines = std::max<size_t>(1, size_t(firstPage.size() * kTopShare));
    // Largest first; the higher line first among equals.
    std::vector<size_t> order;
    for (size_t i = 0; i < topLines; ++i)
        if (firstPage[i]->fontSize >= body * kNameSizeRatio)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return firstPage[a]->fontSize > firstPage[b]->fontSize;
    });
    for (size_t i : order) {
        PersonNameParts n = NameAt(firstPage, i, lists);
        if (!n.IsEmpty())
            return n;
    }
    return {};
}

QStringList MailtoAddresses(const DocumentLayout& layout) {
    QStringList out;
    for (const LayoutLine& line : layout.lines)
        for (const QString& link : line.links) {
            if (!link.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive))
                continue;
            const QString address =
                QUrl::fromPercentEncoding(link.mid(7).section(u'?', 0, 0).toUtf8()).trimmed();
            if (address.contains(QLatin1Char('@')) && !out.contains(address, Qt::CaseInsensitive))
                out << address;
        }
    return out;
}

QStringList WebLinks(const DocumentLayout& layout) {
    QStringList out;
    for (const LayoutLine& line : layout.lines)
        for (const QString& link : line.links)
            if ((link.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
                 link.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive)) &&
                !out.contains(link, Qt::CaseInsensitive))
                out << link;
    return out;
}

} // namespace zorv::rp
