// Loading of contactwords.txt: the words of names, addresses and domains that the contact
// parser compares with, built-in and extended by the customisation folder.
#include "WordLists.h"

namespace zorv::rp {

namespace {

QRegularExpression Never() {
    return QRegularExpression(QStringLiteral("(?!)"));
}

// Any of the words, escaped, between the given text before and after.
QRegularExpression AnyOf(const QStringList& words, const QString& before, const QString& after) {
    if (words.isEmpty())
        return Never();
    QStringList escaped;
    for (const QString& w : words)
        escaped << QRegularExpression::escape(w);
    return QRegularExpression(
        before + QStringLiteral("(?:") + escaped.join(u'|') + QLatin1Char(')') + after,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

// "Dr." and "dr" are one form of address: sets hold folded words without dots.
QString WithoutDots(const QString& word) {
    return Fold(word).remove(QLatin1Char('.'));
}

} // namespace

void LoadContactWords(const QStringList& lines, ContactWords* words) {
    QHash<QString, QStringList> byKind;
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char('|'));
        for (qsizetype i = 1; i < parts.size(); ++i)
            if (const QString w = parts[i].trimmed().toLower(); !w.isEmpty())
                byKind[parts[0].trimmed().toLower()] << w;
    }
    auto set = [&byKind](const char* kind, auto normalise) {
        QSet<QString> out;
        for (const QString& w : byKind.value(QLatin1String(kind)))
            out.insert(normalise(w));
        return out;
    };
    auto same = [](const QString& w) { return w; };
    for (const QString& w : byKind.value(QStringLiteral("notname")))
        words->notNames << Fold(w);
    words->notNameWords = set("notnameword", Fold);
    words->particles = set("particle", same);
    words->formsOfAddress = set("address", WithoutDots);
    words->generations = set("generation", WithoutDots);
    words->qualifications = set("qualification", WithoutDots);
    words->vanityDomains = set("vanitydomain", same);
    const QString label = QStringLiteral("\\s*:\\s*");
    words->nameLabel = AnyOf(byKind.value(QStringLiteral("namelabel")), QStringLiteral("^"), label);
    words->nameIntro = AnyOf(byKind.value(QStringLiteral("nameintro")), QStringLiteral("^"),
                             QStringLiteral("\\s+"));
    words->addressLabel =
        AnyOf(byKind.value(QStringLiteral("addresslabel")), QStringLiteral("^"), label);
    words->addressIntro = AnyOf(byKind.value(QStringLiteral("addressintro")), QStringLiteral("^"),
                                QStringLiteral("\\s+"));
    words->streetWord =
        AnyOf(byKind.value(QStringLiteral("street")), QStringLiteral("\\b"), QStringLiteral("\\b"));
    words->streetEnding =
        AnyOf(byKind.value(QStringLiteral("streetending")), QString(), QStringLiteral("\\s*\\d"));
    words->streetSuffix = AnyOf(byKind.value(QStringLiteral("streetsuffix")), QStringLiteral("\\b"),
                                QStringLiteral("\\.?$"));
    words->birthWord = AnyOf(byKind.value(QStringLiteral("birth")), QStringLiteral("(?<!\\p{L})"),
                             QStringLiteral("(?!\\p{L})"));
}

} // namespace zorv::rp
