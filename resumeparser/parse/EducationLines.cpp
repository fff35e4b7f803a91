// Education lines made ready for reading: markup, notes and labels taken off, sentences and
// run-together school and degree names cut into fragments.
#include "EducationLines.h"

#include "Sections.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace zorv::rp {

namespace {

// The longest line read in an education section; longer lines keep their first sentences.
constexpr qsizetype kMaxEducationLine = 160;
// What of a longer line is cleaned at all: room for link markup, and no regex runs over a
// megabyte-long line.
constexpr qsizetype kMaxRawLine = 4 * kMaxEducationLine;
// A label before ":" with at most this many words heads a note ("Advisor: ...").
constexpr qsizetype kMaxNoteLabelWords = 3;
// The longest school name; a longer fragment with a school word is a sentence about one.
constexpr qsizetype kMaxSchoolChars = 90;

// Words after which a school word is part of a field's name ("Master of School Psychology").
bool IsFieldConnector(const QString& word) {
    static const QSet<QString> connectors = {
        QStringLiteral("of"),  QStringLiteral("in"),    QStringLiteral("de"),
        QStringLiteral("en"),  QStringLiteral("em"),    QStringLiteral("di"),
        QStringLiteral("im"),  QStringLiteral("for"),   QStringLiteral("für"),
        QStringLiteral("du"),  QStringLiteral("des"),   QStringLiteral("der"),
        QStringLiteral("del"), QStringLiteral("della"), QStringLiteral("da"),
        QStringLiteral("do"),  QStringLiteral("and"),   QStringLiteral("und")};
    return connectors.contains(word.toLower());
}

// Links written as markup ("https://x.edu[X University]", "[X University](https://x.edu)")
// stand for their text.
QString WithoutLinkMarkup(const QString& line) {
    static const QRegularExpression asciiDoc(
        QStringLiteral("(?:https?://|www\\.)[^\\s\\[]*\\[([^\\]]*)\\]"));
    static const QRegularExpression markdown(
        QStringLiteral("\\[([^\\]]+)\\]\\((?:https?://|www\\.|mailto:)[^)]*\\)"));
    QString out = line;
    out.replace(asciiDoc, QStringLiteral("\\1"));
    out.replace(markdown, QStringLiteral("\\1"));
    return out;
}

// A full stop after a word of four lower-case letters or a bracket, before a capital, ends a
// sentence ("...Marine Chemistry. University of Lakeside"); abbreviations ("Dr.", "Univ.", "B.Sc.")
// keep theirs. Sentences become cells; a long line keeps the sentences that fit.
QString CleanLine(const QString& raw) {
    static const QRegularExpression sentenceEnd(
        QStringLiteral("(?:(?<=\\p{Ll}{4})|(?<=\\)))\\.\\s+(?=\\p{Lu})"),
        QRegularExpression::UseUnicodePropertiesOption);
    // "TU/L. Thesis: ..." ends a name before a labelled note as well.
    static const QRegularExpression beforeLabel(
        QStringLiteral(
            "(?<!\\.\\p{L})(?<!\\.\\p{L}{2})(?<!\\.\\p{L}{3})\\.\\s+(?=\\p{Lu}\\p{L}+:\\s)"),
        QRegularExpression::UseUnicodePropertiesOption);
    QString line = WithoutLinkMarkup(StripBullet(raw.left(kMaxRawLine)));
    line.replace(sentenceEnd, QStringLiteral("\t"));
    line.replace(beforeLabel, QStringLiteral("\t"));
    if (line.size() <= kMaxEducationLine)
        return line;
    const qsizetype cut = line.lastIndexOf(QLatin1Char('\t'), kMaxEducationLine);
    return cut > 0 ? line.left(cut) : QString();
}

// A short label before ":" at the start of a line, without digits or a date ("Advisor",
// "Secondary school", "Field of study"); empty for none.
QString LineLabel(const QString& line, QString* rest) {
    static const QRegularExpression labelled(QStringLiteral("^([^:\\t\\d]+):(?:\\s+|$)"));
    const auto m = labelled.match(line);
    if (!m.hasMatch())
        return {};
    const QString label = m.captured(1).trimmed();
    if (label.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() > kMaxNoteLabelWords ||
        FindDateRange(label).position >= 0)
        return {};
    *rest = line.mid(m.capturedEnd());
    return label;
}

// "Advisor: ...", "Courses: ...", "Thesis: ..." annotate the entry above: their label names no
// degree, school or entry field, and the rest no degree. A label that names the same kind of
// thing as the rest of the line is a heading of it ("Secondary school: Diploma, Riverside
// High School") and goes. Returns false for a note line.
bool WithoutLineLabel(QString* line, const WordLists& lists) {
    QString rest;
    const QString label = LineLabel(*line, &rest);
    if (label.isEmpty())
        return true;
    const bool degree = IsEduDegree(label, lists);
    const bool school = IsSchool(label, lists);
    bool restDegree = false;
    bool restSchool = false;
    for (const Fragment& f : Fragments(rest, true, lists)) {
        restDegree = restDegree || IsEduDegree(f.text, lists);
        restSchool = restSchool || IsSchool(f.text, lists);
    }
    // "From: 2009 <tab> X College ... To: 2012": a dated school line, not a note.
    const bool datedSchool = restSchool && FindDateRange(rest).position >= 0;
    if (!degree && !school)
        return restDegree || datedSchool || lists.fieldLabel.contains(Fold(label));
    if ((degree && restDegree) || (school && restSchool))
        *line = rest;
    return true;
}

// The last word where the rest of the words still satisfies `names`, or -1.
template <typename Pred> qsizetype LastStart(const QStringList& words, Pred names) {
    for (qsizetype i = words.size() - 1; i >= 0; --i)
        if (names(words.mid(i).join(QLatin1Char(' '))))
            return i;
    return -1;
}

// "High school diploma" is one degree: a cut between two words that a phrase of the
// degree or school list holds together is no cut.
bool InsidePhrase(const QString& left, const QString& right, const WordLists& lists) {
    const QStringList l = WordsOf(Fold(left));
    const QStringList r = WordsOf(Fold(right));
    if (l.isEmpty() || r.isEmpty())
        return false;
    const QString a = QString(l.back()).remove(QLatin1Char('.'));
    const QString b = QString(r.front()).remove(QLatin1Char('.'));
    for (const auto* set : {&lists.degrees, &lists.schools})
        for (const QStringList& p : set->phrases)
            for (qsizetype j = 0; j + 1 < p.size(); ++j)
                if (p[j] == a && p[j + 1] == b)
                    return true;
    return false;
}

// A fragment naming a school and a degree with no separator between them ("Diploma in X
// Liceo Y", "School of Design MS"): cut where the later one starts, unless that word
// is lower case, follows "of"/"in" (part of a field's name) or ends the fragment as a
// school word ("... Business School" names the school with the words before it).
QList<Fragment> SplitSchoolAndDegree(const Fragment& fragment, const WordLists& lists,
                                     QStringList* cutDegrees) {
    if (!IsSchool(fragment.text, lists) || !IsEduDegree(fragment.text, lists))
        return {fragment};
    const QStringList words = fragment.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qsizetype s = LastStart(words, [&](const QString& t) { return IsSchool(t, lists); });
    const qsizetype d = LastStart(words, [&](const QString& t) { return IsEduDegree(t, lists); });
    const bool schoolLater = s > d;
    const qsizetype at = schoolLater ? s : d;
    if (s < 0 || d < 0 || s == d || at == 0 || !words[at][0].isUpper() ||
        IsFieldConnector(words[at - 1]) || (schoolLater && at == words.size() - 1) ||
        InsidePhrase(words[at - 1], words[at], lists))
        return {fragment};
    // A school part of one word is a kind of school ("Instituto Técnico X"), not a name,
    // unless it is an abbreviation ("HEC MBA").
    if (!schoolLater && at == 1 && words[0] != words[0].toUpper())
        return {fragment};
    QStringList head = words.mid(0, at);
    // "Erasmus semester at Universidad X": the preposition before the school goes.
    while (schoolLater && head.size() > 1 && head.back().size() <= 4 &&
           head.back() == head.back().toLower())
        head.removeLast();
    Fragment first = fragment;
    Fragment second = fragment;
    first.text = head.join(QLatin1Char(' '));
    second.text = words.mid(at).join(QLatin1Char(' '));
    *cutDegrees << (schoolLater ? first.text : second.text);
    return {first, second};
}

// A table's heading row: every cell a column label ("Degree | Board/University | Year").
bool IsColumnHeadings(const QString& line, const WordLists& lists) {
    static const QRegularExpression cellBreak(QStringLiteral("\\t+|\\s{3,}|\\s*\\|\\s*"));
    static const QRegularExpression labelBreak(QStringLiteral("\\s*[/&,]\\s*"));
    const QStringList cells = line.split(cellBreak, Qt::SkipEmptyParts);
    if (cells.size() < 2)
        return false;
    for (const QString& cell : cells)
        for (const QString& label : cell.split(labelBreak, Qt::SkipEmptyParts))
            if (!lists.fieldLabel.contains(Fold(label)))
                return false;
    return true;
}

// A page's footer between two entries ("Page 1 of 2", "Seite 2/3") belongs to no entry.
bool IsPageNumber(const QString& line) {
    static const QRegularExpression page(
        QStringLiteral("^(?:page|seite|p[aá]gina|strona|sayfa|стр\\p{L}*)\\.?\\s*\\d+"
                       "(?:\\s*(?:of|/|von|de|di|z|из|van)\\s*\\d+)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return page.match(line.trimmed()).hasMatch();
}

} // namespace

// Notes on an entry: honours, grades, awards, a minor or a focus.
bool IsHonours(const QString& fragment) {
    static const QRegularExpression honours(
        QStringLiteral("^(?:summa |magna )?cum laude$|^with (?:honou?rs|distinction)$|"
                       "^(?:expected|anticipated|graduated|graduation|class of|"
                       "mention .*|gpa.*|cgpa.*|note.*|(?:major|minor|concentration|"
                       "specialization|focus|schwerpunkte?|option)\\b.*)$|"
                       "\\b(?:awards?|prizes?|premio|prix|preis|scholarship|fellow|fellowship|"
                       "bourse|beca|stipendium|dean's list|honou?rs? (?:list|roll)|thesis|"
                       "dissertation|th[eè]se|tesis|tesi|tese|\\w*arbeit)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return honours.match(fragment).hasMatch();
}

// "B. Tech", "M. S.": degree abbreviations written with spaces read as "B.Tech", "M.S.".
bool IsEduDegree(const QString& fragment, const WordLists& lists) {
    static const QRegularExpression spacedInitial(
        QStringLiteral("\\b(\\p{Lu})\\.\\s+(?=\\p{Lu}\\p{L}{0,3}\\.?(?:\\s|,|$))"),
        QRegularExpression::UseUnicodePropertiesOption);
    if (IsDegree(fragment, lists))
        return true;
    QString compact = fragment;
    compact.replace(spacedInitial, QStringLiteral("\\1."));
    return compact != fragment && IsDegree(compact, lists);
}

bool StartsWithDegree(const QString& fragment, const WordLists& lists) {
    const QStringList words = fragment.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return false;
    if (IsEduDegree(words.front(), lists) ||
        IsEduDegree(words.mid(0, 2).join(QLatin1Char(' ')), lists))
        return true;
    const QStringList first = WordsOf(Fold(words.front()));
    return !first.isEmpty() &&
           std::any_of(lists.degrees.phrases.begin(), lists.degrees.phrases.end(),
                       [&](const QStringList& p) { return p.front() == first.front(); });
}

bool IsSchool(const QString& fragment, const WordLists& lists) {
    return fragment.size() <= kMaxSchoolChars && HasWord(fragment, lists.schools);
}

// "Bachelor of Science in Nursing": the field follows "in"; else "of" ("Master of Laws").
QString MajorOf(const QString& degree) {
    static const QRegularExpression majorAfterIn(QStringLiteral("\\s(?:in|en|em|im)\\s+(.+)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression majorAfterOf(QStringLiteral("\\s(?:of|de)\\s+(.+)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    auto m = majorAfterIn.match(degree);
    if (!m.hasMatch())
        m = majorAfterOf.match(degree);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

std::optional<EducationLine> PrepareEducationLine(const QString& raw, const WordLists& lists) {
    QString text = CleanLine(raw);
    if (text.isEmpty() || IsPageNumber(text) || IsColumnHeadings(text, lists) ||
        !WithoutLineLabel(&text, lists))
        return std::nullopt;
    EducationLine line;
    line.bulleted = IsBulletLine(raw);
    line.range = FindDateRange(text);
    line.dateLine = IsDateLine(text, line.range);
    for (const Fragment& f : Fragments(WithoutDate(text, line.range), true, lists))
        line.fragments << SplitSchoolAndDegree(f, lists, &line.cutDegrees);
    return line;
}

LineShape LearnLineShape(const std::vector<EducationLine>& lines, const WordLists& lists) {
    for (const EducationLine& line : lines) {
        if (line.range.position < 0)
            continue;
        qsizetype school = -1;
        qsizetype degree = -1;
        int names = 0;
        for (qsizetype i = 0; i < line.fragments.size(); ++i) {
            const QString& f = line.fragments[i].text;
            const bool isSchool = IsSchool(f, lists);
            const bool isDegree = IsEduDegree(f, lists);
            if (isSchool == isDegree)
                continue;
            ++names;
            (isSchool ? school : degree) = i;
        }
        if (names == 2 && school >= 0 && degree >= 0)
            return {line.fragments.size(), school, degree};
    }
    return {};
}

} // namespace zorv::rp
