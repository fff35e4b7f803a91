// Section headings and line cleaning for the resume parser.
#include "Sections.h"

#include "LayoutSignals.h"
#include "ResumeDates.h"
#include "XmlText.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace zorv::rp {

using input::XmlSafeText;

namespace {

// A heading is short; a longer line is content even when it starts like one.
constexpr qsizetype kMaxHeadingChars = 80;
// A joined heading ("Honors and Awards") is short; a longer line joins more than headings.
constexpr qsizetype kMaxJoinedHeadingWords = 6;

const QString kBullets = QStringLiteral("•·▪◦●○■□◆◇♦►▸➢✓✔*-–—>");

// "E X P E R I E N C E" -> "EXPERIENCE"
QString Unspaced(const QString& line) {
    static const QRegularExpression spaced(QStringLiteral("^(?:\\p{L} ){3,}\\p{L}$"));
    if (spaced.match(line).hasMatch())
        return QString(line).remove(QLatin1Char(' '));
    return line;
}

QString CleanHeading(QString text) {
    static const QRegularExpression decoration(
        QStringLiteral("^[\\s#=_*~\\-–—•|:./>]+|[\\s#=_*~\\-–—•|:./<]+$"));
    // "1. Education", "II) Skills", and LaTeX's "2<tab>Experience" and "6.1 Projects".
    static const QRegularExpression numbering(
        QStringLiteral("^(?:\\d{1,2}(?:\\.\\d{1,2})*[.)]?|[IVX]{1,4}[.)])\\s+"));
    text = text.trimmed();
    text.remove(numbering);
    text.remove(decoration);
    return Unspaced(text.trimmed());
}

// "EXPERIENCE – FABRIKAM GMBH": a heading in capitals with the section's first line after a
// dash. Capitals only: "Projects - an internal tool" inside a job is the job's text.
QString HeadingBeforeDash(const QString& line, const WordLists& lists, QString* rest) {
    static const QRegularExpression dash(QStringLiteral("\\s+[-–—]\\s+"));
    const QString plain = QString(line).replace(QLatin1Char('\t'), QLatin1Char(' ')).trimmed();
    const QRegularExpressionMatch m = dash.match(plain);
    if (!m.hasMatch())
        return {};
    const QString head = plain.left(m.capturedStart()).trimmed();
    const QString after = plain.mid(m.capturedEnd()).trimmed();
    if (after.isEmpty() || !InCapitals(head))
        return {};
    const auto it = lists.headingKind.constFind(Fold(CleanHeading(head)));
    if (it == lists.headingKind.constEnd())
        return {};
    if (rest)
        *rest = after;
    return *it;
}

// "Heading and Other" and "Heading / Other" (folded): the kind of the first one that is known.
QString JoinedHeadingKind(const QString& folded, const WordLists& lists) {
    static const QRegularExpression joiner(QStringLiteral("\\s*(?:&|/| and | et | und | y )\\s*"));
    const QStringList halves = folded.split(joiner);
    if (halves.size() == 2 && folded.split(QLatin1Char(' ')).size() <= kMaxJoinedHeadingWords) {
        for (const QString& h : halves)
            if (auto it = lists.headingKind.constFind(h); it != lists.headingKind.constEnd())
                return *it;
    }
    return {};
}

} // namespace

