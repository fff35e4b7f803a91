// Date recognition for resume text: numeric dates, and the month names, seasons and "until now"
// words of the built-in dates.txt in some twenty languages; two-digit years.
#include "ResumeDates.h"

#include "WordLists.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace zorv::rp {

namespace {

// The built-in lists live as long as the program.
const DateWords& Words() {
    static const DateWords& words = GetWordLists(QString()).dates;
    return words;
}

// The words as a regular-expression alternation, longest first so that "janvier" wins over
// "jan".
QString Alternation(QStringList words) {
    std::sort(words.begin(), words.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    words.removeDuplicates();
    for (QString& w : words)
        w = QRegularExpression::escape(w);
    return words.join(QLatin1Char('|'));
}

QString NameAlternation(const std::vector<DateWords::Named>& names) {
    QStringList words;
    for (const auto& n : names)
        words << n.name;
    return Alternation(words);
}

// One date in folded text ("-2010" only after a year: "2006 -2010"); an underscore around it is
// emphasis ("_May 2019 - Present_"), not part of a word. Groups: 1 day, 2 month name, 3 year (named
// month); 4 season, 5 year; 6 year, 7 month (ISO); 8 day, 9 month, 10 year (numeric); 11 month, 12
// year; 13 two-digit year after an apostrophe; 14 year alone; 15 present.
const QRegularExpression& DatePattern() {
    static const QRegularExpression re(
        QStringLiteral(
            "(?<![\\p{L}\\p{N}/.])(?:(?<=(?:19|20)\\d\\d-)|(?<=(?:19|20)\\d\\d\\s-)|(?<!-))(?:"
            "(?:(\\d{1,2})\\.?\\s+)?(%1)\\.?,?(?:\\s+de|\\s+of)?\\s*((?:19|20)\\d\\d|'"
            "\\d\\d|’\\d\\d)"
            "|(%2)\\s+((?:19|20)\\d\\d)"
            "|((?:19|20)\\d\\d)[\\-/.](0?[1-9]|1[0-2])(?:[\\-/.]\\d{1,2})?(?![\\d])"
            "|(\\d{1,2})[/.\\-](\\d{1,2})[/.\\-]((?:19|20)\\d\\d)"
            "|(0?[1-9]|1[0-2])\\s?[/.\\-]\\s?((?:19|20)\\d\\d)"
            "|['’](\\d\\d)"
            "|((?:19|20)\\d\\d)"
            "|(%3)"
            ")(?![\\p{L}\\p{N}])")
            .arg(NameAlternation(Words().months), NameAlternation(Words().seasons),
                 Alternation(Words().present)),
        QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

int MonthOf(const QString& name) {
    static const QHash<QString, int> months = [] {
        QHash<QString, int> byName;
        for (const auto& m : Words().months)
            byName.insert(m.name, m.month);
        return byName;
    }();
    return months.value(name);
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
        for (const auto& s : Words().seasons)
            if (m.captured(4) == s.name) {
                d.month = s.month;
                d.season = s.english;
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
        QStringLiteral("^\\.?\\s*(?:(?:%1)\\s*){0,2}$").arg(Alternation(Words().until)));
    return re;
}

const QRegularExpression& SincePrefix() {
    static const QRegularExpression re(
        QStringLiteral("(?<![\\w])(?:%1)\\s*$").arg(Alternation(Words().since)),
        QRegularExpression::UseUnicodePropertiesOption);
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

namespace {

// "June-July 2017" and "June - July 2017": the start names only a month and shares the end's
// year.
void TakeSharedYearStart(const QString& folded, const QString& text, DateRange* range) {
    const QString months = NameAlternation(Words().months);
    static const QRegularExpression monthBefore(
        QStringLiteral("(?<![\\w])(%1)\\.?\\s*(?:[-–—/]|%2)\\s*(?:(%1)\\.?\\s*)?$")
            .arg(months, Alternation(Words().until)),
        QRegularExpression::UseUnicodePropertiesOption);
    const auto m = monthBefore.match(folded.left(range->position));
    if (!m.hasMatch() || (range->start.month == 0) == m.captured(2).isEmpty())
        return;
    range->end = range->start;
    if (range->end.month == 0)
        range->end.month = MonthOf(m.captured(2));
    range->start = ResumeDate();
    range->start.year = range->end.year;
    range->start.month = MonthOf(m.captured(1));
    range->start.written = text.mid(m.capturedStart(), m.capturedLength(1)).trimmed();
    range->length += range->position - m.capturedStart();
    range->position = m.capturedStart();
}

// "2020, Jul-Oct": a year followed by a range of months within it.
void TakeMonthsAfterYear(const QString& folded, const QString& text, DateRange* range) {
    static const QRegularExpression monthsAfter(
        QStringLiteral("^,?\\s*(%1)\\.?\\s*[-–—/]\\s*(%1)\\.?(?![\\w])")
            .arg(NameAlternation(Words().months)),
        QRegularExpression::UseUnicodePropertiesOption);
    const qsizetype after = range->position + range->length;
    const auto m = monthsAfter.match(folded.mid(after));
    if (!m.hasMatch() || range->start.month != 0)
        return;
    range->end = range->start;
    range->start.month = MonthOf(m.captured(1));
    range->end.month = MonthOf(m.captured(2));
    range->end.written = text.mid(after + m.capturedStart(2), m.capturedLength(2));
    range->length += m.capturedLength();
}

// "From: Jan 2013  Acme  To: Mar 2013  Analyst": a labelled start and a labelled end with the
// entry's names between them. Both labels need their colon; without it "from" and "to" are
// ordinary words of a sentence.
void TakeLabelledEnd(const QString& folded, const QString& text, DateRange* range) {
    // The longest label with its colon and spaces ("à partir de :").
    constexpr qsizetype kMaxLabelSpan = 24;
    static const QRegularExpression startLabel(
        QStringLiteral("(?<![\\p{L}])(?:%1)\\s*:\\s*$").arg(Alternation(Words().since)),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression endLabel(
        QStringLiteral("(?<![\\p{L}])(?:%1)\\s*:\\s*$").arg(Alternation(Words().until)),
        QRegularExpression::UseUnicodePropertiesOption);
    // Only the text just before a date can be its label: long lines stay cheap.
    const auto labelBefore = [&](const QRegularExpression& label, qsizetype at) {
        const qsizetype from = std::max<qsizetype>(0, at - kMaxLabelSpan);
        const auto m = label.match(folded.mid(from, at - from));
        return m.hasMatch() ? from + m.capturedStart() : qsizetype(-1);
    };
    const qsizetype start = labelBefore(startLabel, range->position);
    if (start < 0)
        return;
    auto it = DatePattern().globalMatch(folded, range->position + range->length);
    while (it.hasNext()) {
        const auto m = it.next();
        const qsizetype end = labelBefore(endLabel, m.capturedStart());
        if (end < 0)
            continue;
        range->end = FromMatch(m, text);
        range->length += range->position - start;
        range->position = start;
        range->endPosition = end;
        range->endLength = m.capturedEnd() - end;
        return;
    }
}

} // namespace

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
    if (!first.hasMatch())
        return range;
    if (!range.end.IsSet()) {
        // "since 2020" runs until now; "from March 2019 to May 2020" was a range above.
        const auto since = SincePrefix().match(folded.left(first.capturedStart()));
        if (since.hasMatch()) {
            range.end.present = true;
            range.end.written = QStringLiteral("Present");
            range.position = since.capturedStart();
            range.length = first.capturedEnd() - since.capturedStart();
            return range;
        }
        TakeSharedYearStart(folded, text, &range);
        if (!range.end.IsSet())
            TakeMonthsAfterYear(folded, text, &range);
        if (!range.end.IsSet())
            TakeLabelledEnd(folded, text, &range);
    }
    return range;
}

} // namespace zorv::rp
