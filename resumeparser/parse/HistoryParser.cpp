// Positions of an experience section. Positions are anchored on the lines that carry a date
// range; the short lines next to them give employer and title.
#include "HistoryParser.h"

#include "EntryFragments.h"
#include "Sections.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace zorv::rp {

namespace {

// A dated line this short heads an entry even when it reads like a sentence.
constexpr qsizetype kShortDatedLine = 90;
// Cells of a dated table row: its dates and at least two names.
constexpr qsizetype kMinTableCells = 3;
// Cells of a table's heading row that are column labels ("Company", "Period", "Role").
constexpr qsizetype kMinLabelCells = 2;
// Lines above a date line that can name its entry.
constexpr int kMaxLinesAbove = 2;
// A title line under the dates has at most these words.
constexpr qsizetype kMaxTitleWords = 8;
// "Employer, title. Description..." on one line: the first sentence at most this long (an
// employer and a title of the longest kind).
constexpr qsizetype kMaxFirstSentence = 2 * kMaxNameChars;
// Description lines searched for "Position: ..." labels, and the slot line they get.
constexpr qsizetype kLabelledLinesLookahead = 3;
constexpr int kLabelledLine = 100;
// A labelled value beats any score from words; a note in parentheses loses to most.
constexpr int kLabelledScore = 50;
constexpr int kNotePenalty = 4;

// Where a fragment stands in a position's heading: the line (0 the date line, -1 the one
// before, 1 the one after ...) and its order among the line's candidates.
struct Slot {
    int line = 0;
    int index = 0;
    bool operator==(const Slot&) const = default;
};

struct Candidate {
    QString text;
    Slot slot;
    int cell = 0;
    QString label;
    bool note = false;
};

struct Heading {
    std::vector<Candidate> candidates; // nearest line first
    Position position;
    bool titleByWords = false;
    Slot titleSlot, employerSlot;
    bool employerChosen = false;
    bool employerLabelled = false; // "Employer: Acme"
    bool sameEmployerAsBefore = false;
    bool byLayout = false;         // a name taken from where the other entries hold it
    std::optional<Candidate> city; // a city's name alone on its line ("Orange", "Lincoln")
};

// Light markup of text resumes shows the names it wraps: "*Developer* at
// https://acme.example[Acme]", "**Acme**", "[Acme](https://acme.example)". Rule lines under
// headings ("^^^^", "~~~~") name nothing and go.
QStringList WithoutMarkup(const QStringList& lines) {
    static const QRegularExpression rule(QStringLiteral("^([-=~^_*#+`.])\\1{2,}$"));
    static const QRegularExpression linkText(
        QStringLiteral("(?:https?://|www\\.)[^\\s\\[]*\\[([^\\]]+)\\]"));
    static const QRegularExpression mdLink(
        QStringLiteral("\\[([^\\]]+)\\]\\((?:https?://|www\\.)[^)]*\\)"));
    static const QRegularExpression emphasis(
        QStringLiteral("(^|\\s)[*_]{1,2}(?=[^\\s*_])|(?<=[^\\s*_])[*_]{1,2}(?=[\\s,.;:)]|$)"));
    QStringList out;
    for (const QString& line : lines) {
        if (rule.match(line).hasMatch())
            continue;
        if (!line.contains(QLatin1Char('*')) && !line.contains(QLatin1Char('_')) &&
            !line.contains(QLatin1Char('[')))
            out << line;
        else
            out << QString(line)
                       .replace(linkText, QStringLiteral("\\1"))
                       .replace(mdLink, QStringLiteral("\\1"))
                       .replace(emphasis, QStringLiteral("\\1"));
    }
    return out;
}

struct Anchor {
    qsizetype index;
    DateRange range;
};

// A row of a table ("Acme Ltd <tab> 3 years <tab> 2019 – 2021 <tab> Sales Officer"): many
// words in all, but short cells.
bool IsTableRow(const QString& line) {
    const QStringList cells = LineChunks(line);
    return cells.size() >= kMinTableCells &&
           std::all_of(cells.begin(), cells.end(),
                       [](const QString& c) { return c.size() <= kMaxNameChars; });
}

// The heading row of a table ("Company <tab> Period <tab> Role"): two cells or more are labels.
bool IsColumnHeadings(const QString& line, const WordLists& lists) {
    const QStringList cells = LineChunks(line);
    return std::count_if(cells.begin(), cells.end(), [&](const QString& c) {
               return lists.fieldLabel.contains(Fold(c));
           }) >= kMinLabelCells;
}

// "Acme (Acme Holdings S.A.), senior analyst": short names, one of them a title.
bool IsShortNamesWithTitle(const QString& sentence, const WordLists& lists) {
    const auto frags = Fragments(sentence, false, lists);
    return std::all_of(frags.begin(), frags.end(),
                       [](const Fragment& f) { return f.text.size() <= kMaxNameChars; }) &&
           std::any_of(frags.begin(), frags.end(),
                       [&](const Fragment& f) { return !f.note && TitleScore(f.text, lists) > 0; });
}

// "2018 – 2022: Associate Professor of Economics, Example University of Northern Studies":
// a line led by its dates and a colon heads an entry however long its names run.
bool IsDateLedHeading(const QString& line, const DateRange& r, const WordLists& lists) {
    if (r.position != 0 || r.endPosition >= 0)
        return false;
    const QString rest = line.mid(r.length).trimmed();
    return rest.startsWith(QLatin1Char(':')) && !rest.endsWith(QLatin1Char('.')) &&
           IsShortNamesWithTitle(rest.mid(1), lists);
}

std::vector<Anchor> FindAnchors(const QStringList& lines, const WordLists& lists) {
    std::vector<Anchor> anchors;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        DateRange r;
        const QString line = StripBullet(lines[i]);
        // "2021 Design Awards winner:" leads in a list; it heads no entry.
        if (line.endsWith(QLatin1Char(':')))
            continue;
        if (FindDateLine(line, &r) &&
            (!IsDescriptionLine(lines[i], lists) || line.size() < kShortDatedLine ||
             IsTableRow(line) || IsDateLedHeading(line, r, lists)))
            anchors.push_back({i, r});
    }
    return anchors;
}

