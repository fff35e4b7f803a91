// Contact extraction: names, e-mails, web links, phones and postal addresses.
#include "ContactParser.h"

#include "FuncLib.h"
#include "LayoutSignals.h"
#include "PhoneNumbers.h"

#include <QRegularExpression>
#include <QUrl>

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

// A line of a street address: a house number first or last, or a street word.
bool LooksLikeStreet(const QString& line, const WordLists& lists) {
    // Longer lines are sentences that mention a street.
    constexpr qsizetype kMaxStreetChars = 80;
    static const QRegularExpression numbered(
        QStringLiteral("^\\d+[a-zA-Z]?[,\\s]|^[\\p{L} .'\\-]+\\s\\d+[a-zA-Z]?$"),
        QRegularExpression::UseUnicodePropertiesOption);
    if (line.contains(QLatin1Char('@')) || line.size() >= kMaxStreetChars)
        return false;
    return numbered.match(line).hasMatch() || lists.contact.streetWord.match(line).hasMatch() ||
           lists.contact.streetEnding.match(line).hasMatch();
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
// iconLines: lines that had icon glyphs, which mark contact details in any part of a page;
// iconStart receives the index of the first zone line that only an icon brought in.
QStringList ContactZone(const std::vector<Section>& sections, const QStringList& iconLines,
                        qsizetype* iconStart) {
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
    *iconStart = zone.size();
    for (const QString& line : iconLines)
        add(line);
    return zone;
}

// Icon fonts put their glyphs in the private use areas, and emoji and dingbats ("📍", "☎")
// stand for contact details too; glued to an address or a number ("\uf3c5Lyon") they would
// hide it. iconFound tells whether an icon font's glyph was there.
QString WithoutIconGlyphs(QString line, bool* iconFound) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char32_t c = line[i].isHighSurrogate() && i + 1 < line.size()
                               ? QChar::surrogateToUcs4(line[i], line[i + 1])
                               : line[i].unicode();
        const QChar::Category category = QChar::category(c);
        if (category != QChar::Other_PrivateUse && category != QChar::Symbol_Other)
            continue;
        *iconFound = *iconFound || category == QChar::Other_PrivateUse;
        const qsizetype width = c > 0xFFFF ? 2 : 1;
        line.replace(i, width, QLatin1Char(' '));
    }
    return line;
}

