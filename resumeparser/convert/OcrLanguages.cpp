// The OCR languages a host's country calls for. Tesseract loads every listed language at
// once and settles each word among them, so bilingual countries list both.
#include "OcrEngine.h"

#include <QHash>

namespace zorv::rp::convert {

namespace {

struct CountryLanguages {
    const char* code;
    const char* name; // in English, lower case
    const char* languages;
};

constexpr CountryLanguages kCountries[] = {
    {"DE", "germany", "deu+eng"},         {"AT", "austria", "deu+eng"},
    {"CH", "switzerland", "deu+fra+eng"}, {"LI", "liechtenstein", "deu+eng"},
    {"FR", "france", "fra+eng"},          {"MC", "monaco", "fra+eng"},
    {"BE", "belgium", "fra+nld+eng"},     {"LU", "luxembourg", "fra+deu+eng"},
    {"CA", "canada", "eng+fra"},          {"NL", "netherlands", "nld+eng"},
    {"ES", "spain", "spa+eng"},           {"MX", "mexico", "spa+eng"},
    {"AR", "argentina", "spa+eng"},       {"CO", "colombia", "spa+eng"},
    {"CL", "chile", "spa+eng"},           {"PE", "peru", "spa+eng"},
    {"VE", "venezuela", "spa+eng"},       {"EC", "ecuador", "spa+eng"},
    {"UY", "uruguay", "spa+eng"},         {"CR", "costa rica", "spa+eng"},
    {"PT", "portugal", "por+eng"},        {"BR", "brazil", "por+eng"},
    {"IT", "italy", "ita+eng"},           {"SM", "san marino", "ita+eng"},
};

} // namespace

QString OcrLanguagesFor(const QString& country) {
    static const QHash<QString, QString> byKey = [] {
        QHash<QString, QString> map;
        for (const CountryLanguages& c : kCountries) {
            map.insert(QString::fromLatin1(c.code).toLower(), QString::fromLatin1(c.languages));
            map.insert(QString::fromLatin1(c.name), QString::fromLatin1(c.languages));
        }
        return map;
    }();
    return byKey.value(country.trimmed().toLower(), QStringLiteral("eng"));
}

} // namespace zorv::rp::convert