// The lines of one entry: those that name it (offset from the date line, text; nearest
// first) and the range of its description.
struct EntryLines {
    std::vector<std::pair<int, QString>> heading;
    qsizetype descFrom = 0;
    qsizetype descTo = 0;
};

class EntryCutter {
public:
    EntryCutter(const QStringList& lines, const std::vector<Anchor>& anchors,
                const WordLists& lists)
        : lines_(lines), anchors_(anchors), lists_(lists) {
        // Description lines, and lines of other labelled facts ("Website: ..."), name no
        // entry; labelled title and employer lines belong to one entry.
        for (const QString& line : lines) {
            const auto frags = Fragments(StripBullet(line), false, lists);
            describes_.push_back(IsDescriptionLine(line, lists) || IsColumnHeadings(line, lists) ||
                                 std::any_of(frags.begin(), frags.end(), [](const Fragment& f) {
                                     return f.label == QLatin1String("other");
                                 }));
            labelled_.push_back(!frags.isEmpty() && !frags.front().label.isEmpty() &&
                                frags.front().label != QLatin1String("other"));
        }
        if (anchors.empty())
            return;
        for (const Anchor& an : anchors)
            anchorNames_.push_back(
                NameCount(WithoutDate(StripBullet(lines[an.index]), an.range), lists));
        // A section that opens with a bare date line names its entries under their dates; the
        // short lines above a later date line end the entry before ("Berlin, Germany").
        namesBelow_ = anchors[0].index == 0 && anchorNames_[0] == 0;
        // Where the first entry's labelled fields follow its date line, every entry's do.
        bool above = false;
        for (qsizetype i = std::max<qsizetype>(0, anchors[0].index - kMaxLinesAbove);
             i < anchors[0].index; ++i)
            above = above || Labelled(i);
        for (qsizetype i = anchors[0].index + 1; i < NextAnchor(0) && !above && !labelsBelow_; ++i)
            labelsBelow_ = Labelled(i);
    }

