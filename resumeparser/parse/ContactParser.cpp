// Contact extraction: names, e-mails, web links, phones and postal addresses.
#include "ContactParser.h"

#include "FuncLib.h"
#include "LayoutSignals.h"
#include "PhoneNumbers.h"

#include <QRegularExpression>

#include <limits>

#include <string>

namespace zorv::rp {

namespace {

const QRegularExpression& EmailPattern() {
    static const QRegularExpression re(QStringLiteral(
        "[A-Za-z0-9._%+\\-]+@[A-Za-z0-9\\-]+(?:\\.[A-Za-z0-9\\-]+)*\\.[A-Za-z]{2,}"));
    return re;
}

const QRegularExpression& WebPattern() {
    static const QRegularExpression re(
        QStringLiteral("(?:https?://|www\\.)[^\\s|,;<>\"]+|(?<![@\\w.])(?:[a-z]{2,3}\\.)?(?:"
                       "linkedin\\.com|github\\.com|gitlab\\.com|xing\\.com|behance\\.net|"
                       "stackoverflow\\.com)/[^\\s|,;<>\"]+"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

// ---- names -------------------------------------------------------------------------------

const QStringList& NotNames() {
    static const QStringList words = {QStringLiteral("curriculum vitae"),
                                      QStringLiteral("curriculum"),
                                      QStringLiteral("resume"),
                                      QStringLiteral("cv"),
                                      QStringLiteral("lebenslauf"),
                                      QStringLiteral("hoja de vida"),
                                      QStringLiteral("page"),
                                      QStringLiteral("contact"),
                                      QStringLiteral("references")};
    return words;
}

const QSet<QString>& Particles() {
    static const QSet<QString> set = {
        QStringLiteral("van"), QStringLiteral("von"), QStringLiteral("der"),
        QStringLiteral("den"), QStringLiteral("de"),  QStringLiteral("da"),
        QStringLiteral("di"),  QStringLiteral("del"), QStringLiteral("della"),
        QStringLiteral("la"),  QStringLiteral("le"),  QStringLiteral("du"),
        QStringLiteral("dos"), QStringLiteral("das"), QStringLiteral("do"),
        QStringLiteral("ter"), QStringLiteral("ten"), QStringLiteral("te"),
        QStringLiteral("bin"), QStringLiteral("al"),  QStringLiteral("el"),
        QStringLiteral("y"),   QStringLiteral("zu"),  QStringLiteral("'t"),
        QStringLiteral("des"), QStringLiteral("st."), QStringLiteral("mac")};
    return set;
}

QString AffixKind(const QString& word, bool atStart, bool afterComma = false) {
    const QString w = Fold(word).remove(QLatin1Char('.')).remove(QLatin1Char(','));
    // Post-nominal letters in capitals ("MBBS", "MRCP", "P.Eng.") after the name.
    static const QRegularExpression postNominal(
        QStringLiteral("^(?:[A-Z]\\.?){2,6}$|^P\\.\\s?Eng\\.?$"));
    if (afterComma && w != QLatin1String("ii") && w != QLatin1String("iii") &&
        w != QLatin1String("iv") && postNominal.match(word.trimmed()).hasMatch() &&
        word.trimmed().size() >= 3)
        return QStringLiteral("qualification");
    static const QSet<QString> address = {
        QStringLiteral("mr"),     QStringLiteral("mrs"),    QStringLiteral("ms"),
        QStringLiteral("miss"),   QStringLiteral("dr"),     QStringLiteral("prof"),
        QStringLiteral("m"),      QStringLiteral("mme"),    QStringLiteral("mlle"),
        QStringLiteral("herr"),   QStringLiteral("frau"),   QStringLiteral("sr"),
        QStringLiteral("sra"),    QStringLiteral("srta"),   QStringLiteral("dhr"),
        QStringLiteral("mevr"),   QStringLiteral("shri"),   QStringLiteral("smt"),
        QStringLiteral("ir"),     QStringLiteral("ing"),    QStringLiteral("drs"),
        QStringLiteral("dr-ing"), QStringLiteral("dr-med"), QStringLiteral("dipl-ing"),
        QStringLiteral("mag"),    QStringLiteral("lic"),    QStringLiteral("hon"),
        QStringLiteral("doc"),    QStringLiteral("yrd"),    QStringLiteral("dott")};
    static const QSet<QString> generation = {QStringLiteral("jr"), QStringLiteral("sr"),
                                             QStringLiteral("ii"), QStringLiteral("iii"),
                                             QStringLiteral("iv")};
    static const QSet<QString> qualification = {
        QStringLiteral("phd"),  QStringLiteral("mba"), QStringLiteral("md"),
        QStringLiteral("cpa"),  QStringLiteral("pe"),  QStringLiteral("msc"),
        QStringLiteral("bsc"),  QStringLiteral("pmp"), QStringLiteral("cfa"),
        QStringLiteral("rn"),   QStringLiteral("esq"), QStringLiteral("dipl-ing"),
        QStringLiteral("meng"), QStringLiteral("ma"),  QStringLiteral("ba")};
    if (atStart && address.contains(w))
        return QStringLiteral("formOfAddress");
    // "Doç.Dr.", "Prof.Dr.": several forms of address written as one word.
    if (atStart && word.count(QLatin1Char('.')) > 1) {
        const QStringList pieces = Fold(word).split(QLatin1Char('.'), Qt::SkipEmptyParts);
        if (pieces.size() > 1 && std::all_of(pieces.begin(), pieces.end(),
                                             [](const QString& p) { return address.contains(p); }))
            return QStringLiteral("formOfAddress");
    }
    if (!atStart && generation.contains(w))
        return QStringLiteral("generation");
    if (!atStart && qualification.contains(w))
        return QStringLiteral("qualification");
    return {};
}

bool IsAllCaps(const QString& word) {
    bool letter = false;
    for (QChar c : word) {
        if (c.isLower())
            return false;
        letter = letter || c.isLetter();
    }
    return letter;
}

// "JEAN-PIERRE" -> "Jean-Pierre", "O'BRIEN" -> "O'Brien"
QString TitleCased(const QString& word) {
    QString out = word.toLower();
    bool start = true;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (start && out[i].isLetter())
            out[i] = out[i].toUpper();
        start =
            out[i] == QLatin1Char('-') || out[i] == QLatin1Char('\'') || out[i] == QChar(0x2019);
    }
    return out;
}

bool IsNameWord(const QString& word) {
    if (word.isEmpty())
        return false;
    for (QChar c : word)
        if (!c.isLetter() && c != QLatin1Char('-') && c != QLatin1Char('\'') &&
            c != QChar(0x2019) && c != QLatin1Char('.'))
            return false;
    return word[0].isLetter();
}

} // namespace

QString CountryCodeOf(const QString& text, const WordLists& lists) {
    const QString t = text.trimmed();
    static const QRegularExpression code(QStringLiteral("^[A-Za-z]{2}$"));
    if (code.match(t).hasMatch()) {
        const QString upper = t.toUpper();
        if (upper == QLatin1String("UK"))
            return QStringLiteral("GB");
        return upper;
    }
    return lists.countryByName.value(Fold(t));
}

namespace {

// The text of a name candidate without its label, or "" when it cannot be a name.
QString NameText(const QString& input, const WordLists& lists) {
    constexpr qsizetype kMaxNameChars = 60;
    // PDF text may spell "é" as "e" and a combining accent, which is no letter of its own.
    QString text = input.normalized(QString::NormalizationForm_C).simplified();
    static const QRegularExpression label(
        QStringLiteral("^(?:name|nom|nombre|naam|vorname und name|nom et prénom)\\s*:\\s*"),
        QRegularExpression::CaseInsensitiveOption);
    text.remove(label);
    if (text.isEmpty() || text.size() > kMaxNameChars)
        return {};
    for (QChar c : text)
        if (c.isDigit() || c == QLatin1Char('@') || c == QLatin1Char(':') || c == QLatin1Char('/'))
            return {};
    const QString folded = Fold(text);
    for (const QString& n : NotNames())
        if (folded == n || folded.startsWith(n + QLatin1Char(' ')))
            return {};
    if (lists.headingKind.contains(folded) || lists.countryByName.contains(folded) ||
        lists.regionByName.contains(folded))
        return {};
    return text;
}

bool AllAffixes(const QStringList& words) {
    return std::all_of(words.begin(), words.end(),
                       [](const QString& w) { return !AffixKind(w, false, true).isEmpty(); });
}

// "Family, Given" and "Given Family, PhD": text becomes the name in reading order, trailing
// receives the affixes after commas. False when the commas show no name ("Paris, France").
bool ResolveCommas(QString* text, QStringList* trailing, bool* familyFirstByComma,
                   const WordLists& lists) {
    QStringList commaParts = text->split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& p : commaParts)
        p = p.trimmed();
    // "Jonathan Whitaker, Jr., Esq.": trailing parts made of affixes only.
    while (commaParts.size() > 2 &&
           AllAffixes(commaParts.back().split(QLatin1Char(' '), Qt::SkipEmptyParts))) {
        *trailing = commaParts.back().split(QLatin1Char(' '), Qt::SkipEmptyParts) + *trailing;
        commaParts.pop_back();
    }
    if (commaParts.size() == 1)
        *text = commaParts.front();
    if (commaParts.size() > 2)
        return false;
    if (commaParts.size() != 2)
        return true;
    const QStringList second = commaParts[1].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (AllAffixes(second)) {
        *trailing = second + *trailing;
        *text = commaParts[0];
        return true;
    }
    if (lists.countryByName.contains(Fold(commaParts[1])) ||
        lists.countryByCity.contains(Fold(commaParts[0])) ||
        lists.regionByName.contains(Fold(commaParts[1])) ||
        lists.regionByAbbr.contains(commaParts[1]))
        return false; // "Paris, France", "Austin, TX"
    constexpr qsizetype kMaxWordsBesideComma = 2;
    if (second.size() > kMaxWordsBesideComma ||
        commaParts[0].split(QLatin1Char(' '), Qt::SkipEmptyParts).size() > kMaxWordsBesideComma)
        return false;
    *familyFirstByComma = true;
    *text = commaParts[1] + QLatin1Char(' ') + commaParts[0];
    return true;
}

// Two to five capitalised words of letters that no other list claims.
bool AreNameWords(const QStringList& words, const WordLists& lists) {
    constexpr qsizetype kMinWords = 2;
    constexpr qsizetype kMaxWords = 5;
    if (words.size() < kMinWords || words.size() > kMaxWords)
        return false;
    int capitalised = 0;
    for (const QString& w : words) {
        if (!IsNameWord(w))
            return false;
        if (Particles().contains(w.toLower()) && w[0].isLower())
            continue;
        if (!w[0].isUpper())
            return false;
        ++capitalised;
    }
    if (capitalised < kMinWords)
        return false;
    const QStringList folded = WordsOf(Fold(words.join(QLatin1Char(' '))));
    return !lists.titles.Matches(folded) && !lists.schools.Matches(folded) &&
           !lists.orgWords.Matches(folded) && !lists.degrees.Matches(folded);
}

// Given, middle and family names of the name's words.
void FillNameParts(QStringList words, bool familyFirstByComma, PersonNameParts* name) {
    // "DUBOIS Jean": a family name in capitals before given names in mixed case.
    qsizetype capsLead = 0;
    while (capsLead < words.size() && IsAllCaps(words[capsLead]) && words[capsLead].size() > 1)
        ++capsLead;
    const bool familyFirst = !familyFirstByComma && capsLead > 0 && capsLead < words.size() &&
                             std::all_of(words.begin() + capsLead, words.end(),
                                         [](const QString& w) { return !IsAllCaps(w); });
    QStringList family, given;
    if (familyFirst) {
        family = words.mid(0, capsLead);
        given = words.mid(capsLead);
    } else {
        // The family name starts at its first particle, or is the last word.
        qsizetype start = words.size() - 1;
        for (qsizetype i = 1; i < words.size() - 1; ++i)
            if (Particles().contains(words[i].toLower())) {
                start = i;
                break;
            }
        family = words.mid(start);
        given = words.mid(0, start);
    }
    for (QString& w : family)
        if (IsAllCaps(w))
            w = Particles().contains(w.toLower()) && &w != &family.back() ? w.toLower()
                                                                          : TitleCased(w);
    for (QString& w : given)
        if (IsAllCaps(w) && (w.size() > 2 || !w.contains(QLatin1Char('.'))))
            w = TitleCased(w);
    QStringList prefix;
    while (family.size() > 1 && Particles().contains(family.front().toLower())) {
        prefix << family.front();
        family.pop_front();
    }
    name->given << given.front();
    if (given.size() > 1)
        name->middle = given.mid(1).join(QLatin1Char(' '));
    name->familyPrefix = prefix.join(QLatin1Char(' '));
    name->family = family.join(QLatin1Char(' '));
    QStringList formatted = given;
    formatted << prefix << family << name->generations;
    name->formatted = formatted.join(QLatin1Char(' '));
}

} // namespace

PersonNameParts ParsePersonName(const QString& input, const WordLists& lists) {
    QString text = NameText(input, lists);
    QStringList trailing;
    bool familyFirstByComma = false;
    if (text.isEmpty() || !ResolveCommas(&text, &trailing, &familyFirstByComma, lists))
        return {};
    PersonNameParts name;
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    while (!words.isEmpty() && !AffixKind(words.front(), true).isEmpty()) {
        name.formsOfAddress << words.front();
        words.pop_front();
    }
    while (words.size() > 1 && !AffixKind(words.back(), false).isEmpty()) {
        trailing.prepend(words.back());
        words.pop_back();
    }
    for (const QString& t : trailing) {
        if (AffixKind(t, false, true) == QLatin1String("generation"))
            name.generations << t;
        else
            name.qualifications << t;
    }
    if (!AreNameWords(words, lists))
        return {};
    FillNameParts(words, familyFirstByComma, &name);
    return name;
}

Address ParseAddressLine(const QString& input, const WordLists& lists) {
    Address a;
    QString text = input.simplified();
    static const QRegularExpression label(
        QStringLiteral(
            "^(?:address|home address|adresse|anschrift|wohnort|dirección|direccion|"
            "domicilio|adres|location|lieu|ort|ciudad|city|morada|endereço|indirizzo|adresa|"
            "адрес|residenza)\\s*:\\s*"),
        QRegularExpression::CaseInsensitiveOption);
    text.remove(label);
    if (text.isEmpty() || text.contains(QLatin1Char('@')) || text.size() > 160)
        return a;
    // "Montréal (Québec) H3B 4W8": a region in parentheses is one more part.
    static const QRegularExpression parenthesised(QStringLiteral("\\s*\\(([^()]{2,30})\\)\\s*"));
    text.replace(parenthesised, QStringLiteral(", \\1, "));
    QStringList parts;
    for (const QString& p : text.split(QLatin1Char(',')))
        if (!p.trimmed().isEmpty())
            parts << p.trimmed();
    if (parts.isEmpty())
        return a;
    QString country;
    if (const QString c = lists.countryByName.value(Fold(parts.back())); !c.isEmpty()) {
        country = c;
        parts.pop_back();
    }
    // "Austin, TX 78701" and the Australian "Brisbane QLD 4000".
    static const QRegularExpression usStateZip(
        QStringLiteral("^(?:(.+?)\\s+)?([A-Z]{2,3})\\.?\\s+(\\d{5}(?:-\\d{4})?|\\d{4})$"));
    static const QRegularExpression caProvPostal(
        QStringLiteral("^(?:(.+?)\\s+)?([A-Z]{2})\\s+([A-Z]\\d[A-Z]\\s?\\d[A-Z]\\d)$"));
    static const QRegularExpression caPostalAlone(
        QStringLiteral("^([A-Z]\\d[A-Z]\\s?\\d[A-Z]\\d)$"));
    static const QRegularExpression ukPostcode(
        QStringLiteral("^(?:(.+?)\\s+)?([A-Z]{1,2}\\d[A-Z\\d]?\\s?\\d[A-Z]{2})$"));
    static const QRegularExpression nlPostal(
        QStringLiteral("^(\\d{4}\\s?[A-Z]{2})\\s+(\\p{L}[\\p{L}\\s.'\\-]+)$"));
    static const QRegularExpression euPostal(
        // Postal codes before the city: "75011", "02-715" (Poland), "1000-001" (Portugal),
        // "411 36" (Sweden), "7550000" (Chile).
        QStringLiteral("^(?:([A-Z]{1,2})-)?(\\d{2}-\\d{3}|\\d{4}-\\d{3}|\\d{3} \\d{2}|\\d{4,7})\\s+"
                       "(\\p{L}[\\p{L}\\s.'\\-]+?)(?:\\s+(?:cedex|"
                       "\\d{1,2}))?$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression postalAfter(
        QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s*[\\-–]?\\s*(\\d{3}\\s?\\d{3}|\\d{5})$"));
    static const QRegularExpression placeName(QStringLiteral("^\\p{L}[\\p{L}\\s.'\\-]{1,40}$"));
    // "Dublin 2, Ireland": a city with its postal district, which is part of its name.
    static const QRegularExpression cityDistrict(
        QStringLiteral("^\\p{L}[\\p{L}\\s.'\\-]{1,40}?\\s+\\d{1,2}$"));
    // "São Paulo – SP, 01310-200": a postal code alone after the city and its state.
    static const QRegularExpression postalAlone(QStringLiteral("^\\d{5}-\\d{3}$|^\\d{2}-\\d{3}$"));
    static const QRegularExpression cityState(
        QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s+[–\\-]\\s+([A-Z]{2})$"));
    // "Wellington 6011, New Zealand": four digits after the city, where the country is named.
    static const QRegularExpression cityPostal4(
        QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s+(\\d{4})$"));
    qsizetype cityPart = -1;
    auto regionIs = [&](const QString& candidate) -> bool {
        const QString f = Fold(candidate);
        if (auto it = lists.regionByName.constFind(f); it != lists.regionByName.constEnd()) {
            a.region = it->name;
            if (country.isEmpty())
                country = it->country;
            return true;
        }
        if (auto it = lists.regionByAbbr.constFind(candidate.trimmed());
            it != lists.regionByAbbr.constEnd()) {
            a.region = it->abbreviation;
            if (country.isEmpty())
                country = it->country;
            return true;
        }
        return false;
    };
    for (qsizetype i = parts.size() - 1; i >= 0 && cityPart < 0; --i) {
        const QString& p = parts[i];
        QRegularExpressionMatch m;
        if ((m = usStateZip.match(p)).hasMatch() && lists.regionByAbbr.contains(m.captured(2))) {
            regionIs(m.captured(2));
            a.postalCode = m.captured(3);
            if (!m.captured(1).isEmpty()) {
                a.municipality = m.captured(1);
                cityPart = i;
            } else if (i > 0) {
                a.municipality = parts[i - 1];
                cityPart = i - 1;
            }
        } else if ((m = caProvPostal.match(p)).hasMatch() &&
                   lists.regionByAbbr.contains(m.captured(2))) {
            regionIs(m.captured(2));
            a.postalCode = m.captured(3);
            if (!m.captured(1).isEmpty()) {
                a.municipality = m.captured(1);
                cityPart = i;
            } else if (i > 0) {
                a.municipality = parts[i - 1];
                cityPart = i - 1;
            }
        } else if ((m = caPostalAlone.match(p)).hasMatch() && i > 0) {
            a.postalCode = m.captured(1);
            if (country.isEmpty())
                country = QStringLiteral("CA");
            qsizetype c = i - 1;
            if (regionIs(parts[c]) && c > 0)
                --c;
            a.municipality = parts[c];
            cityPart = c;
        } else if ((m = nlPostal.match(p)).hasMatch()) {
            a.postalCode = m.captured(1);
            a.municipality = m.captured(2).trimmed();
            if (country.isEmpty())
                country = QStringLiteral("NL");
            cityPart = i;
        } else if ((m = euPostal.match(p)).hasMatch()) {
            a.postalCode = m.captured(2);
            a.municipality = m.captured(3).trimmed();
            const QString prefix = m.captured(1).toUpper();
            if (country.isEmpty() && !prefix.isEmpty())
                country = prefix == QLatin1String("D")    ? QStringLiteral("DE")
                          : prefix == QLatin1String("F")  ? QStringLiteral("FR")
                          : prefix == QLatin1String("E")  ? QStringLiteral("ES")
                          : prefix == QLatin1String("A")  ? QStringLiteral("AT")
                          : prefix == QLatin1String("B")  ? QStringLiteral("BE")
                          : prefix == QLatin1String("NL") ? QStringLiteral("NL")
                          : prefix == QLatin1String("CH") ? QStringLiteral("CH")
                          : prefix == QLatin1String("L")  ? QStringLiteral("LU")
                                                          : QString();
            cityPart = i;
        } else if ((m = ukPostcode.match(p)).hasMatch() &&
                   (m.captured(1).isEmpty() || placeName.match(m.captured(1)).hasMatch())) {
            a.postalCode = m.captured(2);
            if (country.isEmpty())
                country = QStringLiteral("GB");
            if (!m.captured(1).isEmpty()) {
                a.municipality = m.captured(1);
                cityPart = i;
            } else if (i > 0) {
                a.municipality = parts[i - 1];
                cityPart = i - 1;
            }
        } else if ((m = postalAfter.match(p)).hasMatch()) {
            a.postalCode = m.captured(2);
            const QString place = m.captured(1).trimmed();
            if (m.captured(2).remove(QLatin1Char(' ')).size() == 6 && country.isEmpty())
                country = QStringLiteral("IN");
            if (regionIs(place) && i > 0) {
                a.municipality = parts[i - 1];
                cityPart = i - 1;
            } else {
                a.municipality = place;
                cityPart = i;
            }
        } else if (i > 0 && regionIs(p)) {
            a.municipality = parts[i - 1];
            cityPart = i - 1;
        } else if (!country.isEmpty() && (m = cityPostal4.match(p)).hasMatch()) {
            a.postalCode = m.captured(2);
            a.municipality = m.captured(1);
            cityPart = i;
        } else if (postalAlone.match(p).hasMatch() && i > 0 && !country.isEmpty()) {
            a.postalCode = p;
            cityPart = i - 1;
            if ((m = cityState.match(parts[i - 1])).hasMatch()) {
                a.municipality = m.captured(1);
                a.region = m.captured(2);
            } else {
                a.municipality = parts[i - 1];
            }
        } else if (!country.isEmpty() && i == parts.size() - 1 &&
                   cityDistrict.match(p).hasMatch()) {
            a.municipality = p;
            cityPart = i;
        } else if ((!country.isEmpty() || lists.countryByCity.contains(Fold(p))) &&
                   i == parts.size() - 1 && placeName.match(p).hasMatch()) {
            a.municipality = p;
            cityPart = i;
        } else {
            break;
        }
    }
    if (cityPart < 0 || (!a.municipality.isEmpty() && !placeName.match(a.municipality).hasMatch() &&
                         !cityDistrict.match(a.municipality).hasMatch())) {
        return {};
    }
    // A region after the city: "Mumbai, Maharashtra 400001" is handled above; "Bangalore,
    // Karnataka" by the region rule; the parts before the city are the street.
    for (qsizetype i = 0; i < cityPart; ++i)
        a.addressLines << parts[i];
    if (country.isEmpty())
        country = lists.countryByCity.value(Fold(a.municipality));
    a.countryCode = country;
    return a;
}

namespace {

bool LooksLikeStreet(const QString& line) {
    static const QRegularExpression street(
        QStringLiteral(
            "^\\d+[a-zA-Z]?[,\\s]|\\b(?:street|st\\.|road|rd\\.|avenue|ave\\.?|lane|drive|"
            "boulevard|blvd|rue|allée|chemin|place|calle|avda|avenida|paseo|plaza|nagar|"
            "apt|suite|flat)\\b|(?:straße|strasse|str\\.|weg|platz|gasse|allee|ring|damm|"
            "straat|laan|gracht|plein|kade|singel)\\s*\\d|^[\\p{L} .'\\-]+\\s\\d+[a-zA-Z]?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return street.match(line).hasMatch() && !line.contains(QLatin1Char('@')) && line.size() < 80;
}

constexpr qsizetype kMaxZoneLines = 200;
// Enough of each kind of contact detail for any resume.
constexpr qsizetype kMaxEach = 10;
// Lines above and below an e-mail address outside the header that join the contact zone.
constexpr qsizetype kLinesAroundEmail = 3;
// A city named alone (no country, region or postal code beside it) must be this large to
// be taken as the candidate's: small towns share their names with common words.
constexpr int kMinBareCityPopulation = 50000;

// The lines where contact details are looked for: the header, contact sections, and the
// lines around an e-mail address (a contact block at the bottom).
// At most kMaxZoneLines lines: contact details take a few, and a text without headings
// must not make every line a candidate.
// iconLines: lines that had icon glyphs, which mark contact details in any part of a page.
QStringList ContactZone(const std::vector<Section>& sections, const QStringList& iconLines) {
    QStringList zone;
    QSet<QString> seen;
    auto add = [&](const QString& line) {
        if (zone.size() < kMaxZoneLines && !seen.contains(line)) {
            seen.insert(line);
            zone << line;
        }
    };
    auto isContact = [](const Section& s) {
        return s.kind == QLatin1String("header") || s.kind == QLatin1String("contact");
    };
    for (const Section& s : sections)
        if (isContact(s))
            for (const QString& line : s.lines)
                add(line);
    for (const Section& s : sections) {
        if (isContact(s))
            continue;
        for (qsizetype i = 0; i < s.lines.size() && zone.size() < kMaxZoneLines; ++i)
            if (EmailPattern().match(s.lines[i]).hasMatch())
                for (qsizetype j = std::max<qsizetype>(0, i - kLinesAroundEmail);
                     j < std::min<qsizetype>(s.lines.size(), i + kLinesAroundEmail + 1); ++j)
                    add(s.lines[j]);
    }
    for (const QString& line : iconLines)
        add(line);
    return zone;
}

// Icon fonts put their glyphs in the private use areas; glued to an address or a number
// ("\uf3c5Lyon") they would hide it.
QString WithoutIconGlyphs(QString line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char32_t c = line[i].isHighSurrogate() && i + 1 < line.size()
                               ? QChar::surrogateToUcs4(line[i], line[i + 1])
                               : line[i].unicode();
        if (QChar::category(c) != QChar::Other_PrivateUse)
            continue;
        const qsizetype width = c > 0xFFFF ? 2 : 1;
        line.replace(i, width, QLatin1Char(' '));
    }
    return line;
}

// The sections without icon glyphs; iconLines receives the lines that had some.
std::vector<Section> WithoutIconGlyphs(std::vector<Section> sections, QStringList* iconLines) {
    for (Section& s : sections)
        for (QString& line : s.lines) {
            const QString clean = WithoutIconGlyphs(line).trimmed();
            if (clean != line)
                *iconLines << clean;
            line = clean;
        }
    return sections;
}

// "name [at] host [dot] com", "name(at)host.com", "name at host dot com" as an address.
QString Deobfuscated(const QString& line) {
    static const QRegularExpression at(QStringLiteral("\\s*[\\[({<]\\s*(?:at|@)\\s*[\\])}>]\\s*"),
                                       QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression dot(
        QStringLiteral("\\s*[\\[({<]\\s*(?:dot|\\.)\\s*[\\])}>]\\s*"),
        QRegularExpression::CaseInsensitiveOption);
    // Plain words only with " dot " as well: "meet at example.com" is prose.
    static const QRegularExpression words(
        QStringLiteral("\\b([A-Za-z0-9._%+\\-]+) at ([A-Za-z0-9\\-]+(?: dot [A-Za-z0-9\\-]+)+)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = line;
    out.replace(at, QStringLiteral("@")).replace(dot, QStringLiteral("."));
    QRegularExpressionMatch m = words.match(out);
    if (m.hasMatch())
        out.replace(m.capturedStart(), m.capturedLength(),
                    m.captured(1) + QLatin1Char('@') +
                        m.captured(2).replace(QStringLiteral(" dot "), QStringLiteral("."),
                                              Qt::CaseInsensitive));
    return out;
}

void AddEmails(const QString& line, QStringList* emails) {
    auto it = EmailPattern().globalMatch(line);
    while (it.hasNext()) {
        QString e = it.next().captured();
        while (e.endsWith(QLatin1Char('.')))
            e.chop(1);
        if (emails->size() < kMaxEach && !emails->contains(e, Qt::CaseInsensitive))
            *emails << e;
    }
}

void AddWebAddresses(const QString& line, QStringList* webAddresses) {
    auto web = WebPattern().globalMatch(line);
    while (web.hasNext()) {
        const auto m = web.next();
        if (m.capturedStart() > 0 && line[m.capturedStart() - 1] == QLatin1Char('@'))
            continue;
        QString w = m.captured();
        while (!w.isEmpty() && QStringLiteral(".),;").contains(w.back()))
            w.chop(1);
        if (webAddresses->size() < kMaxEach && !webAddresses->contains(w, Qt::CaseInsensitive))
            *webAddresses << w;
    }
}

// A link whose address the text already shows ("https://www.example.org/x" for
// "example.org/x").
bool IsKnownLink(const QString& link, const QStringList& webAddresses) {
    static const QRegularExpression scheme(QStringLiteral("^(?:https?://)?(?:www\\.)?"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString bare = QString(link).remove(scheme);
    while (bare.endsWith(QLatin1Char('/')))
        bare.chop(1);
    for (const QString& w : webAddresses)
        if (QString(w).remove(scheme).startsWith(bare, Qt::CaseInsensitive))
            return true;
    return false;
}

// "Name: Rossi" and "Vorname: Anna" on lines close together: one name, given name first.
PersonNameParts NameOfFields(const QStringList& zone, const WordLists& lists) {
    constexpr qsizetype kMaxFieldDistance = 2;
    for (qsizetype i = 0; i < zone.size(); ++i) {
        const auto given = lists.givenNameField.match(zone[i]);
        if (!given.hasMatch())
            continue;
        for (qsizetype j = std::max<qsizetype>(0, i - kMaxFieldDistance);
             j < std::min(zone.size(), i + kMaxFieldDistance + 1); ++j) {
            const auto family = lists.familyNameField.match(zone[j]);
            if (j == i || !family.hasMatch())
                continue;
            PersonNameParts n = ParsePersonName(given.captured(1).trimmed() + QLatin1Char(' ') +
                                                    family.captured(1).trimmed(),
                                                lists);
            if (!n.IsEmpty())
                return n;
        }
    }
    return {};
}

// Name: the first chunk of the header or contact zone that reads as a person's name.
PersonNameParts NameInZone(const QStringList& zone, const WordLists& lists) {
    if (PersonNameParts n = NameOfFields(zone, lists); !n.IsEmpty())
        return n;
    for (const QString& line : zone)
        for (const QString& chunk : LineChunks(line)) {
            PersonNameParts n = ParsePersonName(chunk, lists);
            if (!n.IsEmpty())
                return n;
        }
    return {};
}

// A sidebar layout can put the name anywhere: the name-like line that a job title follows,
// else the first one outside the skill lists.
PersonNameParts NameBeforeTitle(const std::vector<Section>& sections, const WordLists& lists) {
    PersonNameParts best;
    int bestScore = std::numeric_limits<int>::min();
    for (const Section& s : sections) {
        const bool list = s.kind == QLatin1String("skills") || s.kind == QLatin1String("languages");
        for (qsizetype i = 0; i < s.lines.size(); ++i) {
            PersonNameParts n = ParsePersonName(s.lines[i], lists);
            if (n.IsEmpty())
                continue;
            int score = list ? -1 : 0;
            if (i + 1 < s.lines.size() && lists.titles.Matches(WordsOf(Fold(s.lines[i + 1]))))
                score += 2;
            if (score > bestScore) {
                bestScore = score;
                best = n;
            }
        }
    }
    return best;
}

// A line's chunks, also cut at spaced dashes and dots that separate contact details
// ("Springfield, IL – (555) 010 0000 – name@example.com").
QStringList ContactChunks(const QString& line) {
    static const QRegularExpression separator(QStringLiteral("\\s+[–—·•|\\-]\\s+|\\s{2,}"));
    QStringList out;
    for (const QString& chunk : LineChunks(line))
        for (const QString& piece : chunk.split(separator, Qt::SkipEmptyParts))
            out << piece.trimmed();
    return out;
}

// A city named alone is taken when it is known, large enough and no word of the other
// lists ("Mobile", "Split" and "Nice" are towns too).
bool IsBareCity(const Address& a, const WordLists& lists) {
    const QString folded = Fold(a.municipality);
    if (lists.cityPopulation.value(folded, kMinBareCityPopulation) < kMinBareCityPopulation)
        return false;
    const QStringList words = WordsOf(folded);
    return !lists.headingKind.contains(folded) && !lists.titles.Matches(words) &&
           !lists.orgWords.Matches(words) && !lists.skills.contains(a.municipality);
}

// A run of digits as long as a telephone number's; postal codes are shorter.
bool HoldsPhoneNumber(const QString& chunk) {
    // Brazilian postal codes have eight digits; telephone numbers with their area code more.
    constexpr qsizetype kMinPhoneDigits = 9;
    static const QRegularExpression run(QStringLiteral("\\d[\\d\\s().\\-/]*\\d"));
    auto it = run.globalMatch(chunk);
    while (it.hasNext()) {
        const QString digits =
            it.next().captured().remove(QRegularExpression(QStringLiteral("\\D")));
        if (digits.size() >= kMinPhoneDigits)
            return true;
    }
    return false;
}

// "Hyderabad." without its full stop; "32-300Olkusz" with the space a layout lost.
QString NormalisedAddressChunk(QString chunk) {
    static const QRegularExpression gluedPostal(QStringLiteral("^(\\d{2}-\\d{3})(?=\\p{Lu})"),
                                                QRegularExpression::UseUnicodePropertiesOption);
    chunk.replace(gluedPostal, QStringLiteral("\\1 "));
    chunk = chunk.trimmed();
    while (chunk.endsWith(QLatin1Char('.')) || chunk.endsWith(QLatin1Char(',')))
        chunk.chop(1);
    return chunk;
}

// "Wylerstrasse 83 Bern, Switzerland": a street with its number and a known city in one
// part, cut into two parts; any other text unchanged.
QString StreetSplitFromCity(const QString& chunk, const WordLists& lists) {
    static const QRegularExpression streetCity(
        QStringLiteral("^(.*\\p{L}.*\\s\\d+[a-zA-Z]?)\\s+(\\p{L}[\\p{L} .'\\-]+?)\\s*(,.*)?$"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = streetCity.match(chunk);
    if (!m.hasMatch() || !lists.countryByCity.contains(Fold(m.captured(2))))
        return chunk;
    return m.captured(1) + QStringLiteral(", ") + m.captured(2) + m.captured(3);
}

// A municipality that names a street ("Alder St."), a school or a company is none.
bool IsPlausibleCity(const QString& municipality, const WordLists& lists) {
    static const QRegularExpression street(
        QStringLiteral("\\b(?:st|street|rd|road|ave|avenue|blvd|boulevard|dr|drive|ln|lane|"
                       "ct|court|pl|way|hwy|highway)\\.?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    if (municipality.isEmpty())
        return true;
    const QStringList words = WordsOf(Fold(municipality));
    return !street.match(municipality).hasMatch() && !lists.schools.Matches(words) &&
           !lists.orgWords.Matches(words);
}

// The address of one chunk, with the street line before it and a country after it.
Address AddressOfChunk(const QStringList& zone, qsizetype i, const QStringList& chunks, qsizetype k,
                       const WordLists& lists) {
    const QString chunk = NormalisedAddressChunk(chunks[k]);
    // A phone or a link inside the chunk is no part of the address.
    if (chunk.contains(QLatin1Char('@')) || WebPattern().match(chunk).hasMatch() ||
        HoldsPhoneNumber(chunk))
        return {};
    Address a = ParseAddressLine(chunk, lists);
    if (a.IsEmpty() || !IsPlausibleCity(a.municipality, lists))
        a = ParseAddressLine(StreetSplitFromCity(chunk, lists), lists);
    if (!IsPlausibleCity(a.municipality, lists))
        return {};
    // "Victoria Island, Lagos" above a line that names the country alone.
    if (a.IsEmpty() && k + 1 == chunks.size() && i + 1 < zone.size() &&
        lists.countryByName.contains(Fold(zone[i + 1])))
        a = ParseAddressLine(chunk + QStringLiteral(", ") + zone[i + 1], lists);
    const bool namedAlone = a.addressLines.isEmpty() && a.postalCode.isEmpty() &&
                            a.region.isEmpty() && !chunk.contains(QLatin1Char(','));
    if (a.IsEmpty() || (namedAlone && !IsBareCity(a, lists)))
        return {};
    if (a.addressLines.isEmpty()) {
        if (k > 0 && LooksLikeStreet(chunks[k - 1]))
            a.addressLines << chunks[k - 1];
        else if (k == 0 && i > 0 && LooksLikeStreet(zone[i - 1]) &&
                 LineChunks(zone[i - 1]).size() == 1)
            a.addressLines << zone[i - 1];
    }
    if (a.countryCode.isEmpty()) {
        const QString next =
            k + 1 < chunks.size() ? chunks[k + 1] : (i + 1 < zone.size() ? zone[i + 1] : QString());
        a.countryCode = lists.countryByName.value(Fold(next));
    }
    return a;
}

// Address: the first chunk of the zone that parses as one.
Address FindAddress(const QStringList& zone, const WordLists& lists) {
    for (qsizetype i = 0; i < zone.size(); ++i) {
        // Whole chunks first: "São Paulo – SP, 01310-200" holds a dash of its own.
        for (const QStringList& chunks : {LineChunks(zone[i]), ContactChunks(zone[i])})
            for (qsizetype k = 0; k < chunks.size(); ++k) {
                Address a = AddressOfChunk(zone, i, chunks, k, lists);
                if (!a.IsEmpty())
                    return a;
            }
    }
    return {};
}

// The country of an e-mail or web address's country domain ("name@example.fr"), or "".
QString CountryOfDomains(const QStringList& addresses, const WordLists& lists) {
    // Country domains sold for their letters ("startup.io") say nothing of a country.
    static const QSet<QString> vanity = {
        QStringLiteral("io"), QStringLiteral("co"), QStringLiteral("me"), QStringLiteral("tv"),
        QStringLiteral("ai"), QStringLiteral("ly"), QStringLiteral("fm"), QStringLiteral("to"),
        QStringLiteral("cc"), QStringLiteral("ws"), QStringLiteral("gg"), QStringLiteral("im"),
        QStringLiteral("sh"), QStringLiteral("ac"), QStringLiteral("is"), QStringLiteral("nu"),
        QStringLiteral("vc"), QStringLiteral("la"), QStringLiteral("md"), QStringLiteral("so")};
    static const QRegularExpression tld(QStringLiteral("\\.([a-z]{2})(?:[/:?#]|$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (const QString& address : addresses) {
        const QString host = address.section(u'@', -1);
        const QRegularExpressionMatch m = tld.match(host);
        if (!m.hasMatch() || vanity.contains(m.captured(1).toLower()))
            continue;
        const QString code = CountryCodeOf(m.captured(1), lists);
        if (lists.countryCodes.contains(code))
            return code;
    }
    return {};
}

// The region for numbers written without a country prefix.
QString PhoneRegion(const ContactDetails& c, const QStringList& zone, const WordLists& lists,
                    const ContactOptions& options) {
    QString country = options.resumeCountry.trimmed().isEmpty()
                          ? QString()
                          : CountryCodeOf(options.resumeCountry, lists);
    if (country.isEmpty())
        country = c.address.countryCode;
    if (country.isEmpty())
        country = CountryOfInternationalNumber(zone);
    if (country.isEmpty())
        country = CountryOfDomains(c.emails + c.webAddresses, lists);
    return country.isEmpty() ? QStringLiteral("US") : country;
}

} // namespace

ContactDetails ParseContact(const std::vector<Section>& input, const WordLists& lists,
                            const ContactOptions& options) {
    QStringList iconLines;
    const std::vector<Section> sections = WithoutIconGlyphs(input, &iconLines);
    ContactDetails c;
    QStringList all;
    for (const Section& s : sections)
        all << s.lines;
    const QStringList zone = ContactZone(sections, iconLines);
    for (const QString& line : all) {
        AddEmails(line, &c.emails);
        AddWebAddresses(line, &c.webAddresses);
    }
    if (options.layout) {
        // Links behind icons and words ("Email", "LinkedIn") hold what the text does not.
        for (const QString& e : MailtoAddresses(*options.layout))
            AddEmails(e, &c.emails);
        for (const QString& w : WebLinks(*options.layout))
            if (WebPattern().match(w).hasMatch() && !IsKnownLink(w, c.webAddresses) &&
                c.webAddresses.size() < kMaxEach)
                c.webAddresses << w;
        c.name = NameByLayout(*options.layout, lists);
    }
    if (c.emails.isEmpty())
        for (const QString& line : zone)
            AddEmails(Deobfuscated(line), &c.emails);

    if (c.name.IsEmpty())
        c.name = NameInZone(zone, lists);
    if (c.name.IsEmpty())
        c.name = NameBeforeTitle(sections, lists);
    c.address = FindAddress(zone, lists);

    const QString region = PhoneRegion(c, zone, lists, options);
    c.phones = FindPhones(
        zone, all, lists,
        PhoneSearch{region, options.cleanupPhoneNumbers, c.address.postalCode, kMaxEach});
    if (c.address.countryCode.isEmpty() && !c.address.IsEmpty()) {
        // The country of the first phone with an international prefix, else the resume's.
        const QString fromPhone = CountryOfPhones(c.phones);
        c.address.countryCode = fromPhone.isEmpty() ? region : fromPhone;
    }
    return c;
}

} // namespace zorv::rp
