// Loading of the parser's word lists from the embedded resource and the user's folder.
#include "WordLists.h"

#include "FuncLib.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <map>
#include <memory>
#include <mutex>

static void InitParseResources() {
    Q_INIT_RESOURCE(parse_data);
}

namespace zorv::rp {

QString Fold(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    bool space = false;
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isSpace()) {
            space = !out.isEmpty();
            continue;
        }
        if (space)
            out += QLatin1Char(' ');
        space = false;
        out += c.toLower();
    }
    return out;
}

QStringList WordsOf(const QString& text) {
    QStringList words;
    QString current;
    auto flush = [&] {
        while (current.endsWith(QLatin1Char('.')) || current.endsWith(QLatin1Char('-')) ||
               current.endsWith(QLatin1Char('\'')))
            current.chop(1);
        bool hasAlnum = false;
        for (QChar c : current)
            hasAlnum = hasAlnum || c.isLetterOrNumber();
        if (hasAlnum)
            words << current;
        current.clear();
    };
    for (QChar c : text) {
        if (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('\'') ||
            c == QLatin1Char('+') || c == QLatin1Char('#') || c == QLatin1Char('-') ||
            c == QLatin1Char('&'))
            current += c == QChar(0x2019) ? QLatin1Char('\'') : c;
        else
            flush();
    }
    flush();
    return words;
}

namespace {

QString Dotless(QString word) {
    return word.remove(QLatin1Char('.'));
}

} // namespace

void PhraseSet::Add(const QString& entry) {
    if (entry.startsWith(QLatin1Char('*'))) {
        const QString ending = Fold(entry.mid(1));
        if (!ending.isEmpty())
            endings << ending;
        return;
    }
    QStringList words = WordsOf(Fold(entry));
    for (QString& w : words)
        w = Dotless(w);
    if (words.size() == 1)
        singles.insert(words.front());
    else if (words.size() > 1)
        phrases.push_back(words);
}

bool PhraseSet::Matches(const QStringList& input) const {
    QStringList words;
    for (const QString& w : input) {
        words << Dotless(w);
        if (w.contains(QLatin1Char('-')))
            for (const QString& part : w.split(QLatin1Char('-'), Qt::SkipEmptyParts))
                if (singles.contains(part))
                    return true;
    }
    for (const QString& w : words) {
        if (singles.contains(w))
            return true;
        for (const QString& e : endings)
            if (w.endsWith(e))
                return true;
    }
    for (const QStringList& p : phrases) {
        for (qsizetype i = 0; i + p.size() <= words.size(); ++i) {
            bool all = true;
            for (qsizetype j = 0; j < p.size() && all; ++j)
                all = words[i + j] == p[j];
            if (all)
                return true;
        }
    }
    return false;
}

namespace {

// The lines of one list: the built-in file, then the user's file of the same name.
QStringList ListLines(const QString& name, const QString& customizePath) {
    QStringList lines;
    auto read = [&lines](const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
        QTextStream in(&f);
        in.setEncoding(QStringConverter::Utf8);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
                lines << line;
        }
    };
    read(QStringLiteral(":/rp_parse/") + name);
    if (!IsBlank(customizePath))
        read(QDir(customizePath.trimmed()).filePath(name));
    return lines;
}

// Codes that the HR-XML schema accepts: ISO 3166 alpha-2 in capitals; language tags.
bool IsCountryCode(const QString& code) {
    static const QRegularExpression re(QStringLiteral("^[A-Z]{2}$"));
    return re.match(code).hasMatch();
}

bool IsLanguageCode(const QString& code) {
    static const QRegularExpression re(QStringLiteral("^[a-z]{2,3}(?:-[a-zA-Z0-9]{1,8})*$"));
    return re.match(code).hasMatch();
}