    EntryLines Cut(size_t a);

private:
    bool Describes(qsizetype i) const { return describes_[i]; }
    qsizetype NextAnchor(size_t a) const {
        return a + 1 < anchors_.size() ? anchors_[a + 1].index : lines_.size();
    }
    bool TitleBelow(size_t a, const QString& dateLine) const;
    bool Labelled(qsizetype i) const { return labelled_[i]; }
    qsizetype FieldCount(const QString& text) const;
    bool OpensNextEntry(size_t a, qsizetype i) const;
    bool IsOrgLine(const QString& text) const;
    bool NamesBelow(size_t a) const { return namesBelow_ && anchorNames_[a] == 0; }
    qsizetype JoinContinuation(QString& text, qsizetype i, qsizetype end) const;
    void TakeLinesBelow(size_t a, int taken, bool titleBelow, EntryLines& e) const;
    qsizetype DescriptionEnd(size_t a, qsizetype descFrom) const;

    const QStringList& lines_;
    const std::vector<Anchor>& anchors_;
    const WordLists& lists_;
    std::vector<bool> describes_;
    std::vector<bool> labelled_;
    std::vector<qsizetype> anchorNames_; // per anchor: the names its line gives beside the dates
    qsizetype consumedUpTo_ = -1;
    bool labelsBelow_ = false;
    bool namesBelow_ = false;
};

// "Employer, City <dates>" over "Title": the title stands under the date line, and the short
// line above it ends the entry before.
bool EntryCutter::TitleBelow(size_t a, const QString& dateLine) const {
    const qsizetype at = anchors_[a].index;
    if (at + 1 >= NextAnchor(a) || Describes(at + 1) || NameCount(dateLine, lists_) == 0)
        return false;
    const QString below = StripBullet(lines_[at + 1]);
    const bool shortLine =
        below.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() <= kMaxTitleWords &&
        !below.endsWith(QLatin1Char('.'));
    const QString above = at > 0 ? StripBullet(lines_[at - 1]) : QString();
    const bool aboveIsTitle =
        above.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() <= kMaxTitleWords &&
        TitleScore(above, lists_) > 0;
    return shortLine && TitleScore(below, lists_) > 0 && TitleScore(dateLine, lists_) <= 0 &&
           !aboveIsTitle;
}

void EntryCutter::TakeLinesBelow(size_t a, int taken, bool titleBelow, EntryLines& e) const {
    const qsizetype at = anchors_[a].index;
    const qsizetype nextAnchor = NextAnchor(a);
    if (titleBelow) {
        e.heading.insert(e.heading.begin() + 1, {1, StripBullet(lines_[at + 1])});
        e.descFrom = at + 2;
        return;
    }
    qsizetype named = 0;
    for (const auto& hl : e.heading)
        named += FieldCount(hl.second);
    // The line under the dates names this position unless it opens the next one, whose date
    // line follows with nothing else on it.
    const bool nextNeedsIt =
        a + 1 < anchors_.size() && nextAnchor == at + 2 && anchorNames_[a + 1] < 2;
    if (at + 1 >= nextAnchor)
        return;
    if (named >= 2) {
        // "Analyst – Risk Team  2019–2021" over "Acme Bank": the organisation on a line of its
        // own under a heading that named a department.
        if (!nextNeedsIt && !Describes(at + 1) && IsOrgLine(StripBullet(lines_[at + 1])) &&
            !OpensNextEntry(a, at + 1)) {
            e.heading.insert(e.heading.begin() + 1, {1, StripBullet(lines_[at + 1])});
            e.descFrom = at + 2;
        }
        return;
    }
    if (Describes(at + 1)) {
        // "Acme Corp, developer. Built the ..." under a bare date line: its first sentence.
        const QString below = StripBullet(lines_[at + 1]);
        const qsizetype stop = below.indexOf(QStringLiteral(". "));
        if (named == 0 && taken == 0 && stop > 0 && stop <= kMaxFirstSentence &&
            below.left(stop).contains(QLatin1Char(',')) &&
            IsShortNamesWithTitle(below.left(stop), lists_))
            e.heading.insert(e.heading.begin() + 1, {1, below.left(stop)});
        return;
    }
    if (nextNeedsIt)
        return;
    const bool dateLineEmpty = anchorNames_[a] == 0;
    QString first = StripBullet(lines_[at + 1]);
    e.descFrom = dateLineEmpty ? JoinContinuation(first, at + 2, nextAnchor) : at + 2;
    e.heading.insert(e.heading.begin() + 1, {1, first});
    // A second line in prose starts the description, unless an organisation names itself so.
    const auto names = [&](const QString& line) {
        return !IsProse(line) || OrgScore(line, lists_, false) > 0;
    };
    if (dateLineEmpty && taken == 0 && e.descFrom < nextAnchor && !Describes(e.descFrom) &&
        names(StripBullet(lines_[e.descFrom]))) {
        QString second = StripBullet(lines_[e.descFrom]);
        e.descFrom = JoinContinuation(second, e.descFrom + 1, nextAnchor);
        e.heading.insert(e.heading.begin() + 2, {2, second});
    }
}

