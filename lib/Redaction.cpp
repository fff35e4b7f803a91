#include "Redaction.h"

#include <QRegularExpression>
#include <algorithm>

namespace zorv {
namespace {

// Fewer digits than this are a year, a count or a postcode, not a phone number.
constexpr int kMinPhoneDigits = 7;
constexpr int kMaxPhoneDigits = 15;

const QRegularExpression& EmailPattern() {
    static const QRegularExpression re(
        QStringLiteral(R"([A-Za-z0-9._%+\-]+@[A-Za-z0-9\-]+(?:\.[A-Za-z0-9\-]+)*\.[A-Za-z]{2,})"));
    return re;
}

// Links with a scheme or "www.", bare domains of the usual endings (lower case, so that
// "ASP.NET" stays), and social handles.
const QRegularExpression& LinkPattern() {
    static const QRegularExpression re(QStringLiteral(
        R"((?:\b(?:https?://|ftp://|www\.)[^\s,;|<>"]+))"
        R"(|(?:\b[a-z0-9][a-z0-9\-]*(?:\.[a-z0-9\-]+)*\.(?:com|net|org|io|dev|me|info|biz|co|uk|de|fr|nl|eu|ca|au|us|in|es|it|ch|pl|se|xyz|app|page)\b(?:/[^\s,;|<>"]*)?))"
        R"(|(?:(?<![\w.])@[A-Za-z0-9_]{2,}))"));
    return re;
}

const QRegularExpression& PhonePattern() {
    static const QRegularExpression re(
        QStringLiteral(R"((?<![\w])(?:\+|00)?\(?\d[\d ().\-\x{00A0}/]{5,}\d(?![\w]))"));
    return re;
}

const QRegularExpression& StreetPattern() {
    static const QRegularExpression re(QStringLiteral(
        R"(\b\d{1,5}[a-zA-Z]?,?\s+(?:[A-Z][\w.'\-]*\s+){0,4})"
        R"((?:Street|St\.?|Road|Rd\.?|Avenue|Ave\.?|Lane|Ln\.?|Drive|Dr\.?|Boulevard|Blvd\.?|Way)"
        R"(|Court|Ct\.?|Place|Pl\.?|Terrace|Square|Sq\.?|Parkway|Pkwy\.?|Highway|Hwy\.?|Close|Crescent)"
        R"()\b\.?(?:,?\s*(?:Apt|Suite|Unit|Flat)\.?\s*\w+)?)"
        R"(|\bP\.?\s?O\.?\s+Box\s+\d+)"));
    return re;
}

// A run of digits that is a year span ("2015 - 2019", "2015/16") rather than a number.
bool IsYearSpan(const QString& candidate) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\(?(?:19|20)\d\d\)?\s*[\-/.]\s*\(?(?:(?:19|20)\d\d|\d\d)\)?$)"));
    return re.match(candidate.trimmed()).hasMatch();
}

bool IsPhoneNumber(const QString& candidate) {
    int digits = 0;
    for (const QChar c : candidate)
        digits += c.isDigit() ? 1 : 0;
    return digits >= kMinPhoneDigits && digits <= kMaxPhoneDigits && !IsYearSpan(candidate);
}

QString RemovePhones(const QString& text) {
    QString out;
    qsizetype at = 0;
    auto it = PhonePattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (!IsPhoneNumber(m.captured()))
            continue;
        out += text.mid(at, m.capturedStart() - at);
        at = m.capturedEnd();
    }
    return out + text.mid(at);
}

// What is left between removed details: doubled spaces, separators with nothing before
// them, spaces before punctuation, and labels or separators at the ends of a line. Ends
// that were not blank before stay trimmed.
QString Tidied(const QString& original, const QString& text) {
    static const QRegularExpression spaces(QStringLiteral("[ \\x{00A0}]{2,}"));
    static const QRegularExpression emptyBetween(QStringLiteral(R"(([|·•,;])(?:\s*[|·•,;])+)"));
    static const QRegularExpression orphan(QStringLiteral(R"([ \t]+[|·•,;](?=[ \t]))"));
    static const QRegularExpression beforePunctuation(QStringLiteral(R"([ \t]+([.,;:!?]))"));
    static const QRegularExpression edges(
        QStringLiteral(R"((^|\n)[ \t]*[|·•,;:][ \t]*|[ \t]*[|·•,;][ \t]*(?=\n|$))"));
    static const QRegularExpression emptyParens(QStringLiteral(R"(\(\s*\)|<\s*>|\[\s*\])"));
    QString out = text;
    out.replace(emptyParens, QString());
    out.replace(emptyBetween, QStringLiteral("\\1"));
    out.replace(orphan, QString());
    out.replace(beforePunctuation, QStringLiteral("\\1"));
    out.replace(edges, QStringLiteral("\\1"));
    out.replace(spaces, QStringLiteral(" "));
    while (!out.isEmpty() && out.back().isSpace() && !original.back().isSpace())
        out.chop(1);
    while (!out.isEmpty() && out.front().isSpace() && !original.front().isSpace())
        out.remove(0, 1);
    return out;
}

void RedactRecords(std::vector<TokenList>& lists, const QStringList& known) {
    for (TokenList& list : lists)
        for (TokenRecord& item : list.items) {
            for (qsizetype i = 0; i < item.values.size(); ++i)
                item.values[i] = IsContactToken(item.names.value(i))
                                     ? QString()
                                     : WithoutContactDetails(item.values[i], known);
            RedactRecords(item.lists, known);
        }
}

} // namespace

bool IsContactToken(const QString& name) {
    static const QStringList contact{QStringLiteral("Email"),     QStringLiteral("Phone"),
                                     QStringLiteral("Mobile"),    QStringLiteral("Fax"),
                                     QStringLiteral("Website"),   QStringLiteral("Street"),
                                     QStringLiteral("PostalCode")};
    return contact.contains(name);
}

QString WithoutContactDetails(const QString& text, const QStringList& known) {
    if (text.trimmed().isEmpty())
        return text;
    QString out = text;
    for (const QString& detail : known)
        if (!detail.trimmed().isEmpty())
            out.replace(detail.trimmed(), QString(), Qt::CaseInsensitive);
    out.replace(EmailPattern(), QString());
    out.replace(LinkPattern(), QString());
    out.replace(StreetPattern(), QString());
    out = RemovePhones(out);
    return out == text ? text : Tidied(text, out);
}

void RedactTokens(const QStringList& names, QStringList& values, std::vector<TokenList>& lists) {
    QStringList known;
    for (qsizetype i = 0; i < names.size() && i < values.size(); ++i)
        if (IsContactToken(names[i]) && !values[i].trimmed().isEmpty())
            known << values[i].trimmed();
    // The longest first, so that a detail holding another goes whole.
    std::sort(known.begin(), known.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (qsizetype i = 0; i < values.size(); ++i)
        values[i] =
            IsContactToken(names.value(i)) ? QString() : WithoutContactDetails(values[i], known);
    RedactRecords(lists, known);
}

} // namespace zorv
