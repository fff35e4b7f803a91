// Positions, education and lists of a resume. Positions are anchored on the lines that carry
// a date range; the short lines next to them give employer and title. Education entries are
// built from fragments that name a school, a degree or a date.
#include "HistoryParser.h"

#include "ContactParser.h"
#include "Sections.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace zorv::rp {

namespace {

// More would be a list of something else; a resume names a few dozen skills.
constexpr qsizetype kMaxSkills = 300;

bool HasWord(const QString& fragment, const PhraseSet& set) {
    return set.Matches(WordsOf(Fold(fragment)));
}

// A line that describes rather than names: a bullet, a long line or a sentence.
bool IsDescriptionLine(const QString& line, const WordLists& lists) {
    if (IsBulletLine(line) || line.size() > 110)
        return true;
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // A sentence ends with a full stop; "Acme Inc." and "Jr." do not count.
    const QString& last = words.isEmpty() ? line : words.back();
    const bool abbreviation = last.size() <= 4 || (last[0].isUpper() && last.size() <= 6 &&
                                                   HasWord(last, lists.orgWords));
    if (line.endsWith(QLatin1Char('.')) && words.size() > 3 && !abbreviation)
        return true;
    return words.size() > 16;
}

// A piece of a heading line with where it stands: the cell (between strong separators such
// as tabs, bars and dashes) and its order in the line.
struct Fragment {
    QString text;
    int cell = 0;
};

// Column labels of table headings and field labels ("Designation: QA Lead").
bool IsLabel(const QString& fragment) {
    static const QSet<QString> labels = {
        QStringLiteral("year"),          QStringLiteral("years"),
        QStringLiteral("date"),          QStringLiteral("dates"),
        QStringLiteral("period"),        QStringLiteral("duration"),
        QStringLiteral("degree"),        QStringLiteral("school"),
        QStringLiteral("institution"),   QStringLiteral("employer"),
        QStringLiteral("company"),       QStringLiteral("position"),
        QStringLiteral("title"),         QStringLiteral("job title"),
        QStringLiteral("role"),          QStringLiteral("location"),
        QStringLiteral("designation"),   QStringLiteral("client"),
        QStringLiteral("organisation"),  QStringLiteral("organization"),
        QStringLiteral("poste"),         QStringLiteral("entreprise"),
        QStringLiteral("societe"),       QStringLiteral("firma"),
        QStringLiteral("position held"), QStringLiteral("empresa"),
        QStringLiteral("cargo"),         QStringLiteral("puesto"),
        QStringLiteral("zeitraum"),      QStringLiteral("funktion"),
        QStringLiteral("arbeitgeber"),   QStringLiteral("qualification"),
        QStringLiteral("university"),    QStringLiteral("board"),
        QStringLiteral("percentage"),    QStringLiteral("grade"),
        QStringLiteral("diplome"),       QStringLiteral("etablissement"),
        QStringLiteral("annee"),         QStringLiteral("werkgever"),
        QStringLiteral("functie"),       QStringLiteral("periode"),
        QStringLiteral("bedrijf"),       QStringLiteral("organisatie"),
        QStringLiteral("stelle"),        QStringLiteral("position"),
        QStringLiteral("fonction"),      QStringLiteral("employeur"),
        QStringLiteral("empleador"),     QStringLiteral("periodo"),
        QStringLiteral("funcion")};
    return labels.contains(Fold(fragment));
}

QList<Fragment> Fragments(const QString& text, bool education) {
    static const QRegularExpression strongJob(
        QStringLiteral("\\t+|\\s+\\|\\s*|\\|| [—–-]{1,2} | ?[—–] ?|\\s+(?:at|@|chez|bei|bij)\\s+"
                       "|\\s*[()\\[\\]]\\s*| [•·] |:\\s+|\\s{3,}"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression strongEdu(
        QStringLiteral("\\t+|\\s+\\|\\s*|\\|| [—–-]{1,2} | ?[—–] ?|\\s+(?:from|à l'|an der|au|"
                       "bei)\\s+| [•·] |:\\s+|\\s{3,}"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression comma(QStringLiteral(",\\s+"));
    static const QRegularExpression trimChars(
        QStringLiteral("^[\\s,;:|/–—\\-.]+|[\\s,;:|/–—\\-]+$"));
    QList<Fragment> out;
    int cell = 0;
    for (const QString& c : text.split(education ? strongEdu : strongJob)) {
        bool any = false;
        // Commas inside parentheses stay ("Bachelor of Engineering (Electronics, VLSI)").
        QStringList pieces;
        QString cur;
        int depth = 0;
        for (qsizetype i = 0; i < c.size(); ++i) {
            if (c[i] == QLatin1Char('('))
                ++depth;
            else if (c[i] == QLatin1Char(')'))
                depth = std::max(0, depth - 1);
            if (depth == 0 && c[i] == QLatin1Char(',') && i + 1 < c.size() && c[i + 1].isSpace()) {
                pieces << cur;
                cur.clear();
                continue;
            }
            cur += c[i];
        }
        pieces << cur;
        for (QString f : pieces) {
            f.remove(trimChars);
            f = f.trimmed();
            if (f.isEmpty() || IsLabel(f))
                continue;
            out.push_back({f, cell});
            any = true;
        }
        if (any)
            ++cell;
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
    static const QSet<QString> remote = {QStringLiteral("remote"), QStringLiteral("hybrid"),
                                         QStringLiteral("teletravail"), QStringLiteral("remoto"),
                                         QStringLiteral("on-site")};
    return remote.contains(f);
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

// A line that names a period: a range, or one date at the start or end of a short line.
bool FindDateLine(const QString& line, DateRange* range) {
    if (line.size() > 140)
        return false;
    const DateRange r = FindDateRange(line);
    if (r.position < 0)
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
    *range = r;
    return true;
}

QString WithoutDate(const QString& line, const DateRange& r) {
    if (r.position < 0)
        return line;
    return line.left(r.position) + QStringLiteral("\t") + line.mid(r.position + r.length);
}

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
};

struct Heading {
    std::vector<Candidate> candidates; // nearest line first
    Position position;
    bool titleByWords = false;
    Slot titleSlot, employerSlot;
    bool employerChosen = false;
    bool sameEmployerAsBefore = false;
};

bool IsUpperText(const QString& text) {
    bool letter = false;
    for (QChar c : text) {
        if (c.isLower())
            return false;
        letter = letter || c.isLetter();
    }
    return letter;
}

} // namespace

std::vector<Position> ParsePositions(const QStringList& lines, const WordLists& lists) {
    struct Anchor {
        qsizetype index;
        DateRange range;
    };
    std::vector<Anchor> anchors;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        DateRange r;
        const QString line = StripBullet(lines[i]);
        if (FindDateLine(line, &r) && (!IsDescriptionLine(lines[i], lists) || line.size() < 90))
            anchors.push_back({i, r});
    }
    // All capitals everywhere says nothing about what is an employer.
    bool allCaps = true;
    for (const QString& l : lines)
        allCaps = allCaps && (IsUpperText(l) || !std::any_of(l.begin(), l.end(),
                                                             [](QChar c) { return c.isLetter(); }));

    std::vector<Heading> headings;
    qsizetype consumedUpTo = -1;
    for (size_t a = 0; a < anchors.size(); ++a) {
        const qsizetype at = anchors[a].index;
        const qsizetype nextAnchor = a + 1 < anchors.size() ? anchors[a + 1].index : lines.size();
        std::vector<std::pair<int, QString>> headingLines; // (line offset, text), nearest first
        headingLines.push_back(
            {0, StripBullet(WithoutDate(StripBullet(lines[at]), anchors[a].range))});
        qsizetype before = at - 1;
        int taken = 0;
        while (before > consumedUpTo && taken < 2 && !IsDescriptionLine(lines[before], lists)) {
            headingLines.push_back({-1 - taken, StripBullet(lines[before])});
            --before;
            ++taken;
        }
        qsizetype descFrom = at + 1;
        const auto onLine = Fragments(headingLines.front().second, false);
        qsizetype namedSoFar = 0;
        for (const auto& hl : headingLines)
            namedSoFar += Fragments(hl.second, false).size();
        // The line under the dates names this position unless it opens the next one, whose
        // date line follows with nothing else on it.
        const bool nextNeedsIt =
            a + 1 < anchors.size() && nextAnchor == at + 2 &&
            Fragments(WithoutDate(StripBullet(lines[nextAnchor]), anchors[a + 1].range), false)
                    .size() < 2;
        if (namedSoFar < 2 && !nextNeedsIt && at + 1 < nextAnchor &&
            !IsDescriptionLine(lines[at + 1], lists)) {
            headingLines.insert(headingLines.begin() + 1, {1, StripBullet(lines[at + 1])});
            descFrom = at + 2;
            if (onLine.isEmpty() && taken == 0 && at + 2 < nextAnchor &&
                !IsDescriptionLine(lines[at + 2], lists)) {
                headingLines.insert(headingLines.begin() + 2, {2, StripBullet(lines[at + 2])});
                descFrom = at + 3;
            }
        }
        qsizetype descTo = nextAnchor;
        if (a + 1 < anchors.size()) {
            qsizetype back = nextAnchor - 1;
            int n = 0;
            while (back >= descFrom && n < 2 && !IsDescriptionLine(lines[back], lists)) {
                --back;
                ++n;
            }
            descTo = back + 1;
        }
        consumedUpTo = std::max(descTo - 1, descFrom - 1);

        Heading h;
        h.position.start = anchors[a].range.start;
        h.position.end = anchors[a].range.end;
        for (const auto& [offset, text] : headingLines) {
            const auto frags = Fragments(text, false);
            int index = 0;
            for (qsizetype k = 0; k < frags.size(); ++k) {
                const QString& f = frags[k].text;
                // "Boston, MA": a place before a region or country is a place.
                const QString next = k + 1 < frags.size() ? frags[k + 1].text : QString();
                const bool beforeRegion =
                    k + 1 < frags.size() && frags[k + 1].cell == frags[k].cell &&
                    IsRegionOrCountry(next, lists) &&
                    (lists.countryByCity.contains(Fold(f)) ||
                     lists.regionByAbbr.contains(next.trimmed()) ||
                     lists.countryByName.contains(Fold(next))) &&
                    OrgScore(f, lists, false) <= 0 && TitleScore(f, lists) <= 0;
                if (IsLocation(f, lists) || beforeRegion) {
                    if (h.position.location.isEmpty())
                        h.position.location = f;
                    continue;
                }
                // "Acme, Inc." was cut at its comma.
                if (!h.candidates.empty() && k > 0 && WordsOf(Fold(f)).size() == 1 &&
                    HasWord(f, lists.orgWords) && h.candidates.back().slot.line == offset) {
                    h.candidates.back().text += QStringLiteral(", ") + f;
                    continue;
                }
                h.candidates.push_back({f, {offset, index++}, frags[k].cell});
            }
        }
        // The title: the best title-like candidate, nearest first.
        int best = 0;
        for (const Candidate& c : h.candidates) {
            const int s = TitleScore(c.text, lists);
            if (s > best) {
                best = s;
                h.position.title = c.text;
                h.titleSlot = c.slot;
                h.titleByWords = true;
            }
        }
        headings.push_back(std::move(h));
        QStringList desc;
        for (qsizetype i = descFrom; i < descTo; ++i)
            desc << lines[i];
        headings.back().position.description = desc.join(QLatin1Char('\n'));
    }

    // The employer: the most organisation-like candidate that is not the title.
    auto chooseEmployer = [&](Heading& h) {
        int bestScore = -100;
        for (const Candidate& c : h.candidates) {
            if (c.slot == h.titleSlot && !h.position.title.isEmpty())
                continue;
            if (c.text.size() > 70)
                continue;
            const int s = OrgScore(c.text, lists, !allCaps);
            // "Logistics Manager — DHL Supply Chain" over the place beside the dates on the
            // next line: between equals, the one paired with the title wins.
            const bool pairedWithTitle = s == bestScore && !h.position.title.isEmpty() &&
                                         c.slot.line == h.titleSlot.line &&
                                         h.employerSlot.line == 0 && h.titleSlot.line != 0;
            if (s > bestScore || pairedWithTitle) {
                bestScore = s;
                h.position.employer = c.text;
                h.employerSlot = c.slot;
                h.employerChosen = true;
            }
        }
    };
    for (Heading& h : headings)
        if (h.titleByWords)
            chooseEmployer(h);

    // Resumes keep one layout: where the words told title and employer apart, the same
    // places hold them in the other positions.
    std::vector<std::pair<Slot, Slot>> layouts;
    for (const Heading& h : headings)
        if (h.titleByWords && h.employerChosen)
            layouts.push_back({h.titleSlot, h.employerSlot});
    auto commonLayout = [&]() -> std::optional<std::pair<Slot, Slot>> {
        std::optional<std::pair<Slot, Slot>> bestLayout;
        std::map<std::array<int, 4>, size_t> counts;
        size_t bestCount = 0;
        for (const auto& l : layouts) {
            const size_t n = ++counts[{l.first.line, l.first.index, l.second.line, l.second.index}];
            if (n > bestCount) {
                bestCount = n;
                bestLayout = l;
            }
        }
        return bestLayout;
    }();
    // A role listed under the previous one's employer: where the layout puts the employer on
    // a line of its own and this heading has none, the weak candidate beside the title is
    // part of the title ("Project Manager, Payments").
    if (commonLayout && commonLayout->second.line != 0) {
        for (size_t i = 1; i < headings.size(); ++i) {
            Heading& h = headings[i];
            if (!h.titleByWords || !h.employerChosen || h.employerSlot == commonLayout->second ||
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
    for (Heading& h : headings) {
        if (h.titleByWords)
            continue;
        if (commonLayout) {
            for (const Candidate& c : h.candidates) {
                if (c.slot == commonLayout->first)
                    h.position.title = c.text;
                if (c.slot == commonLayout->second)
                    h.position.employer = c.text;
            }
            if (!h.position.title.isEmpty())
                h.titleSlot = commonLayout->first;
        }
        if (h.position.employer.isEmpty())
            chooseEmployer(h);
        if (h.position.title.isEmpty())
            for (const Candidate& c : h.candidates)
                if (h.position.title.isEmpty() && c.text != h.position.employer &&
                    c.text.size() <= 70)
                    h.position.title = c.text;
    }

    std::vector<Position> positions;
    for (Heading& h : headings) {
        // "Project Manager, Payments": what follows the title in its cell belongs to it when
        // the employer stands elsewhere.
        for (const Candidate& c : h.candidates) {
            if (c.slot.line == h.titleSlot.line && c.slot.index == h.titleSlot.index + 1 &&
                c.text != h.position.employer && !h.position.title.isEmpty() &&
                !std::any_of(c.text.begin(), c.text.end(), [](QChar ch) { return ch.isDigit(); }) &&
                (!h.position.employer.isEmpty() || h.sameEmployerAsBefore) &&
                OrgScore(c.text, lists, false) <= 0) {
                const auto same =
                    std::find_if(h.candidates.begin(), h.candidates.end(),
                                 [&](const Candidate& t) { return t.slot == h.titleSlot; });
                if (same != h.candidates.end() && same->cell == c.cell)
                    h.position.title += QStringLiteral(", ") + c.text;
            }
        }
        if (h.position.employer.isEmpty() && !positions.empty())
            h.position.employer = positions.back().employer; // another role, same employer
        positions.push_back(std::move(h.position));
    }
    return positions;
}

std::vector<EducationEntry> ParseEducation(const QStringList& lines, const WordLists& lists) {
    std::vector<EducationEntry> entries;
    EducationEntry current;
    bool hasDate = false;
    auto push = [&] {
        if (!current.school.isEmpty() || !current.degree.isEmpty())
            entries.push_back(current);
        current = EducationEntry();
        hasDate = false;
    };
    // "Bachelor of Science in Nursing": the field follows "in"; else "of" ("Master of Laws").
    static const QRegularExpression majorAfterIn(QStringLiteral("\\s(?:in|en|em|im)\\s+(.+)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression majorAfterOf(QStringLiteral("\\s(?:of|de)\\s+(.+)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    for (const QString& raw : lines) {
        if (raw.size() > 160)
            continue;
        const QString line = StripBullet(raw);
        const DateRange r = FindDateRange(line);
        const auto frags = Fragments(WithoutDate(line, r), true);
        bool usedLine = false;
        enum class Last { None, School, Degree } last = Last::None;
        int lastCell = -1;
        for (const Fragment& fragment : frags) {
            const QString& f = fragment.text;
            if (IsLocation(f, lists)) {
                if (current.location.isEmpty())
                    current.location = f;
                last = Last::None;
                continue;
            }
            static const QRegularExpression honours(
                QStringLiteral("^(?:summa |magna )?cum laude$|^with (?:honou?rs|distinction)$|"
                               "^(?:expected|anticipated|graduated|graduation|class of|"
                               "mention .*|gpa.*|cgpa.*|note.*)$"),
                QRegularExpression::CaseInsensitiveOption);
            if (honours.match(f).hasMatch()) {
                last = Last::None;
                continue;
            }
            const bool school = HasWord(f, lists.schools);
            const bool degree = IsDegree(f, lists);
            if (school && !degree) {
                if (last == Last::School && lastCell == fragment.cell) {
                    // "Rotman School of Management, University of Toronto"
                    current.school += QStringLiteral(", ") + f;
                } else {
                    if (!current.school.isEmpty())
                        push();
                    current.school = f;
                }
                usedLine = true;
                last = Last::School;
            } else if (degree) {
                if (!current.degree.isEmpty())
                    push();
                current.degree = f;
                usedLine = true;
                auto m = majorAfterIn.match(f);
                if (!m.hasMatch())
                    m = majorAfterOf.match(f);
                if (m.hasMatch())
                    current.major = m.captured(1).trimmed();
                last = Last::Degree;
            } else if (last == Last::Degree && lastCell == fragment.cell && f.size() < 60 &&
                       !f.contains(QLatin1Char(':'))) {
                // "Bachelor of Applied Science, Civil Engineering"
                current.degree += QStringLiteral(", ") + f;
                if (current.major.isEmpty())
                    current.major = f;
            } else {
                last = Last::None;
            }
            lastCell = fragment.cell;
        }
        if (r.position >= 0 && (r.end.IsSet() || usedLine || frags.size() <= 3)) {
            if (hasDate && !usedLine)
                push();
            current.start = r.end.IsSet() ? r.start : ResumeDate();
            current.date = r.end.IsSet() ? r.end : r.start;
            hasDate = true;
        }
    }
    push();
    return entries;
}

QStringList ParseSkills(const QStringList& lines) {
    QStringList skills;
    QSet<QString> seen;
    static const QRegularExpression split(QStringLiteral("\\s*(?:[,;|•·▪]|\\t| / | - )\\s*"));
    for (const QString& raw : lines) {
        QString line = StripBullet(raw);
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0 && colon < 40)
            line = line.mid(colon + 1);
        // A sentence ("References available on request.") is no list of skills.
        if (line.endsWith(QLatin1Char('.')) &&
            line.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() > 3 &&
            !line.contains(QLatin1Char(',')))
            continue;
        for (QString item : line.split(split)) {
            const qsizetype paren = item.indexOf(QLatin1Char('('));
            if (paren > 0)
                item = item.left(paren);
            item = item.trimmed();
            while (item.endsWith(QLatin1Char('.')) && !item.endsWith(QStringLiteral(".js")))
                item.chop(1);
            if (item.isEmpty() || item.size() > 40 ||
                item.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() > 5)
                continue;
            if (skills.size() < kMaxSkills && !seen.contains(item.toCaseFolded())) {
                seen.insert(item.toCaseFolded());
                skills << item;
            }
        }
    }
    return skills;
}

QStringList FindKnownSkills(const QStringList& lines, const WordLists& lists) {
    QStringList found;
    const QString text = lines.join(QLatin1Char('\n'));
    for (const QString& skill : lists.skills) {
        const QRegularExpression re(QStringLiteral("(?<![\\w+#.])") +
                                    QRegularExpression::escape(skill) +
                                    QStringLiteral("(?![\\w+#])"));
        if (re.match(text).hasMatch() && !found.contains(skill))
            found << skill;
    }
    return found;
}

std::vector<LanguageSkill> ParseLanguages(const QStringList& lines, const WordLists& lists) {
    std::vector<LanguageSkill> out;
    static const QRegularExpression split(QStringLiteral("\\s*(?:[,;|•·▪]|\\t)\\s*"));
    for (const QString& raw : lines) {
        const QString line = StripBullet(raw);
        // "English (native), French (C1)": split outside parentheses only.
        QStringList items;
        QString cur;
        int depth = 0;
        for (QChar c : line) {
            if (c == QLatin1Char('('))
                ++depth;
            if (c == QLatin1Char(')'))
                depth = std::max(0, depth - 1);
            if (depth == 0 && QStringLiteral(",;|•\t").contains(c)) {
                items << cur;
                cur.clear();
            } else {
                cur += c;
            }
        }
        items << cur;
        for (QString item : items) {
            item = item.trimmed();
            if (item.isEmpty() || item.size() > 80)
                continue;
            const QStringList words = WordsOf(Fold(item));
            if (words.isEmpty())
                continue;
            LanguageSkill l;
            l.code = lists.languageByName.value(words.front());
            l.text = item;
            static const QRegularExpression level(
                QStringLiteral("^(?:[abc][12]|native|fluent|basic|intermediate|advanced|good|"
                               "proficient|bilingual|business|conversational|courant|maternelle|"
                               "langue maternelle|notions|bilingue|debutant|muttersprache|"
                               "fliessend|fließend|grundkenntnisse|gut|sehr gut|"
                               "verhandlungssicher|nativo|nativa|bilingue|basico|medio|alto|"
                               "avanzado|moedertaal|vloeiend|goed|redelijk)$"));
            if (l.code.isEmpty() && !out.empty() && level.match(Fold(item)).hasMatch()) {
                // "English" on one cell, "fluent" on the next.
                out.back().text += QStringLiteral(" ") + item;
                continue;
            }
            out.push_back(l);
        }
    }
    return out;
}

std::vector<Certification> ParseCertifications(const QStringList& lines) {
    std::vector<Certification> out;
    static const QRegularExpression trimChars(
        QStringLiteral("^[\\s,;:|\\-–—(]+|[\\s,;:|\\-–—(]+$"));
    for (const QString& raw : lines) {
        const QString line = StripBullet(raw);
        if (line.size() > 150)
            continue;
        const DateRange r = FindDateRange(line);
        Certification c;
        c.name = (r.position >= 0 ? line.left(r.position) + line.mid(r.position + r.length) : line)
                     .trimmed();
        c.name.remove(trimChars);
        c.name.remove(QStringLiteral("()"));
        c.name = c.name.trimmed();
        c.date = r.start;
        if (!c.name.isEmpty())
            out.push_back(c);
    }
    return out;
}

} // namespace zorv::rp