// "Bachelor thesis in data analytics / and condition monitoring": a name wrapped onto the next
// line, which starts in lower case, is one name. Returns the line after what was taken.
qsizetype EntryCutter::JoinContinuation(QString& text, qsizetype i, qsizetype end) const {
    static const QRegularExpression closed(QStringLiteral("[.,;:)]$"));
    if (i >= end || Describes(i) || closed.match(text).hasMatch())
        return i;
    const QString next = StripBullet(lines_[i]);
    if (next.isEmpty() || !next[0].isLower() || text.size() + next.size() >= kMaxNameChars)
        return i;
    text += QLatin1Char(' ') + next;
    return i + 1;
}

// Line i, under entry a's dates, opens the next entry when only heading lines follow it up to
// the next date line and that date line names too little by itself.
bool EntryCutter::OpensNextEntry(size_t a, qsizetype i) const {
    if (a + 1 >= anchors_.size())
        return false;
    const qsizetype next = anchors_[a + 1].index;
    for (qsizetype j = i + 1; j < next; ++j)
        if (Describes(j))
            return false;
    return anchorNames_[a + 1] < 2;
}

// The names a heading line gives; a labelled line ("Employer: Acme - ACM") gives one.
qsizetype EntryCutter::FieldCount(const QString& text) const {
    const auto frags = Fragments(text, false, lists_);
    if (!frags.isEmpty() && !frags.front().label.isEmpty())
        return 1;
    return NameCount(frags);
}

// A line that names one organisation and nothing else but its place.
bool EntryCutter::IsOrgLine(const QString& text) const {
    const auto frags = Fragments(text, false, lists_);
    qsizetype names = 0;
    bool org = false;
    for (const Fragment& f : frags) {
        if (f.note || IsLocation(f.text, lists_))
            continue;
        ++names;
        org = OrgScore(f.text, lists_, false) > 0 && TitleScore(f.text, lists_) <= 0;
    }
    return names == 1 && org;
}

// The description ends where the next entry's heading lines start.
qsizetype EntryCutter::DescriptionEnd(size_t a, qsizetype descFrom) const {
    const qsizetype nextAnchor = NextAnchor(a);
    if (a + 1 >= anchors_.size() || NamesBelow(a + 1))
        return nextAnchor;
    qsizetype back = nextAnchor - 1;
    int n = 0;
    while (back >= descFrom && n < kMaxLinesAbove && !Describes(back) &&
           !(labelsBelow_ && Labelled(back))) {
        --back;
        ++n;
    }
    return back + 1;
}