void AddDateWords(DateWords& dates, const QString& line) {
    const QStringList parts = line.split(QLatin1Char('|'));
    const QString kind = parts.front().trimmed();
    QStringList words;
    const qsizetype first = kind == QLatin1String("month")    ? 2
                            : kind == QLatin1String("season") ? 3
                                                              : 1;
    for (qsizetype i = first; i < parts.size(); ++i)
        if (const QString w = Fold(parts[i]); !w.isEmpty())
            words << w;
    const int month = parts.size() > 1 ? parts[1].toInt() : 0;
    if (kind == QLatin1String("month") && month >= 1 && month <= 12) {
        for (const QString& w : words)
            dates.months.push_back({w, month, {}});
    } else if (kind == QLatin1String("season") && parts.size() > 2 && month >= 1 && month <= 12) {
        for (const QString& w : words)
            dates.seasons.push_back({w, month, parts[2].trimmed()});
    } else if (kind == QLatin1String("present")) {
        dates.present << words;
    } else if (kind == QLatin1String("until")) {
        dates.until << words;
    } else if (kind == QLatin1String("since")) {
        dates.since << words;
    }
}

// "CC|inhabitants|name|other names": the most populous city of a name gives its country.
void LoadWorldCities(const QStringList& lines, WordLists* lists) {
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char('|'));
        const QString code = parts[0].trimmed().toUpper();
        if (parts.size() < 3 || !IsCountryCode(code))
            continue;
        const int population = parts[1].trimmed().toInt();
        for (qsizetype i = 2; i < parts.size(); ++i) {
            const QString name = Fold(parts[i]);
            if (name.isEmpty() || lists->cityPopulation.value(name, -1) >= population)
                continue;
            lists->cityPopulation.insert(name, population);
            lists->countryByCity.insert(name, code);
        }
    }
}

// One pattern per kind: any of its labels, as a whole word, at the end of the text.
void LoadPhoneLabels(const QStringList& lines, WordLists* lists) {
    QHash<QString, QStringList> byKind;
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char('|'));
        for (qsizetype i = 1; i < parts.size(); ++i)
            if (!Fold(parts[i]).isEmpty())
                byKind[parts[0].trimmed().toLower()] << QRegularExpression::escape(Fold(parts[i]));
    }
    auto pattern = [](const QStringList& labels) {
        if (labels.isEmpty())
            return QRegularExpression(QStringLiteral("(?!)"));
        return QRegularExpression(
            QStringLiteral("(?<![\\p{L}\\p{N}])(?:%1)[^\\p{L}\\p{N}]*$").arg(labels.join(u'|')),
            QRegularExpression::UseUnicodePropertiesOption);
    };
    lists->mobileLabel = pattern(byKind.value(QStringLiteral("mobile")));
    lists->faxLabel = pattern(byKind.value(QStringLiteral("fax")));
    lists->phoneLabel =
        pattern(byKind.value(QStringLiteral("phone")) + byKind.value(QStringLiteral("mobile")) +
                byKind.value(QStringLiteral("fax")));
}

// One pattern per kind of name field: a label, a colon and the value.
void LoadNameLabels(const QStringList& lines, WordLists* lists) {
    QHash<QString, QStringList> byKind;
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char('|'));
        for (qsizetype i = 1; i < parts.size(); ++i)
            if (!parts[i].trimmed().isEmpty())
                byKind[parts[0].trimmed().toLower()]
                    << QRegularExpression::escape(parts[i].trimmed());
    }
    auto pattern = [](const QStringList& labels) {
        if (labels.isEmpty())
            return QRegularExpression(QStringLiteral("(?!)"));
        return QRegularExpression(QStringLiteral("^(?:%1)\\s*:\\s*(.+)$").arg(labels.join(u'|')),
                                  QRegularExpression::CaseInsensitiveOption |
                                      QRegularExpression::UseUnicodePropertiesOption);
    };
    lists->givenNameField = pattern(byKind.value(QStringLiteral("given")));
    lists->familyNameField = pattern(byKind.value(QStringLiteral("family")));
}