// "[LinkedIn](https://…)" as its text and target in chunks of their own, the target alone
// when the text repeats it; a "mailto:" target as its address.
QString MarkdownLinksResolved(const QString& line) {
    static const QRegularExpression link(
        QStringLiteral("\\[([^\\[\\]]*)\\]\\(\\s*(?:mailto:)?([^()\\s]+)\\s*\\)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression scheme(QStringLiteral("^(?:https?://)?(?:www\\.)?"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype end = 0;
    auto it = link.globalMatch(line);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString text = m.captured(1).trimmed();
        const QString target = m.captured(2);
        out += line.mid(end, m.capturedStart() - end);
        const bool repeats = QString(text).remove(scheme).compare(QString(target).remove(scheme),
                                                                  Qt::CaseInsensitive) == 0;
        out += text.isEmpty() || repeats ? target : text + QStringLiteral(" | ") + target;
        end = m.capturedEnd();
    }
    return out + line.mid(end);
}

// Markdown kept as text ("# Name", "**Email:** name@example.org", "- City: Lyon") without
// its markup.
QString WithoutMarkdown(const QString& line) {
    static const QRegularExpression heading(QStringLiteral("^#{1,6}\\s+"));
    static const QRegularExpression emphasis(QStringLiteral("\\*\\*|(?<!\\w)__|__(?!\\w)|`"));
    // "*Jane Doe*" and "_Lyon_", but not the underscores inside "jane_doe@example.org".
    static const QRegularExpression single(
        QStringLiteral("(?<![\\w*])\\*(?=\\S)([^*]+?)(?<=\\S)\\*(?![\\w*])|"
                       "(?<!\\w)_(?=\\S)([^_]+?)(?<=\\S)_(?!\\w)"));
    // Markdown escapes its own signs: "jane\_doe@example.org".
    static const QRegularExpression escaped(QStringLiteral("\\\\([\\\\`*_{}\\[\\]()#+\\-.!|])"));
    QString out = MarkdownLinksResolved(QString(line).replace(escaped, QStringLiteral("\\1")));
    out.remove(heading).remove(emphasis).replace(single, QStringLiteral("\\1\\2"));
    out = out.trimmed();
    return IsBulletLine(out) ? StripBullet(out) : out;
}

// The sections without icon glyphs and markdown; iconLines receives the lines that had
// icon glyphs.
std::vector<Section> ContactSections(std::vector<Section> sections, QStringList* iconLines) {
    for (Section& s : sections)
        for (QString& line : s.lines) {
            bool icon = false;
            line = WithoutMarkdown(WithoutIconGlyphs(line, &icon).trimmed());
            if (icon)
                *iconLines << line;
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
    // "John Carter — Senior Engineer": the name beside the title, after whole chunks failed.
    static const QRegularExpression dash(QStringLiteral("\\s+[–—\\-]\\s+"));
    for (const QString& line : zone)
        for (const QString& chunk : LineChunks(line))
            for (const QString& piece : chunk.split(dash, Qt::SkipEmptyParts))
                if (PersonNameParts n = ParsePersonName(piece, lists); !n.IsEmpty())
                    return n;
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
    // Icons of fonts without Unicode names come out as "+", "#" or "§" before the text.
    static const QRegularExpression leadingSigns(QStringLiteral("^[^\\p{L}\\p{N}(]+"),
                                                 QRegularExpression::UseUnicodePropertiesOption);
    chunk.replace(gluedPostal, QStringLiteral("\\1 "));
    chunk = chunk.trimmed().remove(leadingSigns);
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
    if (municipality.isEmpty())
        return true;
    const QStringList words = WordsOf(Fold(municipality));
    return !lists.contact.streetSuffix.match(municipality).hasMatch() &&
           !lists.schools.Matches(words) && !lists.orgWords.Matches(words);
}

// The address of one chunk, with the street line before it and a country after it.
Address AddressOfChunk(const QStringList& zone, qsizetype i, const QStringList& chunks, qsizetype k,
                       const WordLists& lists) {
    const QString chunk = NormalisedAddressChunk(chunks[k]);
    // A phone or a link inside the chunk is no part of the address.
    if (chunk.contains(QLatin1Char('@')) || WebPattern().match(chunk).hasMatch() ||
        HoldsPhoneNumber(chunk))
        return {};
    // "Born in Seville", "Place of birth: Graz": a place the candidate does not live in.
    if (lists.contact.birthWord.match(chunk.normalized(QString::NormalizationForm_C)).hasMatch())
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
        if (k > 0 && LooksLikeStreet(chunks[k - 1], lists))
            a.addressLines << chunks[k - 1];
        else if (k == 0 && i > 0 && LooksLikeStreet(zone[i - 1], lists) &&
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

// A city that several icon lines outside the header name is where entries took place: a
// template sets a pin before each employer's town.
bool IsEntryLocation(const Address& a, const QStringList& iconOnlyLines) {
    qsizetype count = 0;
    for (const QString& line : iconOnlyLines)
        if (line.contains(a.municipality, Qt::CaseInsensitive) && ++count > 1)
            return true;
    return false;
}

// Address: the first chunk of the zone that parses as one.
Address FindAddress(const QStringList& zone, qsizetype iconStart, const WordLists& lists) {
    const QStringList iconOnly = zone.mid(iconStart);
    for (qsizetype i = 0; i < zone.size(); ++i) {
        // Whole chunks first: "São Paulo – SP, 01310-200" holds a dash of its own.
        for (const QStringList& chunks : {LineChunks(zone[i]), ContactChunks(zone[i])})
            for (qsizetype k = 0; k < chunks.size(); ++k) {
                Address a = AddressOfChunk(zone, i, chunks, k, lists);
                if (!a.IsEmpty() && (i < iconStart || !IsEntryLocation(a, iconOnly)))
                    return a;
            }
    }
    return {};
}

// The country of an e-mail or web address's country domain ("name@example.fr"), or "".
QString CountryOfDomains(const QStringList& addresses, const WordLists& lists) {
    static const QRegularExpression tld(QStringLiteral("\\.([a-z]{2})(?:[/:?#]|$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (const QString& address : addresses) {
        const QString host = address.section(u'@', -1);
        const QRegularExpressionMatch m = tld.match(host);
        if (!m.hasMatch() || lists.contact.vanityDomains.contains(m.captured(1).toLower()))
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

// Links behind icons and words ("Email", "LinkedIn") hold what the text does not.
void AddLinkedDetails(const DocumentLayout& layout, ContactDetails* c) {
    for (const QString& e : MailtoAddresses(layout))
        AddEmails(e, &c->emails);
    for (const QString& w : WebLinks(layout))
        if (WebPattern().match(w).hasMatch() && !IsKnownLink(w, c->webAddresses) &&
            c->webAddresses.size() < kMaxEach)
            c->webAddresses << w;
}

// The numbers of "tel:" links as labelled lines: a page may show them as a word ("Call").
QStringList TelLinkLines(const DocumentLayout& layout) {
    static const QString scheme = QStringLiteral("tel:");
    QStringList out;
    for (const LayoutLine& line : layout.lines)
        for (const QString& link : line.links)
            if (link.startsWith(scheme, Qt::CaseInsensitive))
                out << QStringLiteral("Tel: ") +
                           QUrl::fromPercentEncoding(link.mid(scheme.size()).toUtf8()).trimmed();
    return out;
}

} // namespace

ContactDetails ParseContact(const std::vector<Section>& input, const WordLists& lists,
                            const ContactOptions& options) {
    QStringList iconLines;
    const std::vector<Section> sections = ContactSections(input, &iconLines);
    ContactDetails c;
    QStringList all;
    for (const Section& s : sections)
        all << s.lines;
    qsizetype iconStart = 0;
    const QStringList zone = ContactZone(sections, iconLines, &iconStart);
    for (const QString& line : all) {
        AddEmails(line, &c.emails);
        AddWebAddresses(line, &c.webAddresses);
    }
    if (options.layout) {
        AddLinkedDetails(*options.layout, &c);
        c.name = NameByLayout(*options.layout, lists);
    }
    if (c.emails.isEmpty())
        for (const QString& line : zone)
            AddEmails(Deobfuscated(line), &c.emails);

    if (c.name.IsEmpty())
        c.name = NameInZone(zone, lists);
    if (c.name.IsEmpty())
        c.name = NameBeforeTitle(sections, lists);
    c.address = FindAddress(zone, iconStart, lists);

    const QString region = PhoneRegion(c, zone, lists, options);
    c.phones = FindPhones(
        options.layout ? zone + TelLinkLines(*options.layout) : zone, all, lists,
        PhoneSearch{region, options.cleanupPhoneNumbers, c.address.postalCode, kMaxEach});
    if (c.address.countryCode.isEmpty() && !c.address.IsEmpty()) {
        // The country of the first phone with an international prefix, else the resume's.
        const QString fromPhone = CountryOfPhones(c.phones);
        c.address.countryCode = fromPhone.isEmpty() ? region : fromPhone;
    }
    return c;
}

} // namespace zorv::rp