EntryLines EntryCutter::Cut(size_t a) {
    const qsizetype at = anchors_[a].index;
    EntryLines e;
    const QString dateLine = StripBullet(WithoutDate(StripBullet(lines_[at]), anchors_[a].range));
    e.heading.push_back({0, dateLine});
    int taken = 0;
    const bool titleBelow = TitleBelow(a, dateLine);
    if (!titleBelow && !NamesBelow(a)) {
        for (qsizetype before = at - 1; before > consumedUpTo_ && taken < kMaxLinesAbove &&
                                        !Describes(before) && !(labelsBelow_ && Labelled(before));
             --before)
            e.heading.push_back({-1 - taken++, StripBullet(lines_[before])});
    }
    e.descFrom = at + 1;
    TakeLinesBelow(a, taken, titleBelow, e);
    e.descTo = DescriptionEnd(a, e.descFrom);
    consumedUpTo_ = std::max(e.descTo - 1, e.descFrom - 1);
    return e;
}

// "Boston, MA": a place before a region or country is a place.
bool IsPlaceBeforeRegion(const QList<Fragment>& frags, qsizetype k, const WordLists& lists) {
    if (k + 1 >= frags.size() || frags[k + 1].cell != frags[k].cell)
        return false;
    const QString& f = frags[k].text;
    const QString& next = frags[k + 1].text;
    return IsRegionOrCountry(next, lists) &&
           (lists.countryByCity.contains(Fold(f)) || lists.regionByAbbr.contains(next.trimmed()) ||
            lists.countryByName.contains(Fold(next))) &&
           OrgScore(f, lists, false) <= 0 && TitleScore(f, lists) <= 0;
}

void AddCandidates(Heading& h, int offset, const QString& text, const WordLists& lists) {
    const auto frags = Fragments(text, false, lists);
    int index = 0;
    for (qsizetype k = 0; k < frags.size(); ++k) {
        const QString& f = frags[k].text;
        // "Lyon, France." ends its line with a full stop.
        const QString plain = f.endsWith(QLatin1Char('.')) ? f.chopped(1) : f;
        if (IsLocation(plain, lists) || IsPlaceBeforeRegion(frags, k, lists)) {
            if (h.position.location.isEmpty())
                h.position.location = f;
            if (frags.size() == 1 && !IsRegionOrCountry(plain, lists))
                h.city = Candidate{f, {offset, index}, frags[k].cell, frags[k].label, false};
            continue;
        }
        // "Acme, Inc." was cut at its comma.
        if (!h.candidates.empty() && k > 0 && WordsOf(Fold(f)).size() == 1 &&
            HasWord(f, lists.orgWords) && h.candidates.back().slot.line == offset) {
            h.candidates.back().text += QStringLiteral(", ") + f;
            continue;
        }
        if (IsNoName(f) || (IsProse(f) && TitleScore(f, lists) <= 0) ||
            lists.fieldLabel.value(Fold(f)) == QLatin1String("terms"))
            continue;
        h.candidates.push_back(
            {f, {offset, index++}, frags[k].cell, frags[k].label, frags[k].note});
    }
}

// "Position: QA Lead" in the first lines of the description names the title outright.
void TakeLabelledLines(Heading& h, const QStringList& lines, const EntryLines& e,
                       const WordLists& lists) {
    const qsizetype to = std::min(e.descTo, e.descFrom + kLabelledLinesLookahead);
    for (qsizetype i = e.descFrom; i < to; ++i) {
        for (const Fragment& f : Fragments(StripBullet(lines[i]), false, lists)) {
            if (f.label == QLatin1String("title") || f.label == QLatin1String("employer"))
                h.candidates.push_back({f.text, {kLabelledLine, 0}, f.cell, f.label, false});
        }
    }
}

// The title: a labelled one, else the best title-like candidate, nearest first.
void ChooseTitle(Heading& h, const WordLists& lists) {
    int best = 0;
    for (const Candidate& c : h.candidates) {
        const int s = c.label == QLatin1String("title")                ? kLabelledScore
                      : c.note || c.label == QLatin1String("employer") ? 0
                                                                       : TitleScore(c.text, lists);
        if (s > best) {
            best = s;
            h.position.title = c.text;
            h.titleSlot = c.slot;
            h.titleByWords = true;
        }
    }
}