std::unique_ptr<WordLists> Load(const QString& customizePath) {
    InitParseResources();
    auto lists = std::make_unique<WordLists>();
    for (const QString& line : ListLines(QStringLiteral("headings.txt"), customizePath)) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar > 0)
            lists->headingKind.insert(Fold(line.mid(bar + 1)), line.left(bar).trimmed().toLower());
    }
    for (const QString& line : ListLines(QStringLiteral("degrees.txt"), customizePath))
        lists->degrees.Add(line);
    for (const QString& line : ListLines(QStringLiteral("schools.txt"), customizePath))
        lists->schools.Add(line);
    for (const QString& line : ListLines(QStringLiteral("titles.txt"), customizePath))
        lists->titles.Add(line);
    for (const QString& line : ListLines(QStringLiteral("orgwords.txt"), customizePath)) {
        if (line.startsWith(QLatin1Char('~'))) {
            lists->weakOrgWords.Add(line.mid(1));
        } else if (line.startsWith(QLatin1Char('+'))) {
            lists->orgWords.Add(line.mid(1));
            lists->legalForms.Add(line.mid(1));
        } else {
            lists->orgWords.Add(line);
        }
    }
    for (const QString& line : ListLines(QStringLiteral("worldcountries.txt"), customizePath) +
                                   ListLines(QStringLiteral("countries.txt"), customizePath)) {
        const QStringList parts = line.split(QLatin1Char('|'));
        const QString code = parts[0].trimmed().toUpper();
        if (IsCountryCode(code))
            lists->countryCodes.insert(code);
        for (qsizetype i = 1; i < parts.size() && IsCountryCode(code); ++i)
            lists->countryByName.insert(Fold(parts[i]), code);
    }
    for (const QString& line : ListLines(QStringLiteral("regions.txt"), customizePath)) {
        const QStringList parts = line.split(QLatin1Char('|'));
        if (parts.size() != 3 || !IsCountryCode(parts[0].trimmed().toUpper()))
            continue;
        Region r{parts[0].trimmed().toUpper(), parts[1].trimmed(), parts[2].trimmed()};
        lists->regionByName.insert(Fold(r.name), r);
        // Two-letter abbreviations are read as regions only for the US and Canada, whose
        // addresses use them; elsewhere they would clash ("WA"). Longer ones, such as the
        // Australian "QLD" and "NSW", are read for every country.
        if (!r.abbreviation.isEmpty() && !lists->regionByAbbr.contains(r.abbreviation.toUpper()) &&
            (r.country == QLatin1String("US") || r.country == QLatin1String("CA") ||
             r.abbreviation.size() > 2))
            lists->regionByAbbr.insert(r.abbreviation.toUpper(), r);
    }
    for (const QString& line : ListLines(QStringLiteral("languages.txt"), customizePath)) {
        const QStringList parts = line.split(QLatin1Char('|'));
        const QString code = parts[0].trimmed().toLower();
        for (qsizetype i = 1; i < parts.size() && IsLanguageCode(code); ++i)
            lists->languageByName.insert(Fold(parts[i]), code);
    }
    LoadWorldCities(ListLines(QStringLiteral("worldcities.txt"), customizePath), lists.get());
    for (const QString& line : ListLines(QStringLiteral("cities.txt"), customizePath)) {
        const QStringList parts = line.split(QLatin1Char('|'));
        const QString code = parts[0].trimmed().toUpper();
        for (qsizetype i = 1; i < parts.size() && IsCountryCode(code); ++i)
            lists->countryByCity.insert(Fold(parts[i]), code);
    }
    LoadPhoneLabels(ListLines(QStringLiteral("phonelabels.txt"), customizePath), lists.get());
    LoadNameLabels(ListLines(QStringLiteral("namelabels.txt"), customizePath), lists.get());
    LoadContactWords(ListLines(QStringLiteral("contactwords.txt"), customizePath), &lists->contact);
    lists->skills = ListLines(QStringLiteral("skills.txt"), customizePath);
    for (const QString& line : ListLines(QStringLiteral("dates.txt"), customizePath))
        AddDateWords(lists->dates, line);
    for (const QString& line : ListLines(QStringLiteral("labels.txt"), customizePath)) {
        const QStringList parts = line.split(QLatin1Char('|'));
        for (qsizetype i = 1; i < parts.size(); ++i)
            if (const QString label = Fold(parts[i]); !label.isEmpty())
                lists->fieldLabel.insert(label, parts.front().trimmed());
    }
    return lists;
}

} // namespace

const WordLists& GetWordLists(const QString& customizePath) {
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<WordLists>> cache;
    const QString key = IsBlank(customizePath) ? QString() : customizePath.trimmed();
    std::lock_guard lock(mutex);
    auto& slot = cache[key];
    if (!slot)
        slot = Load(key);
    return *slot;
}

} // namespace zorv::rp
