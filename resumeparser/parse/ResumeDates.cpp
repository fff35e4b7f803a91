// Date recognition for resume text: numeric and named months in English, French, German,
// Spanish and Dutch, seasons, two-digit years and the words for "until now".
#include "ResumeDates.h"

#include "WordLists.h"

#include <QDate>
#include <QRegularExpression>
#include <algorithm>

namespace zorv::rp {

namespace {

struct MonthName {
    const char* name;
    int month;
};

// Folded month names and abbreviations; abbreviations may carry a dot in the text.
constexpr MonthName kMonths[] = {
    {"january", 1},    {"jan", 1},        {"janvier", 1},    {"janv", 1},      {"januar", 1},
    {"janner", 1},     {"enero", 1},      {"ene", 1},        {"januari", 1},   {"february", 2},
    {"feb", 2},        {"fevrier", 2},    {"fev", 2},        {"fevr", 2},      {"februar", 2},
    {"febrero", 2},    {"februari", 2},   {"march", 3},      {"mar", 3},       {"mars", 3},
    {"marz", 3},       {"marzo", 3},      {"maart", 3},      {"mrt", 3},       {"april", 4},
    {"apr", 4},        {"avril", 4},      {"avr", 4},        {"abril", 4},     {"abr", 4},
    {"may", 5},        {"mai", 5},        {"mayo", 5},       {"mei", 5},       {"june", 6},
    {"jun", 6},        {"juin", 6},       {"juni", 6},       {"junio", 6},     {"july", 7},
    {"jul", 7},        {"juillet", 7},    {"juil", 7},       {"juli", 7},      {"julio", 7},
    {"august", 8},     {"aug", 8},        {"aout", 8},       {"agosto", 8},    {"ago", 8},
    {"augustus", 8},   {"september", 9},  {"sep", 9},        {"sept", 9},      {"septembre", 9},
    {"septiembre", 9}, {"setiembre", 9},  {"october", 10},   {"oct", 10},      {"octobre", 10},
    {"oktober", 10},   {"okt", 10},       {"octubre", 10},   {"november", 11}, {"nov", 11},
    {"novembre", 11},  {"noviembre", 11}, {"december", 12},  {"dec", 12},      {"decembre", 12},
    {"dezember", 12},  {"dez", 12},       {"diciembre", 12}, {"dic", 12},
};

struct SeasonName {
    const char* name;
    int month;
    const char* english;
};

constexpr SeasonName kSeasons[] = {
    {"spring", 3, "Spring"},   {"printemps", 3, "Spring"}, {"fruhling", 3, "Spring"},
    {"fruhjahr", 3, "Spring"}, {"primavera", 3, "Spring"}, {"voorjaar", 3, "Spring"},
    {"summer", 6, "Summer"},   {"ete", 6, "Summer"},       {"sommer", 6, "Summer"},
    {"verano", 6, "Summer"},   {"zomer", 6, "Summer"},     {"fall", 9, "Fall"},
    {"autumn", 9, "Fall"},     {"automne", 9, "Fall"},     {"herbst", 9, "Fall"},
    {"otono", 9, "Fall"},      {"najaar", 9, "Fall"},      {"winter", 12, "Winter"},
    {"hiver", 12, "Winter"},   {"invierno", 12, "Winter"},
};

// Folded words that stand for "until now" at the end of a range.
const QString kPresentPattern = QStringLiteral(
    "present|current|currently|now|today|ongoing|to date|till date|till now|until now|heute|bis "
    "heute|aktuell|jetzt|"
    "derzeit|actuel|actuellement|aujourd'hui|present|en cours|ce jour|a ce jour|actualidad|"
    "presente|actual|hoy|heden|nu|huidig");

QString Alternation(bool seasons) {
    QStringList names;
    if (seasons) {
        for (const auto& s : kSeasons)
            names << QString::fromLatin1(s.name);
    } else {
        for (const auto& m : kMonths)
            names << QString::fromLatin1(m.name);
    }
    // Longest first, so that "janvier" wins over "jan".
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return names.join(QLatin1Char('|'));
}

// One date in folded text. Groups: 1 day, 2 month name, 3 year (named month);
// 4 season, 5 year; 6 year, 7 month (ISO); 8 day, 9 month, 10 year (numeric);
// 11 month, 12 year; 13 two-digit year after an apostrophe; 14 year alone; 15 present.
const QRegularExpression& DatePattern() {
    static const QRegularExpression re(
        QStringLiteral("(?<![\\w/.])(?:(?<=(?:19|20)\\d\\d-)|(?<!-))(?:"
                       "(?:(\\d{1,2})\\.?\\s+)?(%1)\\.?,?(?:\\s+de|\\s+of)?\\s*((?:19|20)\\d\\d|'"
                       "\\d\\d|’\\d\\d)"
                       "|(%2)\\s+((?:19|20)\\d\\d)"
                       "|((?:19|20)\\d\\d)[\\-/.](0?[1-9]|1[0-2])(?:[\\-/.]\\d{1,2})?(?![\\d])"
                       "|(\\d{1,2})[/.\\-](\\d{1,2})[/.\\-]((?:19|20)\\d\\d)"
                       "|(0?[1-9]|1[0-2])\\s?[/.\\-]\\s?((?:19|20)\\d\\d)"
                       "|['’](\\d\\d)"
                       "|((?:19|20)\\d\\d)"
                       "|(%3)"
                       ")(?![\\w])")
            .arg(Alternation(false), Alternation(true), kPresentPattern),
        QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

int MonthOf(const QString& name) {
    for (const auto& m : kMonths)
        if (name == QLatin1String(m.name))
            return m.month;
    return 0;
}

int TwoDigitYear(const QString& digits) {
    const int y = digits.toInt();
    return y < 50 ? 2000 + y : 1900 + y;
}

int YearOf(const QString& text) {
    if (text.startsWith(QLatin1Char('\'')) || text.startsWith(QChar(0x2019)))
        return TwoDigitYear(text.mid(1));
    return text.toInt();
}

ResumeDate FromMatch(const QRegularExpressionMatch& m, const QString& original) {
    ResumeDate d;
    d.written = original.mid(m.capturedStart(), m.capturedLength()).trimmed();
    if (m.capturedLength(2) > 0) {
        d.month = MonthOf(m.captured(2));
        d.year = YearOf(m.captured(3));
        d.day = m.captured(1).toInt();
    } else if (m.capturedLength(4) > 0) {
        for (const auto& s : kSeasons)
            if (m.captured(4) == QLatin1String(s.name)) {
                d.month = s.month;
                d.season = QString::fromLatin1(s.english);
            }
        d.year = m.captured(5).toInt();
    } else if (m.capturedLength(6) > 0) {
        d.year = m.captured(6).toInt();
        d.month = m.captured(7).toInt();
    } else if (m.capturedLength(10) > 0) {
        // Day first, as everywhere but North America; a first number above 12 cannot be a month.
        int a = m.captured(8).toInt(), b = m.captured(9).toInt();
        if (b > 12 && a <= 12)
            std::swap(a, b);
        d.day = a;
        d.month = b;
        d.year = m.captured(10).toInt();
    } else if (m.capturedLength(12) > 0) {
        d.month = m.captured(11).toInt();
        d.year = m.captured(12).toInt();
    } else if (m.capturedLength(13) > 0) {
        d.year = TwoDigitYear(m.captured(13));
    } else if (m.capturedLength(14) > 0) {
        d.year = m.captured(14).toInt();
    } else if (m.capturedLength(15) > 0) {
        d.present = true;
    }
    if (d.month < 0 || d.month > 12)
        d.month = 0;
    if (d.day > 0 && (d.month == 0 || !QDate::isValid(d.year, d.month, d.day)))
        d.day = 0;
    return d;
}

// Folding that keeps positions: one folded character per original character.
QString FoldKeepingPositions(const QString& text) {
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QString f = Fold(QString(text[i]));
        out[i] = f.size() == 1 ? f[0] : (text[i].isSpace() ? QLatin1Char(' ') : text[i]);
    }
    return out;
}

const QRegularExpression& RangeSeparator() {
    static const QRegularExpression re(
        QStringLiteral("^\\s*(?:-{1,2}|–|—|~|to|until|till|thru|through|bis|au|a|à|al|hasta|tot|"
                       "t/m|-\\s*>|→)?\\s*$"));
    return re;
}

const QRegularExpression& SincePrefix() {
    static const QRegularExpression re(
        QStringLiteral("(?:since|from|depuis|seit|desde|sinds|ab|des|des le)\\s*$"));
    return re;
}

} // namespace

QString ResumeDate::Iso() const {
    if (year <= 0)
        return {};
    if (month > 0 && day > 0)
        return QStringLiteral("%1-%2-%3")
            .arg(year, 4, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'))
            .arg(day, 2, 10, QLatin1Char('0'));
    if (month > 0)
        return QStringLiteral("%1-%2")
            .arg(year, 4, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'));
    return QString::number(year);
}

int ResumeDate::SortKey() const {
    if (present)
        return 999999;
    return year * 100 + month;
}

ResumeDate ParseDate(const QString& text) {
    const QString folded = FoldKeepingPositions(text);
    const auto m = DatePattern().match(folded);
    if (!m.hasMatch())
        return {};
    static const QRegularExpression rest(QStringLiteral("^[\\s.,;:()\\[\\]]*$"));
    if (!rest.match(folded.left(m.capturedStart())).hasMatch() ||
        !rest.match(folded.mid(m.capturedEnd())).hasMatch())
        return {};
    return FromMatch(m, text);
}

DateRange FindDateRange(const QString& text) {
    DateRange range;
    const QString folded = FoldKeepingPositions(text);
    auto it = DatePattern().globalMatch(folded);
    QRegularExpressionMatch first;
    while (it.hasNext()) {
        const auto m = it.next();
        const ResumeDate d = FromMatch(m, text);
        if (!first.hasMatch()) {
            if (d.present)
                continue; // a lone "now" in a sentence is no date
            first = m;
            range.start = d;
            range.position = m.capturedStart();
            range.length = m.capturedLength();
            const auto since = SincePrefix().match(folded.left(m.capturedStart()));
            if (since.hasMatch()) {
                range.end.present = true;
                range.end.written = QStringLiteral("Present");
                range.position = since.capturedStart();
                range.length = m.capturedEnd() - since.capturedStart();
                return range;
            }
            continue;
        }
        const QString between =
            folded.mid(first.capturedEnd(), m.capturedStart() - first.capturedEnd());
        if (RangeSeparator().match(between).hasMatch()) {
            range.end = d;
            range.length = m.capturedEnd() - range.position;
        }
        break;
    }
    return range;
}

} // namespace zorv::rp