QStringList TextLines(const QString& content) {
    QString text = content;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar(0x2028), QLatin1Char('\n'));
    text.replace(QChar(0x0C), QLatin1Char('\n'));
    // Controls and byte order marks stand between words: a space keeps the words apart.
    for (QChar& c : text)
        if (c == QChar(0xA0) || c == QChar(0xFEFF) ||
            (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n')))
            c = QLatin1Char(' ');
    QStringList lines;
    for (QString line : XmlSafeText(text).split(QLatin1Char('\n'))) {
        // Tabs separate cells; keep them, but not at the ends.
        while (line.startsWith(QLatin1Char('\t')) || line.startsWith(QLatin1Char(' ')))
            line.remove(0, 1);
        while (line.endsWith(QLatin1Char('\t')) || line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

QString HeadingKind(const QString& line, const WordLists& lists, QString* rest) {
    if (rest)
        rest->clear();
    // "Experience<tab>Acme Corp<tab>2019 - 2021": a heading in the left column of a table.
    if (const qsizetype tab = line.indexOf(QLatin1Char('\t')); tab > 0) {
        const QString head = Fold(CleanHeading(line.left(tab)));
        auto it = lists.headingKind.constFind(head);
        // "Honors and Fellowships<tab>...": a joined heading in the left column too.
        const QString kind =
            it != lists.headingKind.constEnd() ? *it : JoinedHeadingKind(head, lists);
        if (!kind.isEmpty()) {
            if (rest)
                *rest = line.mid(tab + 1).trimmed();
            return kind;
        }
    }
    if (line.size() > kMaxHeadingChars)
        return {};
    const QString whole = Fold(CleanHeading(QString(line).replace(QLatin1Char('\t'), ' ')));
    if (auto it = lists.headingKind.constFind(whole); it != lists.headingKind.constEnd())
        return *it;
    if (QString kind = HeadingBeforeDash(line, lists, rest); !kind.isEmpty())
        return kind;
    if (QString kind = JoinedHeadingKind(whole, lists); !kind.isEmpty())
        return kind;
    // "Teaching Experience", "Languages Known": a short heading-like line that starts or ends
    // with a known heading.
    {
        const QString cleaned = CleanHeading(QString(line).replace(QLatin1Char('\t'), ' '));
        const QStringList words = whole.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool headingLike = words.size() >= 2 && words.size() <= 3 && !cleaned.contains(',');
        for (QChar c : cleaned)
            headingLike = headingLike && !c.isDigit();
        bool titleCase = true;
        for (const QString& w : cleaned.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            titleCase = titleCase && (w[0].isUpper() || w.size() <= 3);
        const bool styled =
            cleaned == cleaned.toUpper() || line.trimmed().endsWith(':') || titleCase;
        if (headingLike && styled) {
            for (int n = 2; n >= 1; --n) {
                if (words.size() <= n)
                    continue;
                const QString tail = words.mid(words.size() - n).join(' ');
                const QString head = words.mid(0, n).join(' ');
                // "Teaching Fellow", "CTO Fabrikam Technologies": a job title, not a heading.
                const bool titleBeforeTail = lists.titles.Matches(words.mid(0, words.size() - n));
                const bool titleAfterHead = lists.titles.Matches(words.mid(n));
                if (auto it = lists.headingKind.constFind(tail);
                    it != lists.headingKind.constEnd() && !titleBeforeTail)
                    return *it;
                if (auto it = lists.headingKind.constFind(head);
                    it != lists.headingKind.constEnd() && !titleAfterHead)
                    return *it;
            }
        }
    }
    // "Skills: C++, Qt" - a heading with its first content on the same line.
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon > 0 && colon < 40) {
        const QString head = Fold(CleanHeading(line.left(colon)));
        if (head.split(QLatin1Char(' ')).size() <= 4) {
            if (auto it = lists.headingKind.constFind(head); it != lists.headingKind.constEnd()) {
                if (rest)
                    *rest = line.mid(colon + 1).trimmed();
                return *it;
            }
        }
    }
    return {};
}

namespace {

// How the document sets the headings it has shown so far, to tell its headings from a heading
// word inside an entry ("Projects" under a job, "Skills used" in a course).
struct HeadingHabits {
    int inCapitals = 0;
    int otherwise = 0;
    HeadingLines layout;
    QString marker; // "///" or "==" written before the document's headings

    void Accepted(const QString& line) {
        const QString text = CleanHeading(line);
        ++(text == text.toUpper() ? inCapitals : otherwise);
        marker = HeadingMarker(line);
    }
    // "/// Outbreak responses" after "/// Positions": a heading the vocabulary does not know,
    // set with the marker of the document's headings.
    bool MarkedLikeHeadings(const QString& line) const {
        constexpr qsizetype kMaxMarkedHeadingWords = 6;
        return !marker.isEmpty() && HeadingMarker(line) == marker &&
               line.size() <= kMaxHeadingChars &&
               CleanHeading(line).split(QLatin1Char(' ')).size() <= kMaxMarkedHeadingWords;
    }
    // A run of one punctuation mark, two or more long, and a space before the heading's words.
    // Not "##": markdown sets an entry's name with the marker of a section's heading too.
    static QString HeadingMarker(const QString& line) {
        static const QRegularExpression marker(QStringLiteral("^([=/*~>+])\\1+(?= \\p{L})"));
        const auto m = marker.match(line);
        return m.hasMatch() ? m.captured() : QString();
    }
    // Two or more headings all in capitals, or a layout that sets this line as body text.
    bool Unlike(const QString& line) const {
        constexpr int kMinHeadingsForHabit = 2;
        const QString text = CleanHeading(line);
        const bool capsHabit = inCapitals >= kMinHeadingsForHabit && otherwise == 0;
        return (capsHabit && text != text.toUpper()) || layout.body.contains(line);
    }
};

// "Key achievements:" inside a job, or "CEO FABRIKAM TECHNOLOGIES" under its dates: a label or
// a name of the entry, not a heading of its own. Only a heading written out in full and set
// like the document's other headings ends an experience or education section there.
bool IsPartOfEntry(const QString& line, const QString& previous, const QString& kind,
                   const QString& rest, const QString& sectionKind, const WordLists& lists,
                   const HeadingHabits& habits) {
    const bool inHistory =
        sectionKind == QLatin1String("experience") || sectionKind == QLatin1String("education");
    if (!inHistory || kind == sectionKind || !rest.isEmpty())
        return false;
    if (habits.Unlike(line))
        return true;
    if (lists.headingKind.contains(Fold(CleanHeading(line))) || habits.MarkedLikeHeadings(line))
        return false;
    return line.trimmed().endsWith(QLatin1Char(':')) || FindDateRange(previous).position >= 0;
}

// A heading that a narrow column wrapped ("WORK" over "EXPERIENCE", "EXPERIÊNCIA PROFISSIO-"
// over "NAL"): the joined line when it is a known heading and the first line alone is not.
QString HeadingOverTwoLines(const QString& first, const QString& second, const WordLists& lists) {
    constexpr qsizetype kMaxPartChars = 40;
    if (first.size() > kMaxPartChars || second.size() > kMaxPartChars ||
        lists.headingKind.contains(Fold(CleanHeading(first))))
        return {};
    static const QRegularExpression hyphenEnd(QStringLiteral("\\p{L}[-‐]$"));
    const QString joined = hyphenEnd.match(first).hasMatch() ? first.chopped(1) + second
                                                             : first + QLatin1Char(' ') + second;
    if (!lists.headingKind.contains(Fold(CleanHeading(joined))))
        return {};
    return joined;
}

} // namespace

std::vector<Section> SplitSections(const QStringList& lines, const WordLists& lists,
                                   const DocumentLayout* layout) {
    HeadingHabits habits;
    if (layout)
        habits.layout = HeadingLinesByStyle(*layout, lists);
    std::vector<Section> sections(1);
    sections.front().kind = QStringLiteral("header");
    bool skillsUnderOwnHeading = false;
    QString previous;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (i + 1 < lines.size()) {
            if (QString joined = HeadingOverTwoLines(line, lines[i + 1], lists);
                !joined.isEmpty()) {
                line = joined;
                ++i;
            }
        }
        const QString before = std::exchange(previous, line);
        QString rest;
        QString kind = HeadingKind(line, lists, &rest);
        if (kind.isEmpty() &&
            (habits.layout.unknown.contains(line) || habits.MarkedLikeHeadings(line)))
            kind = QStringLiteral("other");
        // "Languages: Python, SQL" inside a skills section is a group of skills.
        const bool skillGroup = !rest.isEmpty() && skillsUnderOwnHeading &&
                                sections.back().kind == QLatin1String("skills");
        if (!kind.isEmpty() && !skillGroup &&
            !IsPartOfEntry(line, before, kind, rest, sections.back().kind, lists, habits)) {
            skillsUnderOwnHeading = kind == QLatin1String("skills") && rest.isEmpty();
            if (rest.isEmpty())
                habits.Accepted(line);
            Section s;
            s.kind = kind;
            s.heading = line;
            if (!rest.isEmpty())
                s.lines << rest;
            sections.push_back(std::move(s));
            continue;
        }
        sections.back().lines << line;
    }
    return sections;
}

bool IsBulletLine(const QString& line) {
    if (line.isEmpty())
        return false;
    if (!kBullets.contains(line[0]))
        return false;
    // "-" and "*" only count as bullets when a space follows.
    if ((line[0] == QLatin1Char('-') || line[0] == QLatin1Char('*')) &&
        (line.size() < 2 || !line[1].isSpace()))
        return false;
    return true;
}

QString StripBullet(const QString& line) {
    static const QRegularExpression numbering(QStringLiteral("^\\d{1,2}[.)]\\s+(?=\\D)"));
    QString out = line;
    while (IsBulletLine(out))
        out = out.mid(1).trimmed();
    out.remove(numbering);
    return out;
}

QStringList LineChunks(const QString& line) {
    static const QRegularExpression separators(
        QStringLiteral("\\s*(?:\\t+|\\s\\|\\s|\\|| [•·▪◆♦●] |\\s{3,})\\s*"));
    QStringList out;
    for (const QString& c : line.split(separators)) {
        const QString t = c.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

} // namespace zorv::rp
