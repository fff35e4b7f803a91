// Pieces of entry lines shared by the position and education readers: fragments cut at
// strong separators, what a fragment looks like (a place, a degree, prose) and dated lines.
#include "EntryFragments.h"

#include "ContactParser.h"
#include "Sections.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace zorv::rp {

namespace {
// Column labels of table headings and field labels ("Designation: QA Lead"): their kind
// from labels.txt, or "" for none. A few labels run together (a heading row whose cells a
// scan or a plain-text table set a space apart: "Designation Duration") are labels too,
// of the last one's kind.
QString LabelKind(const QString& fragment, const WordLists& lists) {
    constexpr qsizetype kMostLabelsRunTogether = 4;
    const auto kindOf = [&](const QString& text) {
        const QString kind = lists.fieldLabel.value(Fold(text));
        return kind == QLatin1String("place") || kind == QLatin1String("terms") ? QString() : kind;
    };
    QString kind = kindOf(fragment);
    const QStringList words = fragment.split(u' ', Qt::SkipEmptyParts);
    if (!kind.isEmpty() || words.size() < 2 || words.size() > kMostLabelsRunTogether)
        return kind;
    for (const QString& word : words)
        if ((kind = kindOf(word)).isEmpty())
            return {};
    return kind;
}

// The pieces of a cell cut at ", ", except inside parentheses ("Bachelor of Engineering
// (Electronics, VLSI)").
QStringList CommaPieces(const QString& cell) {
    QStringList pieces;
    QString cur;
    int depth = 0;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (cell[i] == QLatin1Char('('))
            ++depth;
        else if (cell[i] == QLatin1Char(')'))
            depth = std::max(0, depth - 1);
        if (depth == 0 && cell[i] == QLatin1Char(',') && i + 1 < cell.size() &&
            cell[i + 1].isSpace()) {
            pieces << cur;
            cur.clear();
            continue;
        }
        cur += cell[i];
    }
    pieces << cur;
    return pieces;
}

// A piece cut after its legal form when a place or a title follows it, as a scan or a
// plain-text table runs cells together ("Acme Inc. Financial Analyst", "Muster AG Bern").
QStringList LegalFormPieces(const QString& piece, const WordLists& lists) {
    const QStringList words = piece.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i + 1 < words.size(); ++i) {
        if (!lists.legalForms.Matches(words[i]))
            continue;
        const QString rest = words.mid(i + 1).join(u' ');
        if (IsLocation(rest, lists) || TitleScore(rest, lists) > 0)
            return {words.mid(0, i + 1).join(u' '), rest};
    }
    return {piece};
}

} // namespace

bool HasWord(const QString& fragment, const PhraseSet& set) {
    return set.Matches(WordsOf(Fold(fragment)));
}

// A line that describes rather than names: a bullet, a long line or a sentence.
bool IsDescriptionLine(const QString& line, const WordLists& lists) {
    if (IsBulletLine(line) || line.size() > kLongLine)
        return true;
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // A sentence ends with a full stop; "Acme Inc." and "Jr." do not count.
    const QString& last = words.isEmpty() ? line : words.back();
    const bool abbreviation = last.size() <= 4 || (last[0].isUpper() && last.size() <= 6 &&
                                                   HasWord(last, lists.orgWords));
    if (line.endsWith(QLatin1Char('.')) && words.size() > 3 && !abbreviation)
        return true;
    return words.size() > kMaxNameLineWords;
}

