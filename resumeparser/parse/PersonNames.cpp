// Person names: a line's text read as given, middle and family names with the forms of
// address, generations and qualifications around them.
#include "ContactParser.h"
#include "EntryFragments.h"

#include <QRegularExpression>

#include <algorithm>

namespace zorv::rp {

namespace {

// Affixes are of one kind; a word may be a form of address before the name and a
// generation after it ("Sr").
enum class Affix { None, FormOfAddress, Generation, Qualification };

// Roman numerals that are generations, never post-nominal letters.
bool IsRomanGeneration(const QString& folded) {
    return folded == QLatin1String("ii") || folded == QLatin1String("iii") ||
           folded == QLatin1String("iv");
}

// Post-nominal letters in capitals ("MBBS", "MRCP", "P.Eng.") after a comma of the name.
bool IsPostNominal(const QString& word, const QString& folded) {
    constexpr qsizetype kMinLetters = 3;
    static const QRegularExpression postNominal(
        QStringLiteral("^(?:[A-Z]\\.?){2,6}$|^P\\.\\s?Eng\\.?$"));
    return !IsRomanGeneration(folded) && postNominal.match(word.trimmed()).hasMatch() &&
           word.trimmed().size() >= kMinLetters;
}

// "Doç.Dr.", "Prof.Dr.": several forms of address written as one word.
bool IsJoinedFormsOfAddress(const QString& word, const ContactWords& vocab) {
    if (word.count(QLatin1Char('.')) <= 1)
        return false;
    const QStringList pieces = Fold(word).split(QLatin1Char('.'), Qt::SkipEmptyParts);
    return pieces.size() > 1 && std::all_of(pieces.begin(), pieces.end(), [&](const QString& p) {
               return vocab.formsOfAddress.contains(p);
           });
}

Affix AffixKind(const QString& word, const ContactWords& vocab, bool atStart,
                bool afterComma = false) {
    const QString w = Fold(word).remove(QLatin1Char('.')).remove(QLatin1Char(','));
    if (afterComma && IsPostNominal(word, w))
        return Affix::Qualification;
    if (atStart && (vocab.formsOfAddress.contains(w) || IsJoinedFormsOfAddress(word, vocab)))
        return Affix::FormOfAddress;
    if (!atStart && vocab.generations.contains(w))
        return Affix::Generation;
    if (!atStart && vocab.qualifications.contains(w))
        return Affix::Qualification;
    return Affix::None;
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

// The text of a name candidate without its label, or "" when it cannot be a name.
QString NameText(const QString& input, const WordLists& lists) {
    constexpr qsizetype kMaxPersonNameChars = 60;
    // PDF text may spell "é" as "e" and a combining accent, which is no letter of its own.
    QString text = input.normalized(QString::NormalizationForm_C).simplified();
    text.remove(lists.contact.nameLabel).remove(lists.contact.nameIntro);
    if (text.isEmpty() || text.size() > kMaxPersonNameChars)
        return {};
    for (QChar c : text)
        if (c.isDigit() || c == QLatin1Char('@') || c == QLatin1Char(':') || c == QLatin1Char('/'))
            return {};
    const QString folded = Fold(text);
    for (const QString& n : lists.contact.notNames)
        if (folded == n || folded.startsWith(n + QLatin1Char(' ')))
            return {};
    if (lists.headingKind.contains(folded) || lists.countryByName.contains(folded) ||
        lists.regionByName.contains(folded))
        return {};
    return text;
}

bool AllAffixes(const QStringList& words, const ContactWords& vocab) {
    return std::all_of(words.begin(), words.end(), [&](const QString& w) {
        return AffixKind(w, vocab, false, true) != Affix::None;
    });
}

// "Family, Given" and "Given Family, PhD": text becomes the name in reading order, trailing
// receives the affixes after commas. False when the commas show no name ("Paris, France").
bool ResolveCommas(QString* text, QStringList* trailing, bool* familyFirstByComma,
                   const WordLists& lists) {
    QStringList commaParts = text->split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& p : commaParts)
        p = p.trimmed();
    // "Jonathan Whitaker, Jr., Esq.": trailing parts made of affixes only.
    while (
        commaParts.size() > 2 &&
        AllAffixes(commaParts.back().split(QLatin1Char(' '), Qt::SkipEmptyParts), lists.contact)) {
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
    if (AllAffixes(second, lists.contact)) {
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
        if (lists.contact.particles.contains(w.toLower()) && w[0].isLower())
            continue;
        if (!w[0].isUpper())
            return false;
        ++capitalised;
    }
    if (capitalised < kMinWords)
        return false;
    const QStringList folded = WordsOf(Fold(words.join(QLatin1Char(' '))));
    if (std::any_of(folded.begin(), folded.end(),
                    [&](const QString& w) { return lists.contact.notNameWords.contains(w); }))
        return false;
    return !lists.titles.Matches(folded) && !lists.schools.Matches(folded) &&
           !lists.orgWords.Matches(folded) && !lists.degrees.Matches(folded);
}

// Given, middle and family names of the name's words.
void FillNameParts(QStringList words, bool familyFirstByComma, const ContactWords& vocab,
                   PersonNameParts* name) {
    // "DUBOIS Jean": a family name in capitals before given names in mixed case.
    qsizetype capsLead = 0;
    while (capsLead < words.size() && IsUpperText(words[capsLead]) && words[capsLead].size() > 1)
        ++capsLead;
    const bool familyFirst = !familyFirstByComma && capsLead > 0 && capsLead < words.size() &&
                             std::all_of(words.begin() + capsLead, words.end(),
                                         [](const QString& w) { return !IsUpperText(w); });
    QStringList family, given;
    if (familyFirst) {
        family = words.mid(0, capsLead);
        given = words.mid(capsLead);
    } else {
        // The family name starts at its first particle, or is the last word.
        qsizetype start = words.size() - 1;
        for (qsizetype i = 1; i < words.size() - 1; ++i)
            if (vocab.particles.contains(words[i].toLower())) {
                start = i;
                break;
            }
        family = words.mid(start);
        given = words.mid(0, start);
    }
    for (QString& w : family)
        if (IsUpperText(w))
            w = vocab.particles.contains(w.toLower()) && &w != &family.back() ? w.toLower()
                                                                              : TitleCased(w);
    for (QString& w : given)
        if (IsUpperText(w) && (w.size() > 2 || !w.contains(QLatin1Char('.'))))
            w = TitleCased(w);
    QStringList prefix;
    while (family.size() > 1 && vocab.particles.contains(family.front().toLower())) {
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
    while (!words.isEmpty() && AffixKind(words.front(), lists.contact, true) != Affix::None) {
        name.formsOfAddress << words.front();
        words.pop_front();
    }
    while (words.size() > 1 && AffixKind(words.back(), lists.contact, false) != Affix::None) {
        trailing.prepend(words.back());
        words.pop_back();
    }
    for (const QString& t : trailing) {
        if (AffixKind(t, lists.contact, false, true) == Affix::Generation)
            name.generations << t;
        else
            name.qualifications << t;
    }
    if (!AreNameWords(words, lists))
        return {};
    FillNameParts(words, familyFirstByComma, lists.contact, &name);
    return name;
}

} // namespace zorv::rp
