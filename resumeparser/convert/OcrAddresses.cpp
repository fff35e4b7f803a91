// Mail and web addresses in OCR output: which words may be one, and whether a second
// reading of one (by the English model) is a sound address to put in its place.
#include "OcrEngine.h"

#include <QLocale>
#include <QRegularExpression>

namespace zorv::rp::convert {

namespace {

// Mail and web addresses: a word with an "@", or one ending in a dot and a top-level domain.
bool IsAddress(const QString& word) {
    static const QRegularExpression address(
        QStringLiteral("@|^www\\.|[A-Za-z0-9]\\.[A-Za-z]{2,6}$"));
    return word.contains(address);
}

// Whether the address ends in a domain that exists: a country's code or a generic one.
bool HasKnownDomain(const QString& address) {
    static const QRegularExpression ending(QStringLiteral("\\.([A-Za-z]{2,6})$"));
    static const QStringList kGeneric = {
        QStringLiteral("com"), QStringLiteral("net"), QStringLiteral("org"), QStringLiteral("edu"),
        QStringLiteral("gov"), QStringLiteral("int"), QStringLiteral("mil"), QStringLiteral("info"),
        QStringLiteral("biz"), QStringLiteral("uk"),  QStringLiteral("eu")};
    const QRegularExpressionMatch m = ending.match(address);
    if (!m.hasMatch())
        return false;
    const QString tld = m.captured(1).toLower();
    return kGeneric.contains(tld) ||
           (tld.size() == 2 && QLocale::codeToTerritory(tld) != QLocale::AnyTerritory);
}

// How many signs (no letters, no digits) stand at the front or the back of the text.
qsizetype SignsAtEdge(const QString& text, bool front) {
    qsizetype n = 0;
    while (n < text.size() && !text[front ? n : text.size() - 1 - n].isLetterOrNumber())
        ++n;
    return n;
}

} // namespace

bool MayBeAddress(const QString& word) {
    static const QRegularExpression innerDot(QStringLiteral("[A-Za-z0-9]\\.[A-Za-z0-9]"));
    return IsAddress(word) || word.contains(innerDot);
}

QString AddressOrWord(QString read, const QString& word) {
    // An address holds no spaces: a word read as several is one with its dots apart.
    static const QRegularExpression space(QStringLiteral("\\s"));
    read.remove(space);
    // The signs around it are the word's own ("(jo@x.fr)," keeps its brackets and comma),
    // not specks at the edge of the crop; a dot after it was the domain's, read on here.
    const qsizetype lead = SignsAtEdge(read, true);
    read = read.mid(lead, read.size() - lead - SignsAtEdge(read, false));
    if (!IsAddress(read) || read.contains(QStringLiteral("..")) ||
        (word.contains(u'@') && !read.contains(u'@')) ||
        (!HasKnownDomain(read) && HasKnownDomain(word)))
        return word;
    if (word == word.toLower())
        read = read.toLower();
    QString tail = word.right(SignsAtEdge(word, false));
    if (tail.startsWith(u'.'))
        tail.clear();
    return word.left(SignsAtEdge(word, true)) + read + tail;
}

} // namespace zorv::rp::convert
