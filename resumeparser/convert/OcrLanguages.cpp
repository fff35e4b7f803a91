// The OCR languages a host's country calls for. Tesseract loads every listed language at
// once and settles each word among them, so bilingual countries list both. English is not
// added to another country's languages: read beside them it takes accented words for
// plain ones ("Universitat", "Genéve"); mail and web addresses are read again in English
// (OcrEngine.cpp).
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
    {"DE", "germany", "deu"},         {"AT", "austria", "deu"},
    {"CH", "switzerland", "deu+fra"}, {"LI", "liechtenstein", "deu"},
    {"FR", "france", "fra"},          {"MC", "monaco", "fra"},
    {"BE", "belgium", "fra+nld"},     {"LU", "luxembourg", "fra+deu"},
    {"CA", "canada", "eng+fra"},      {"NL", "netherlands", "nld"},
    {"ES", "spain", "spa"},           {"MX", "mexico", "spa"},
    {"AR", "argentina", "spa"},       {"CO", "colombia", "spa"},
    {"CL", "chile", "spa"},           {"PE", "peru", "spa"},
    {"VE", "venezuela", "spa"},       {"EC", "ecuador", "spa"},
    {"UY", "uruguay", "spa"},         {"CR", "costa rica", "spa"},
    {"PT", "portugal", "por"},        {"BR", "brazil", "por"},
    {"IT", "italy", "ita"},           {"SM", "san marino", "ita"},
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
