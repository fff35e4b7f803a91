// Postal addresses of one line: its comma-separated parts read from the end, where the
// country, the region, the postal code and the city stand in the addresses of most countries.
#include "ContactParser.h"

#include <QRegularExpression>

namespace zorv::rp {

namespace {

// Longer text is a sentence that mentions a place, not an address.
constexpr qsizetype kMaxAddressChars = 160;
// "110001": six digits after a city are an Indian PIN code.
constexpr qsizetype kIndianPinDigits = 6;

const QRegularExpression& PlaceName() {
    static const QRegularExpression re(QStringLiteral("^\\p{L}[\\p{L}\\s.'\\-]{1,40}$"));
    return re;
}

// "Dublin 2, Ireland": a city with its postal district, which is part of its name.
const QRegularExpression& CityWithDistrictPattern() {
    static const QRegularExpression re(
        QStringLiteral("^\\p{L}[\\p{L}\\s.'\\-]{1,40}?\\s+\\d{1,2}$"));
    return re;
}

// The country of the vehicle plate letters written before a postal code ("D-80331").
QString CountryOfPostalPrefix(const QString& prefix) {
    static const QHash<QString, QString> countries = {
        {QStringLiteral("D"), QStringLiteral("DE")},  {QStringLiteral("F"), QStringLiteral("FR")},
        {QStringLiteral("E"), QStringLiteral("ES")},  {QStringLiteral("A"), QStringLiteral("AT")},
        {QStringLiteral("B"), QStringLiteral("BE")},  {QStringLiteral("NL"), QStringLiteral("NL")},
        {QStringLiteral("CH"), QStringLiteral("CH")}, {QStringLiteral("L"), QStringLiteral("LU")}};
    return countries.value(prefix.toUpper());
}

// The parts of an address line without its label; parenthesised text is a part of its own
// ("Montréal (Québec) H3B 4W8").
QStringList AddressParts(const QString& input, const WordLists& lists) {
    QString text = input.simplified();
    text.remove(lists.contact.addressLabel).remove(lists.contact.addressIntro);
    if (text.isEmpty() || text.contains(QLatin1Char('@')) || text.size() > kMaxAddressChars)
        return {};
    static const QRegularExpression parenthesised(QStringLiteral("\\s*\\(([^()]{2,30})\\)\\s*"));
    text.replace(parenthesised, QStringLiteral(", \\1, "));
    QStringList parts;
    for (const QString& p : text.split(QLatin1Char(',')))
        if (!p.trimmed().isEmpty())
            parts << p.trimmed();
    return parts;
}

// Reads the parts from the last one back until one of them holds the city.
struct AddressReader {
    const WordLists& lists;
    QStringList parts;
    QString country;
    Address a;
    qsizetype cityPart = -1;

    // Takes a known region's name or abbreviation, and its country unless one is named.
    bool RegionIs(const QString& candidate) {
        auto take = [this](const Region& r, const QString& written) {
            a.region = written;
            if (country.isEmpty())
                country = r.country;
            return true;
        };
        if (auto it = lists.regionByName.constFind(Fold(candidate));
            it != lists.regionByName.constEnd())
            return take(*it, it->name);
        if (auto it = lists.regionByAbbr.constFind(candidate.trimmed());
            it != lists.regionByAbbr.constEnd())
            return take(*it, it->abbreviation);
        return false;
    }

    void CityAt(qsizetype i, const QString& city) {
        a.municipality = city;
        cityPart = i;
    }

    // The city written in part i before its code, or else the whole part before.
    void CityInOrBefore(qsizetype i, const QString& city) {
        if (!city.isEmpty())
            CityAt(i, city);
        else if (i > 0)
            CityAt(i - 1, parts[i - 1]);
    }

