// Skills, languages and certifications: the list sections of a resume.
#include "HistoryParser.h"

#include "EntryFragments.h"
#include "Sections.h"

#include <QRegularExpression>
#include <QSet>

namespace zorv::rp {

namespace {

// More would be a list of something else; a resume names a few dozen skills.
constexpr qsizetype kMaxSkills = 300;

} // namespace

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