// "MANAGING PARTNER NORTHWIND CAPITAL": a title and an employer run together in one name. The
// title ends with its last title word; the rest, in capitals, is the employer.
void SplitRunTogether(Heading& h, const WordLists& lists) {
    if (h.candidates.size() != 1 || !h.candidates.front().label.isEmpty() || h.city)
        return;
    const Candidate only = h.candidates.front();
    const QStringList words = only.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    qsizetype last = -1;
    for (qsizetype i = 0; i < words.size() && i < kMaxTitleWords; ++i)
        if (lists.titles.Matches(WordsOf(Fold(words[i]))))
            last = i;
    if (last < 0 || last + 1 >= words.size())
        return;
    const QString rest = words.mid(last + 1).join(QLatin1Char(' '));
    if (!rest[0].isUpper() || TitleScore(rest, lists) > 0 ||
        (!IsUpperText(only.text) && !IsUpperText(words[last + 1])))
        return;
    h.candidates = {
        {words.mid(0, last + 1).join(QLatin1Char(' ')), only.slot, only.cell, {}, false},
        {rest, {only.slot.line, only.slot.index + 1}, only.cell, {}, false}};
}

Heading BuildHeading(const QStringList& lines, const Anchor& anchor, const EntryLines& e,
                     const WordLists& lists) {
    Heading h;
    h.position.start = anchor.range.start;
    h.position.end = anchor.range.end;
    for (const auto& [offset, text] : e.heading)
        AddCandidates(h, offset, text, lists);
    SplitRunTogether(h, lists);
    TakeLabelledLines(h, lines, e, lists);
    ChooseTitle(h, lists);
    h.position.description = lines.mid(e.descFrom, e.descTo - e.descFrom).join(QLatin1Char('\n'));
    return h;
}

// The employer: a labelled one, else the most organisation-like candidate that is not the
// title; notes in parentheses only when nothing else is left.
void ChooseEmployer(Heading& h, const WordLists& lists, bool allCaps) {
    int bestScore = -100;
    int bestCell = -1;
    int titleCell = -1;
    for (const Candidate& c : h.candidates)
        if (c.slot == h.titleSlot && !h.position.title.isEmpty())
            titleCell = c.cell;
    for (const Candidate& c : h.candidates) {
        if ((c.slot == h.titleSlot && !h.position.title.isEmpty()) || c.text.size() > kMaxNameChars)
            continue;
        int s = OrgScore(c.text, lists, !allCaps);
        if (c.label == QLatin1String("employer"))
            s = kLabelledScore;
        else if (c.label == QLatin1String("title") || c.slot.line == kLabelledLine)
            continue;
        if (c.note)
            s -= kNotePenalty;
        // "Logistics Manager — DHL Supply Chain" over the place beside the dates on the next
        // line: between equals, the one paired with the title wins.
        const bool pairedWithTitle = s == bestScore && !h.position.title.isEmpty() &&
                                     c.slot.line == h.titleSlot.line && h.employerSlot.line == 0 &&
                                     h.titleSlot.line != 0;
        // "Director, CSM at Acme": between equals, a name after "at" (another cell) beats a
        // piece of the title's own cell.
        const bool outsideTitleCell = s == bestScore && titleCell >= 0 &&
                                      c.slot.line == h.titleSlot.line && c.cell != titleCell &&
                                      h.employerSlot.line == c.slot.line && bestCell == titleCell;
        if (s > bestScore || pairedWithTitle || outsideTitleCell) {
            bestCell = c.cell;
            bestScore = s;
            h.position.employer = c.text;
            h.employerSlot = c.slot;
            h.employerChosen = true;
            h.employerLabelled = c.label == QLatin1String("employer");
        }
    }
}

using Layout = std::pair<Slot, Slot>; // where the title and the employer stand

// Resumes keep one layout: the places that hold title and employer where the words told
// them apart, most often.
std::optional<Layout> CommonLayout(const std::vector<Heading>& headings) {
    std::optional<Layout> bestLayout;
    std::map<std::array<int, 4>, size_t> counts;
    size_t bestCount = 0;
    for (const Heading& h : headings) {
        if (!h.titleByWords || !h.employerChosen)
            continue;
        const Layout l{h.titleSlot, h.employerSlot};
        const size_t n = ++counts[{l.first.line, l.first.index, l.second.line, l.second.index}];
        if (n > bestCount) {
            bestCount = n;
            bestLayout = l;
        }
    }
    return bestLayout;
}