    // "Austin, TX 78701", the Australian "Brisbane QLD 4000" and "Ottawa ON K1A 0B1".
    bool RegionAndPostal(qsizetype i) {
        static const QRegularExpression usStateZip(
            QStringLiteral("^(?:(.+?)\\s+)?([A-Z]{2,3})\\.?\\s+(\\d{5}(?:-\\d{4})?|\\d{4})$"));
        static const QRegularExpression caProvPostal(
            QStringLiteral("^(?:(.+?)\\s+)?([A-Z]{2})\\s+([A-Z]\\d[A-Z]\\s?\\d[A-Z]\\d)$"));
        for (const QRegularExpression* re : {&usStateZip, &caProvPostal}) {
            const QRegularExpressionMatch m = re->match(parts[i]);
            if (!m.hasMatch() || !lists.regionByAbbr.contains(m.captured(2)))
                continue;
            RegionIs(m.captured(2));
            a.postalCode = m.captured(3);
            CityInOrBefore(i, m.captured(1));
            return true;
        }
        return false;
    }

    // "Montréal, QC, H3B 4W8": a Canadian postal code alone, after the province if any.
    bool CanadianPostalAlone(qsizetype i) {
        static const QRegularExpression re(QStringLiteral("^([A-Z]\\d[A-Z]\\s?\\d[A-Z]\\d)$"));
        const QRegularExpressionMatch m = re.match(parts[i]);
        if (!m.hasMatch() || i == 0)
            return false;
        a.postalCode = m.captured(1);
        if (country.isEmpty())
            country = QStringLiteral("CA");
        qsizetype c = i - 1;
        if (RegionIs(parts[c]) && c > 0)
            --c;
        CityAt(c, parts[c]);
        return true;
    }

    // "1012 AB Amsterdam".
    bool DutchPostal(qsizetype i) {
        static const QRegularExpression re(
            QStringLiteral("^(\\d{4}\\s?[A-Z]{2})\\s+(\\p{L}[\\p{L}\\s.'\\-]+)$"));
        const QRegularExpressionMatch m = re.match(parts[i]);
        if (!m.hasMatch())
            return false;
        a.postalCode = m.captured(1);
        if (country.isEmpty())
            country = QStringLiteral("NL");
        CityAt(i, m.captured(2).trimmed());
        return true;
    }