QList<Fragment> Fragments(const QString& text, bool education, const WordLists& lists) {
    static const QRegularExpression strongJob(
        QStringLiteral("\\t+|\\s+\\|\\s*|\\|| [—–-]{1,2} | ?[—–] ?|\\s+(?:at|@|chez|bei|bij)\\s+"
                       "|\\s*[()\\[\\]]\\s*| [•·] |:\\s+|\\s{3,}"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression strongEdu(
        QStringLiteral("\\t+|\\s+\\|\\s*|\\|| [—–-]{1,2} | ?[—–] ?|\\s+(?:from|à l'|an der|au|"
                       "bei)\\s+| [•·] |:\\s+|\\s{3,}"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression trimChars(
        QStringLiteral("^[\\s,;:|/–—\\-.]+|[\\s,;:|/–—\\-]+$"));
    QList<Fragment> out;
    int cell = 0;
    QString label;
    qsizetype from = 0;
    bool inParens = false;
    auto it = (education ? strongEdu : strongJob).globalMatch(text);
    while (from <= text.size()) {
        const auto sep = it.hasNext() ? it.next() : QRegularExpressionMatch();
        const qsizetype to = sep.hasMatch() ? sep.capturedStart() : text.size();
        bool any = false;
        QStringList pieces;
        for (const QString& piece : CommaPieces(text.mid(from, to - from)))
            pieces << (education ? QStringList{piece} : LegalFormPieces(piece, lists));
        for (QString f : pieces) {
            f.remove(trimChars);
            f = f.trimmed();
            if (f.isEmpty())
                continue;
            if (const QString kind = LabelKind(f, lists); !kind.isEmpty()) {
                label = kind;
                continue;
            }
            out.push_back({f, cell, label, inParens});
            label.clear();
            any = true;
        }
        if (any)
            ++cell;
        if (!sep.hasMatch())
            break;
        const QString s = sep.captured();
        inParens = (s.contains(QLatin1Char('(')) || s.contains(QLatin1Char('['))) ||
                   (inParens && !s.contains(QLatin1Char(')')) && !s.contains(QLatin1Char(']')));
        from = sep.capturedEnd();
    }
    return out;
}

bool IsRegionOrCountry(const QString& fragment, const WordLists& lists) {
    const QString f = Fold(fragment);
    return lists.countryByName.contains(f) || lists.regionByName.contains(f) ||
           lists.regionByAbbr.contains(fragment.trimmed());
}

bool IsLocation(const QString& fragment, const WordLists& lists) {
    const QString f = Fold(fragment);
    if (IsRegionOrCountry(fragment, lists) || lists.countryByCity.contains(f))
        return true;
    return lists.fieldLabel.value(f) == QLatin1String("place");
}

// Degree words that are also ordinary words or places ("ma", "ms", "bs") count only in
// capitals as written.
bool IsDegree(const QString& fragment, const WordLists& lists) {
    const QStringList words = WordsOf(Fold(fragment));
    if (!lists.degrees.Matches(words))
        return false;
    static const QSet<QString> ambiguous = {
        QStringLiteral("ba"),  QStringLiteral("ma"), QStringLiteral("bs"),
        QStringLiteral("ms"),  QStringLiteral("md"), QStringLiteral("jd"),
        QStringLiteral("cap"), QStringLiteral("be"), QStringLiteral("me")};
    for (const QString& w : words) {
        const QString plain = QString(w).remove(QLatin1Char('.'));
        if (!ambiguous.contains(plain) && lists.degrees.Matches(QStringList{w}))
            return true;
    }
    for (const QStringList& p : lists.degrees.phrases)
        if (PhraseSet{{}, {p}, {}}.Matches(words))
            return true;
    for (const QString& w : WordsOf(fragment)) {
        const QString plain = QString(w).remove(QLatin1Char('.'));
        if (ambiguous.contains(plain.toLower()) && plain == plain.toUpper())
            return true;
    }
    return false;
}

int TitleScore(const QString& f, const WordLists& lists) {
    int score = 0;
    if (HasWord(f, lists.titles))
        score += 2;
    if (HasWord(f, lists.orgWords))
        score -= 3;
    if (HasWord(f, lists.weakOrgWords))
        score -= 1;
    return score;
}

int OrgScore(const QString& f, const WordLists& lists, bool allCapsMeansOrg) {
    int score = 0;
    if (HasWord(f, lists.orgWords))
        score += 3;
    if (HasWord(f, lists.weakOrgWords))
        score += 1;
    if (HasWord(f, lists.titles))
        score -= 2;
    if (allCapsMeansOrg) {
        QString letters;
        for (QChar c : f)
            if (c.isLetter())
                letters += c;
        if (letters.size() >= 3 && letters == letters.toUpper())
            score += 1;
    }
    return score;
}

bool IsDateLine(const QString& line, const DateRange& r) {
    if (line.size() > kMaxDateLine || r.position < 0)
        return false;
    if (!r.end.IsSet()) {
        static const QRegularExpression edge(QStringLiteral("^[\\s\\t|,;:()\\-–—•]*$"));
        const bool atStart = edge.match(line.left(r.position)).hasMatch();
        const bool atEnd = edge.match(line.mid(r.position + r.length)).hasMatch();
        if (!atStart && !atEnd)
            return false;
        // "2019." alone ends a sentence wrapped from the line above.
        if (line.mid(r.position + r.length).trimmed() == QLatin1String("."))
            return false;
    }
    return true;
}

bool FindDateLine(const QString& line, DateRange* range) {
    if (line.size() > kMaxDateLine)
        return false;
    const DateRange r = FindDateRange(line);
    if (!IsDateLine(line, r))
        return false;
    *range = r;
    return true;
}

QString WithoutDate(const QString& line, const DateRange& r) {
    if (r.position < 0)
        return line;
    const QString rest = line.mid(r.position + r.length);
    if (r.endPosition < 0)
        return line.left(r.position) + QStringLiteral("\t") + rest;
    // The end written apart: the names between the two dates stay.
    const qsizetype endAt = r.endPosition - r.position - r.length;
    return line.left(r.position) + QStringLiteral("\t") + rest.left(endAt) + QStringLiteral("\t") +
           rest.mid(endAt + r.endLength);
}

bool IsUpperText(const QString& text) {
    bool letter = false;
    for (QChar c : text) {
        if (c.isLower())
            return false;
        letter = letter || c.isLetter();
    }
    return letter;
}

bool HasLetter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// All capitals everywhere says nothing about what is an employer.
bool AllCaps(const QStringList& lines) {
    return std::all_of(lines.begin(), lines.end(),
                       [](const QString& l) { return IsUpperText(l) || !HasLetter(l); });
}

// Words of prose: a fragment with this many lower-case words of four letters or more is a
// sentence ("Won a place at the national physics institute"), not a name.
constexpr int kProseWords = 3;

bool IsProse(const QString& fragment) {
    int lower = 0;
    for (const QString& w : fragment.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (w.size() >= 4 && w[0].isLower())
            ++lower;
    return lower >= kProseWords;
}

// A fragment that names nothing: a web address ("acme.example/team" too), a share of time
// ("80% FTE"), a duration ("3 years"), a decoration.
bool IsNoName(const QString& fragment) {
    static const QRegularExpression noName(
        QStringLiteral("^(?:https?://|www\\.)|^[\\w-]+(?:\\.[\\w-]+)+/\\S|%|^[^\\p{L}\\p{N}]*$"
                       "|^\\d+(?:[.,]\\d+)?\\+?\\s+\\p{L}{1,8}\\.?$"),
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::CaseInsensitiveOption);
    return noName.match(fragment).hasMatch();
}

qsizetype NameCount(const QList<Fragment>& frags) {
    return std::count_if(frags.begin(), frags.end(),
                         [](const Fragment& f) { return !f.note && !IsNoName(f.text); });
}

qsizetype NameCount(const QString& text, const WordLists& lists) {
    return NameCount(Fragments(text, false, lists));
}

} // namespace zorv::rp