// A role listed under the previous one's employer: where the layout puts the employer on a
// line of its own and this heading has none, the weak candidate beside the title is part of
// the title ("Project Manager, Payments").
void MarkRolesUnderOneEmployer(std::vector<Heading>& headings, const Layout& layout,
                               const WordLists& lists, bool allCaps) {
    if (layout.second.line == 0 || layout.second.line == layout.first.line)
        return;
    for (size_t i = 1; i < headings.size(); ++i) {
        Heading& h = headings[i];
        if (!h.titleByWords || !h.employerChosen || h.employerSlot == layout.second ||
            h.employerSlot.line != h.titleSlot.line ||
            OrgScore(h.position.employer, lists, !allCaps) > 0)
            continue;
        const bool hasEmployerLine =
            std::any_of(h.candidates.begin(), h.candidates.end(),
                        [&](const Candidate& c) { return c.slot.line != h.titleSlot.line; });
        if (!hasEmployerLine) {
            h.position.employer.clear();
            h.sameEmployerAsBefore = true;
        }
    }
}

// "Acme, Core Services, Remote" over the title: where the other entries lead their line with
// the employer, a department after it that sounds more like an organisation is not the
// employer.
void TakeLeadingEmployers(std::vector<Heading>& headings, const Layout& layout,
                          const WordLists& lists) {
    if (layout.second.index != 0 || layout.second.line == layout.first.line)
        return;
    for (Heading& h : headings) {
        if (!h.titleByWords || !h.employerChosen || h.employerLabelled ||
            h.employerSlot.line != layout.second.line || h.employerSlot.index == 0)
            continue;
        // "F(x) Labs": a note inside the line cut one name, not an employer from its department.
        const bool noteBetween =
            std::any_of(h.candidates.begin(), h.candidates.end(), [&](const Candidate& c) {
                return c.note && c.slot.line == h.employerSlot.line &&
                       c.slot.index < h.employerSlot.index;
            });
        for (const Candidate& c : h.candidates)
            if (!noteBetween && c.slot == layout.second && !c.note && c.label.isEmpty() &&
                c.text.size() <= kMaxNameChars && TitleScore(c.text, lists) <= 0) {
                h.position.employer = c.text;
                h.employerSlot = c.slot;
            }
    }
}

// Headings whose words told nothing take title and employer from the common layout.
void FillByLayout(Heading& h, const std::optional<Layout>& layout, const WordLists& lists,
                  bool allCaps) {
    if (layout) {
        for (const Candidate& c : h.candidates) {
            if (c.note)
                continue;
            if (c.slot == layout->first)
                h.position.title = c.text;
            if (c.slot == layout->second)
                h.position.employer = c.text;
        }
        // Both names where the other entries keep them; one of them alone may be a sentence.
        h.byLayout = !h.position.title.isEmpty() && !h.position.employer.isEmpty();
        if (!h.position.title.isEmpty())
            h.titleSlot = layout->first;
    }
    if (h.position.employer.isEmpty())
        ChooseEmployer(h, lists, allCaps);
    // One name and nothing that says it is an organisation: a title is likelier.
    if (h.position.title.isEmpty() && h.candidates.size() == 1 && !h.position.employer.isEmpty() &&
        OrgScore(h.position.employer, lists, false) <= 0 &&
        h.position.employer.size() <= kMaxNameChars) {
        h.position.title = h.position.employer;
        h.position.employer.clear();
        return;
    }
    for (const Candidate& c : h.candidates)
        if (h.position.title.isEmpty() && !c.note && c.text != h.position.employer &&
            c.text.size() <= kMaxNameChars)
            h.position.title = c.text;
}