    // Postal codes before the city: "75011", "D-80331", "02-715" (Poland), "1000-001"
    // (Portugal), "411 36" (Sweden), "7550000" (Chile).
    bool PostalBeforeCity(qsizetype i) {
        static const QRegularExpression re(
            QStringLiteral("^(?:([A-Z]{1,2})-)?(\\d{2}-\\d{3}|\\d{4}-\\d{3}|\\d{3} \\d{2}|\\d{4,7})"
                           "\\s+(\\p{L}[\\p{L}\\s.'\\-]+?)(?:\\s+(?:cedex|\\d{1,2}))?$"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = re.match(parts[i]);
        if (!m.hasMatch())
            return false;
        a.postalCode = m.captured(2);
        if (country.isEmpty() && !m.captured(1).isEmpty())
            country = CountryOfPostalPrefix(m.captured(1));
        CityAt(i, m.captured(3).trimmed());
        return true;
    }

    // "London SW1A 1AA", or the postcode alone after the city.
    bool BritishPostcode(qsizetype i) {
        static const QRegularExpression re(
            QStringLiteral("^(?:(.+?)\\s+)?([A-Z]{1,2}\\d[A-Z\\d]?\\s?\\d[A-Z]{2})$"));
        const QRegularExpressionMatch m = re.match(parts[i]);
        if (!m.hasMatch() ||
            (!m.captured(1).isEmpty() && !PlaceName().match(m.captured(1)).hasMatch()))
            return false;
        a.postalCode = m.captured(2);
        if (country.isEmpty())
            country = QStringLiteral("GB");
        CityInOrBefore(i, m.captured(1));
        return true;
    }

    // "Pune 411001", "Mumbai - 400 001", "Maharashtra 400001" after the city.
    bool PostalAfterPlace(qsizetype i) {
        static const QRegularExpression re(
            QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s*[\\-–]?\\s*(\\d{3}\\s?\\d{3}|\\d{5})$"));
        const QRegularExpressionMatch m = re.match(parts[i]);
        if (!m.hasMatch())
            return false;
        a.postalCode = m.captured(2);
        const QString place = m.captured(1).trimmed();
        if (QString(a.postalCode).remove(QLatin1Char(' ')).size() == kIndianPinDigits &&
            country.isEmpty())
            country = QStringLiteral("IN");
        if (RegionIs(place) && i > 0)
            CityAt(i - 1, parts[i - 1]);
        else
            CityAt(i, place);
        return true;
    }

    // "20121 Milano (MI)": the code of a province after the postal code and the city.
    bool ProvinceAfterPostalCity(qsizetype i) {
        static const QRegularExpression code(QStringLiteral("^[A-Z]{2}$"));
        if (i == 0 || !code.match(parts[i]).hasMatch() || !PostalBeforeCity(i - 1))
            return false;
        a.region = parts[i];
        return true;
    }

    // "Bangalore, Karnataka": a region after the city.
    bool RegionAfterCity(qsizetype i) {
        if (i == 0 || !RegionIs(parts[i]))
            return false;
        CityAt(i - 1, parts[i - 1]);
        return true;
    }

    // "Wellington 6011, New Zealand": four digits after the city, where the country is named.
    bool CityWithFourDigits(qsizetype i) {
        static const QRegularExpression re(
            QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s+(\\d{4})$"));
        QRegularExpressionMatch m;
        if (country.isEmpty() || !(m = re.match(parts[i])).hasMatch())
            return false;
        a.postalCode = m.captured(2);
        CityAt(i, m.captured(1));
        return true;
    }

    // "São Paulo – SP, 01310-200": a postal code alone after the city and its state.
    bool PostalAfterCityAndState(qsizetype i) {
        static const QRegularExpression postal(QStringLiteral("^\\d{5}-\\d{3}$|^\\d{2}-\\d{3}$"));
        static const QRegularExpression cityState(
            QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s+[–\\-]\\s+([A-Z]{2})$"));
        if (!postal.match(parts[i]).hasMatch() || i == 0 || country.isEmpty())
            return false;
        a.postalCode = parts[i];
        const QRegularExpressionMatch m = cityState.match(parts[i - 1]);
        CityAt(i - 1, m.hasMatch() ? m.captured(1) : parts[i - 1]);
        if (m.hasMatch())
            a.region = m.captured(2);
        return true;
    }

    // "Portland OR", "Sydney NSW": a known city and the abbreviation of its region, in one
    // part. The city's country must be the region's, so that "Pune IN" stays no address.
    bool CityAndRegionAbbreviation(qsizetype i) {
        static const QRegularExpression re(
            QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s+([A-Z]{2,3})$"));
        const QRegularExpressionMatch m = re.match(parts[i]);
        if (!m.hasMatch())
            return false;
        const auto region = lists.regionByAbbr.constFind(m.captured(2));
        if (region == lists.regionByAbbr.constEnd() ||
            (!country.isEmpty() && country != region->country) ||
            lists.countryByCity.value(Fold(m.captured(1))) != region->country)
            return false;
        RegionIs(m.captured(2));
        CityAt(i, m.captured(1));
        return true;
    }

    // "Araras/SP": a city and its state's code after a slash, as Brazilians write them.
    bool CitySlashState(qsizetype i) {
        static const QRegularExpression re(
            QStringLiteral("^(\\p{L}[\\p{L}\\s.'\\-]+?)\\s*/\\s*([A-Z]{2})\\.?$"));
        const QRegularExpressionMatch m = re.match(parts[i]);
        if (!m.hasMatch() ||
            (country.isEmpty() && !lists.countryByCity.contains(Fold(m.captured(1)))))
            return false;
        a.region = m.captured(2);
        CityAt(i, m.captured(1));
        return true;
    }

    // "Campinas, SP": the code of a state after the city, where the country is named.
    bool RegionCodeAfterCity(qsizetype i) {
        static const QRegularExpression code(QStringLiteral("^[A-Z]{2,3}$"));
        if (i == 0 || country.isEmpty() || !code.match(parts[i]).hasMatch() ||
            !PlaceName().match(parts[i - 1]).hasMatch())
            return false;
        a.region = parts[i];
        CityAt(i - 1, parts[i - 1]);
        return true;
    }

    // The last part names the city alone: beside a country, or a city the lists know.
    bool CityAlone(qsizetype i) {
        if (i != parts.size() - 1)
            return false;
        const QString& p = parts[i];
        const bool known = !country.isEmpty() || lists.countryByCity.contains(Fold(p));
        if ((!country.isEmpty() && CityWithDistrictPattern().match(p).hasMatch()) ||
            (known && PlaceName().match(p).hasMatch())) {
            CityAt(i, p);
            return true;
        }
        return false;
    }

    // The first reading that fits part i, in the order that keeps each from taking another's
    // shape; false when none fits.
    bool ReadPart(qsizetype i) {
        return RegionAndPostal(i) || CanadianPostalAlone(i) || DutchPostal(i) ||
               PostalBeforeCity(i) || BritishPostcode(i) || PostalAfterPlace(i) ||
               ProvinceAfterPostalCity(i) || RegionAfterCity(i) || CityWithFourDigits(i) ||
               PostalAfterCityAndState(i) || CityAndRegionAbbreviation(i) || CitySlashState(i) ||
               RegionCodeAfterCity(i) || CityAlone(i);
    }

    bool HasPlausibleCity() const {
        return cityPart >= 0 &&
               (a.municipality.isEmpty() || PlaceName().match(a.municipality).hasMatch() ||
                CityWithDistrictPattern().match(a.municipality).hasMatch());
    }
};

// The country named at the end of the last part without a comma ("Bergen Norway", "Portland
// OR USA"), taken only when the words before it name a known city, with its region or not.
void SplitTrailingCountry(AddressReader* r) {
    // "Bosnia and Herzegovina": the longest country names written in resumes.
    constexpr qsizetype kMaxCountryWords = 3;
    static const QRegularExpression regionAbbreviation(
        QStringLiteral("(?:\\s+|\\s*/\\s*)[A-Z]{2,3}\\.?$"));
    const QStringList words = r->parts.back().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype n = 1; n <= kMaxCountryWords && n < words.size(); ++n) {
        const QString code =
            r->lists.countryByName.value(Fold(words.mid(words.size() - n).join(u' ')));
        if (code.isEmpty())
            continue;
        const QString head = words.mid(0, words.size() - n).join(u' ');
        if (!r->lists.countryByCity.contains(Fold(head)) &&
            !r->lists.countryByCity.contains(Fold(QString(head).remove(regionAbbreviation))))
            continue;
        r->parts.back() = head;
        r->country = code;
        return;
    }
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

Address ParseAddressLine(const QString& input, const WordLists& lists) {
    AddressReader r{lists, AddressParts(input, lists), {}, {}, -1};
    if (r.parts.isEmpty())
        return {};
    if (const QString c = lists.countryByName.value(Fold(r.parts.back())); !c.isEmpty()) {
        r.country = c;
        r.parts.pop_back();
    } else {
        SplitTrailingCountry(&r);
    }
    for (qsizetype i = r.parts.size() - 1; i >= 0 && r.cityPart < 0; --i)
        if (!r.ReadPart(i))
            break;
    if (!r.HasPlausibleCity())
        return {};
    // The parts before the city are the street.
    for (qsizetype i = 0; i < r.cityPart; ++i)
        r.a.addressLines << r.parts[i];
    if (r.country.isEmpty())
        r.country = lists.countryByCity.value(Fold(r.a.municipality));
    r.a.countryCode = r.country;
    return r.a;
}

} // namespace zorv::rp
