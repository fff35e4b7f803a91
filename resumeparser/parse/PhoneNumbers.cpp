// Telephone numbers: candidates by shape, labels from phonelabels.txt, validation and
// formatting through libphonenumber.
#include "PhoneNumbers.h"

#include <QRegularExpression>
#include <QSet>
#include <phonenumbers/phonenumberutil.h>

#include <string>

namespace zorv::rp {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

// How much of the text before a number may hold its label ("Mobile phone (private): ").
constexpr qsizetype kLabelReach = 24;
// Digits of a dialable number, country code included (E.164 allows 15).
constexpr qsizetype kMinDigits = 7;
constexpr qsizetype kMaxDigits = 15;
// Fewer digits than this cannot be a full international number written without its "+".
constexpr qsizetype kMinBareInternationalDigits = 11;

const QRegularExpression& PhoneCandidate() {
    // An optional country prefix: "+49", "0049", "(+49)"; then digits and separators.
    static const QRegularExpression re(
        QStringLiteral(
            "(?<![\\w@./])(?:\\(\\s?\\+\\d{1,4}\\s?\\)|\\+|00)?\\s?\\(?\\d[\\d\\s().\\-/]{5,22}"
            "\\d(?:\\s*(?:ext\\.?|x|poste|durchwahl)\\s*\\d{1,5})?(?![\\w@])"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

bool LooksLikeDates(const QString& candidate) {
    static const QRegularExpression years(QStringLiteral(
        "^\\(?(?:\\d{1,2}[/.\\-])?(?:19|20)\\d\\d\\)?\\s*[\\-–/]\\s*\\(?(?:\\d{1,2}[/.\\-])?"
        "(?:19|20)\\d\\d\\)?$|^\\d{1,2}[/.\\-]\\d{1,2}[/.\\-]\\d{2,4}$"));
    return years.match(candidate.trimmed()).hasMatch();
}

QString DigitsOnly(const QString& s) {
    QString d;
    for (QChar c : s)
        if (c.isDigit())
            d += c;
    return d;
}

// "+33 6...", "0033 6...", "(+33) 6...": the candidate wrote the country prefix.
bool WrittenInternationally(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^\\(?\\s?(?:\\+|00[1-9])"));
    return re.match(text).hasMatch();
}

// The text libphonenumber reads: "00" and "(+NN)" prefixes as "+NN".
QString ForLibrary(const QString& text) {
    static const QRegularExpression bracketed(QStringLiteral("^\\(\\s?\\+(\\d{1,4})\\s?\\)"));
    QString t = text;
    t.replace(bracketed, QStringLiteral("+\\1 "));
    if (t.startsWith(QStringLiteral("00")))
        t = QLatin1Char('+') + t.mid(2);
    return t;
}

PhoneKind KindFromLabel(const QString& before, const WordLists& lists) {
    const QString f = Fold(before.right(kLabelReach));
    if (lists.faxLabel.match(f).hasMatch())
        return PhoneKind::Fax;
    if (lists.mobileLabel.match(f).hasMatch())
        return PhoneKind::Mobile;
    return PhoneKind::Telephone;
}

bool HasPhoneLabel(const QString& before, const WordLists& lists) {
    return lists.phoneLabel.match(Fold(before.right(kLabelReach))).hasMatch();
}

class PhoneParser {
public:
    explicit PhoneParser(const PhoneSearch& search)
        : region_(search.region.toStdString()), cleanup_(search.cleanup) {}

    // False when the text is no number to dial. trusted: labelled or in the contact zone,
    // where a number libphonenumber only deems possible is kept too.
    bool Parse(const QString& text, bool labelled, bool inZone, Phone* out) const {
        const QString digits = DigitsOnly(text);
        if (digits.size() < kMinDigits || digits.size() > kMaxDigits)
            return false;
        const bool international = WrittenInternationally(text);
        PhoneNumber number;
        bool valid = Read(ForLibrary(text), &number);
        // "91-98765 43210": a full international number whose "+" was left out.
        if (!valid && !international && inZone && digits.size() >= kMinBareInternationalDigits &&
            Read(QLatin1Char('+') + digits, &number))
            valid = true;
        if (!valid && !(labelled && Possible(ForLibrary(text), &number)))
            return false;
        Fill(text, number, international, out);
        if (!labelled && valid && util_->GetNumberType(number) == PhoneNumberUtil::MOBILE)
            out->kind = PhoneKind::Mobile;
        return true;
    }

private:
    bool Read(const QString& text, PhoneNumber* number) const {
        return util_->Parse(text.toStdString(), region_, number) ==
                   PhoneNumberUtil::NO_PARSING_ERROR &&
               util_->IsValidNumber(*number);
    }

    bool Possible(const QString& text, PhoneNumber* number) const {
        return util_->Parse(text.toStdString(), region_, number) ==
                   PhoneNumberUtil::NO_PARSING_ERROR &&
               util_->IsPossibleNumber(*number);
    }

    void Fill(const QString& text, const PhoneNumber& number, bool international,
              Phone* out) const {
        std::string formatted;
        std::string numberRegion;
        util_->GetRegionCodeForNumber(number, &numberRegion);
        util_->Format(number, PhoneNumberUtil::E164, &formatted);
        out->digits = QString::fromStdString(formatted).mid(1);
        if (!cleanup_) {
            out->formatted = text.simplified();
            return;
        }
        // Cleaning up changes the layout, never what was written: a country prefix stays.
        const bool national = numberRegion == region_ && !international;
        util_->Format(number, national ? PhoneNumberUtil::NATIONAL : PhoneNumberUtil::INTERNATIONAL,
                      &formatted);
        out->formatted = QString::fromStdString(formatted);
    }

    PhoneNumberUtil* util_ = PhoneNumberUtil::GetInstance();
    std::string region_;
    bool cleanup_ = false;
};

struct PhoneScan {
    const WordLists& lists;
    const PhoneSearch& search;
    PhoneParser parser;
    std::vector<Phone> found;

    void Line(const QString& line, bool inZone) {
        // Contact details parted by spaced dashes ("43215 - (614) 227-5091 - jo@x.com", a
        // scan's reading of middle dots) run together into one candidate: each part is
        // tried on its own, and the search goes on at the last, which may run on further.
        static const QRegularExpression spacedDash(QStringLiteral("\\s[-\u2013]\\s"));
        constexpr qsizetype kDashLength = 3;
        qsizetype offset = 0;
        while (static_cast<qsizetype>(found.size()) < search.maxCount) {
            const QRegularExpressionMatch m = PhoneCandidate().match(line, offset);
            if (!m.hasMatch())
                return;
            offset = m.capturedEnd();
            if (Try(line, m.capturedStart(), m.captured(), inZone))
                continue;
            const QStringList parts = m.captured().split(spacedDash);
            if (parts.size() < 2)
                continue;
            qsizetype start = m.capturedStart();
            for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
                Try(line, start, parts[i], inZone);
                start += parts[i].size() + kDashLength;
            }
            offset = start;
        }
    }

    bool Try(const QString& line, qsizetype start, const QString& text, bool inZone) {
        const QString candidate = text.trimmed();
        if (LooksLikeDates(candidate))
            return false;
        // "São Paulo – SP, 01310-200": the postal code of the address is no phone.
        if (!search.postalCode.isEmpty() && DigitsOnly(candidate) == DigitsOnly(search.postalCode))
            return false;
        const QString before = line.left(start);
        const bool labelled = HasPhoneLabel(before, lists);
        if (!inZone && !labelled && !WrittenInternationally(candidate))
            return false;
        Phone p;
        p.kind = KindFromLabel(before, lists);
        if (!parser.Parse(candidate, labelled, inZone, &p))
            return false;
        if (labelled)
            p.kind = KindFromLabel(before, lists);
        Add(p);
        return true;
    }

    void Add(const Phone& p) {
        for (const Phone& q : found)
            if (q.digits == p.digits)
                return;
        found.push_back(p);
    }
};

} // namespace

std::vector<Phone> FindPhones(const QStringList& zone, const QStringList& others,
                              const WordLists& lists, const PhoneSearch& search) {
    PhoneScan scan{lists, search, PhoneParser(search), {}};
    for (const QString& line : zone)
        scan.Line(line, true);
    const QSet<QString> zoneLines(zone.begin(), zone.end());
    for (const QString& line : others)
        if (!zoneLines.contains(line))
            scan.Line(line, false);
    return scan.found;
}

QString CountryOfInternationalNumber(const QStringList& lines) {
    static const QRegularExpression international(QStringLiteral(
        "(?:\\(\\s?\\+\\d{1,4}\\s?\\)|(?:\\+|\\b00)\\s?[1-9])[\\d\\s().\\-/]{6,20}\\d"));
    PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    for (const QString& line : lines) {
        auto it = international.globalMatch(line);
        while (it.hasNext()) {
            const QString text = ForLibrary(it.next().captured().trimmed());
            PhoneNumber number;
            if (util->Parse(text.toStdString(), "ZZ", &number) !=
                    PhoneNumberUtil::NO_PARSING_ERROR ||
                !util->IsValidNumber(number))
                continue;
            std::string region;
            util->GetRegionCodeForNumber(number, &region);
            return QString::fromStdString(region);
        }
    }
    return {};
}

QString CountryOfPhones(const std::vector<Phone>& phones) {
    PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    for (const Phone& p : phones) {
        PhoneNumber number;
        if (util->Parse((QLatin1Char('+') + p.digits).toStdString(), "ZZ", &number) !=
            PhoneNumberUtil::NO_PARSING_ERROR)
            continue;
        std::string region;
        util->GetRegionCodeForNumber(number, &region);
        return region == "ZZ" ? QString() : QString::fromStdString(region);
    }
    return {};
}

} // namespace zorv::rp