// "Project Manager, Payments": what follows the title in its cell belongs to it when the
// employer stands elsewhere.
void ExtendTitle(Heading& h, const WordLists& lists) {
    for (const Candidate& c : h.candidates) {
        if (c.slot.line != h.titleSlot.line || c.slot.index != h.titleSlot.index + 1 ||
            c.text == h.position.employer || h.position.title.isEmpty() || c.note ||
            std::any_of(c.text.begin(), c.text.end(), [](QChar ch) { return ch.isDigit(); }) ||
            (h.position.employer.isEmpty() && !h.sameEmployerAsBefore) ||
            OrgScore(c.text, lists, false) > 0)
            continue;
        const auto same = std::find_if(h.candidates.begin(), h.candidates.end(),
                                       [&](const Candidate& t) { return t.slot == h.titleSlot; });
        if (same != h.candidates.end() && same->cell == c.cell)
            h.position.title += QStringLiteral(", ") + c.text;
    }
}

// A position is written only when something says it is one: a title word, an organisation
// word, a label, or the place the document's other entries keep their names in.
bool HasEvidence(const Heading& h, const WordLists& lists) {
    return h.titleByWords || h.byLayout || h.employerLabelled || h.sameEmployerAsBefore ||
           OrgScore(h.position.employer, lists, false) > 0 ||
           TitleScore(h.position.title, lists) > 0;
}

// "Stagiaire ingénieur" over "Orange <tab> 2022": a city's name alone where the other entries
// name their employer is the employer.
void TakeCityNamedEmployers(std::vector<Heading>& headings, const Layout& layout) {
    for (Heading& h : headings) {
        if (!h.city || h.city->slot != layout.second || !h.position.employer.isEmpty() ||
            h.position.title.isEmpty())
            continue;
        h.position.employer = h.city->text;
        if (h.position.location == h.city->text)
            h.position.location.clear();
    }
}

// The positions the headings name. A heading that names only a title is another role at the
// employer before when its words say it is a title, or when that employer was labelled
// ("Employer: Acme" over several dated roles).
std::vector<Position> Positions(std::vector<Heading>& headings, const WordLists& lists) {
    std::vector<Position> positions;
    bool labelledBefore = false;
    for (Heading& h : headings) {
        ExtendTitle(h, lists);
        const bool onlyTitle =
            (h.titleByWords || labelledBefore) && !h.position.title.isEmpty() &&
            std::all_of(h.candidates.begin(), h.candidates.end(),
                        [&](const Candidate& c) { return c.text == h.position.title || c.note; });
        if (h.position.employer.isEmpty() && (h.sameEmployerAsBefore || onlyTitle) &&
            !positions.empty())
            h.position.employer = positions.back().employer;
        else
            labelledBefore = h.employerLabelled;
        // Nothing that names a position: a date in the text, not an entry.
        if (h.position.title.isEmpty() && h.position.employer.isEmpty())
            continue;
        if (!HasEvidence(h, lists))
            continue;
        positions.push_back(std::move(h.position));
    }
    return positions;
}

} // namespace

std::vector<Position> ParsePositions(const QStringList& sectionLines, const WordLists& lists) {
    const QStringList lines = WithoutMarkup(sectionLines);
    const std::vector<Anchor> anchors = FindAnchors(lines, lists);
    const bool allCaps = AllCaps(lines);
    EntryCutter cutter(lines, anchors, lists);
    std::vector<Heading> headings;
    for (size_t a = 0; a < anchors.size(); ++a)
        headings.push_back(BuildHeading(lines, anchors[a], cutter.Cut(a), lists));
    for (Heading& h : headings)
        if (h.titleByWords)
            ChooseEmployer(h, lists, allCaps);
    const std::optional<Layout> layout = CommonLayout(headings);
    if (layout) {
        MarkRolesUnderOneEmployer(headings, *layout, lists, allCaps);
        TakeCityNamedEmployers(headings, *layout);
        TakeLeadingEmployers(headings, *layout, lists);
    }
    for (Heading& h : headings)
        if (!h.titleByWords)
            FillByLayout(h, layout, lists, allCaps);

    return Positions(headings, lists);
}

} // namespace zorv::rp
