// The word lists that steer the resume parser (section headings, degrees, schools, job-title
// words, organisation words, countries, regions, languages, skills). The built-in lists are
// data files embedded as a Qt resource; files of the same name in the user's customisation
// folder add to them.
#pragma once

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace zorv::rp {

// Lower case, diacritics removed, runs of white space made one space, trimmed.
QString Fold(const QString& text);

// Words of a folded text, split at everything but letters, digits and . ' + # - &;
// trailing dots dropped, pieces without a letter or digit left out.
QStringList WordsOf(const QString& text);

// Single words and phrases of several words, matched as whole words.
// Entries starting with "*" match the end of a word ("*entwickler": "Softwareentwickler").
// Dots inside words do not count ("B.Sc." matches "bsc"); parts of hyphenated words match too.
struct PhraseSet {
    QSet<QString> singles;
    std::vector<QStringList> phrases;
    QStringList endings;
    void Add(const QString& entry);
    bool Matches(const QStringList& words) const;
    bool Matches(const QString& text) const { return Matches(WordsOf(Fold(text))); }
};

struct Region {
    QString country; // ISO 3166 alpha-2
    QString abbreviation;
    QString name;
};

// Names of months and seasons, and the words around dates (dates.txt), folded.
struct DateWords {
    struct Named {
        QString name;
        int month = 0;
        QString english; // seasons: the English name written into the document
    };
    std::vector<Named> months;
    std::vector<Named> seasons;
    QStringList present; // "until now"
    QStringList until;   // between the two dates of a range
    QStringList since;   // before a lone date: from then until now
};

// Words of contact details (contactwords.txt); the sets hold lower-case words.
struct ContactWords {
    QStringList notNames;         // folded starts of lines that are no name
    QSet<QString> notNameWords;   // folded words that no person's name holds
    QSet<QString> particles;      // "van", "de": words inside family names
    QSet<QString> formsOfAddress; // folded, without dots: "mr", "dr-ing"
    QSet<QString> generations;    // "jr", "iii"
    QSet<QString> qualifications; // "phd", "mba"
    QSet<QString> vanityDomains;  // "io": country domains that tell no country
    QRegularExpression nameLabel; // "Name:" at the start of a line
    QRegularExpression nameIntro; // "Resume of" before a name
    QRegularExpression addressLabel;
    QRegularExpression addressIntro; // "Based in" before an address
    QRegularExpression streetWord;   // a street word anywhere in a line
    QRegularExpression streetEnding; // a street name's ending before its number
    QRegularExpression streetSuffix; // a street word at the end of a text
    QRegularExpression birthWord;    // "born", "Geburtsort": a place that is no home
};

// Fills words from the "kind|word|word" lines of contactwords.txt.
void LoadContactWords(const QStringList& lines, ContactWords* words);

struct WordLists {
    QHash<QString, QString> headingKind; // folded heading -> kind
    PhraseSet degrees;
    PhraseSet schools;
    PhraseSet titles;
    PhraseSet orgWords;     // strong signs of an organisation (Inc, GmbH, Bank, Hospital)
    PhraseSet weakOrgWords; // words that titles use too (Software, Systems, Group)
    PhraseSet legalForms;   // the strong signs that end a name (Inc., GmbH, LLP)
    QHash<QString, QString> countryByName;  // folded name -> code
    QSet<QString> countryCodes;             // every code of the country lists
    QHash<QString, Region> regionByName;    // folded name -> region
    QHash<QString, Region> regionByAbbr;    // upper-case abbreviation (US and CA) -> region
    QHash<QString, QString> languageByName; // folded name -> ISO 639-1 code
    QHash<QString, QString> countryByCity;  // folded city -> country code
    QHash<QString, int> cityPopulation;     // folded city -> inhabitants (world cities list)
    // Telephone labels (phonelabels.txt), each matching at the end of a folded text.
    QRegularExpression phoneLabel;
    QRegularExpression mobileLabel;
    QRegularExpression faxLabel;
    // "Label: value" lines of the given and family names (namelabels.txt); the value in cap 1.
    QRegularExpression givenNameField;
    QRegularExpression familyNameField;
    QStringList skills;
    DateWords dates;
    QHash<QString, QString> fieldLabel; // folded label -> "title", "employer", "other" or "place"
    ContactWords contact;
};

// The built-in lists extended by the files of customizePath (blank: built-in only).
// Loaded once per folder and kept; safe to call from several threads.
const WordLists& GetWordLists(const QString& customizePath);

} // namespace zorv::rp
