// Quality and speed of the resume parser. Before the timings it runs the whole sample set of
// tests/data/resumes (NAME.<any input format> with its hand-written NAME.expected) through
// Convert then Parse, and prints field-level precision, recall and F1 per field and overall,
// then the overall figures per input format. ZORV_QUALITY_DETAIL=1 also lists, per resume,
// the values missed and the values found wrongly.
#include "HrXmlQuery.h"
#include "ResumeParserCore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <benchmark/benchmark.h>
#include <phonenumbers/phonenumberutil.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

using zorv::rp::ParserSettings;
using zorv::test::HrXmlDoc;

const QStringList kFields = {
    QStringLiteral("name"),    QStringLiteral("email"),    QStringLiteral("phone"),
    QStringLiteral("city"),    QStringLiteral("region"),   QStringLiteral("postal"),
    QStringLiteral("country"), QStringLiteral("employer"), QStringLiteral("title"),
    QStringLiteral("start"),   QStringLiteral("end"),      QStringLiteral("degree"),
    QStringLiteral("school"),  QStringLiteral("skill")};

using FieldValues = std::map<QString, QStringList>;

QString Normalised(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('#'))
            out += c.toLower();
        else
            out += QLatin1Char(' ');
    }
    return out.simplified();
}

QString PhoneKey(const QString& number, const QString& country) {
    auto* util = i18n::phonenumbers::PhoneNumberUtil::GetInstance();
    i18n::phonenumbers::PhoneNumber parsed;
    if (util->Parse(number.toStdString(), country.isEmpty() ? "US" : country.toStdString(),
                    &parsed) != i18n::phonenumbers::PhoneNumberUtil::NO_PARSING_ERROR)
        return Normalised(number);
    std::string e164;
    util->Format(parsed, i18n::phonenumbers::PhoneNumberUtil::E164, &e164);
    return QString::fromStdString(e164);
}

QString DateKey(const QString& text) {
    const QString t = text.trimmed().toLower();
    return t == QLatin1String("present") ? QStringLiteral("present") : t;
}

FieldValues ReadExpected(const QString& path) {
    FieldValues v;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return v;
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString key = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("job")) {
            const QStringList p = value.split(QLatin1Char('|'));
            const QStringList names = {QStringLiteral("employer"), QStringLiteral("title"),
                                       QStringLiteral("start"), QStringLiteral("end")};
            for (qsizetype i = 0; i < names.size() && i < p.size(); ++i)
                v[names[i]] << p[i].trimmed();
        } else if (key == QLatin1String("degree")) {
            const QStringList p = value.split(QLatin1Char('|'));
            v[QStringLiteral("degree")] << p.value(0).trimmed();
            v[QStringLiteral("school")] << p.value(1).trimmed();
        } else if (key == QLatin1String("skills")) {
            for (const QString& s : value.split(QLatin1Char(';')))
                v[QStringLiteral("skill")] << s.trimmed();
        } else {
            v[key] << value;
        }
    }
    return v;
}

QString DateOf(const QString& value) {
    return value.compare(QLatin1String("Present"), Qt::CaseInsensitive) == 0
               ? QStringLiteral("present")
               : value;
}

FieldValues ReadParsed(const QString& xml) {
    FieldValues v;
    const HrXmlDoc doc(xml);
    const QString ci = QStringLiteral("/h:Resume/h:StructuredXMLResume/h:ContactInfo");
    v[QStringLiteral("name")] = doc.Values(ci + QStringLiteral("/h:PersonName/h:FormattedName"));
    v[QStringLiteral("email")] =
        doc.Values(ci + QStringLiteral("/h:ContactMethod/h:InternetEmailAddress"));
    v[QStringLiteral("phone")] =
        doc.Values(ci + QStringLiteral("/h:ContactMethod/*[self::h:Telephone or self::h:Mobile or "
                                       "self::h:Fax]/h:FormattedNumber"));
    const QString pa = ci + QStringLiteral("/h:ContactMethod/h:PostalAddress/");
    v[QStringLiteral("city")] = doc.Values(pa + QStringLiteral("h:Municipality"));
    v[QStringLiteral("region")] = doc.Values(pa + QStringLiteral("h:Region"));
    v[QStringLiteral("postal")] = doc.Values(pa + QStringLiteral("h:PostalCode"));
    v[QStringLiteral("country")] = doc.Values(pa + QStringLiteral("h:CountryCode"));
    const QString ph = QStringLiteral("//h:EmploymentHistory/h:EmployerOrg/h:PositionHistory");
    v[QStringLiteral("employer")] =
        doc.ValuesPer(ph, QStringLiteral("h:OrgName/h:OrganizationName"));
    v[QStringLiteral("title")] = doc.ValuesPer(ph, QStringLiteral("h:Title"));
    for (const QString& d : doc.ValuesPer(ph, QStringLiteral("h:StartDate/*")))
        v[QStringLiteral("start")] << DateOf(d);
    for (const QString& d : doc.ValuesPer(ph, QStringLiteral("h:EndDate/*")))
        v[QStringLiteral("end")] << DateOf(d);
    const QString so = QStringLiteral("//h:EducationHistory/h:SchoolOrInstitution");
    v[QStringLiteral("degree")] = doc.ValuesPer(so, QStringLiteral("h:Degree/h:DegreeName"));
    v[QStringLiteral("school")] = doc.ValuesPer(so, QStringLiteral("h:School/h:SchoolName"));
    v[QStringLiteral("skill")] =
        doc.Values(QStringLiteral("//h:Qualifications/h:Competency/@name"));
    return v;
}

struct Counts {
    int tp = 0, fp = 0, fn = 0;
    double Precision() const { return tp + fp ? double(tp) / (tp + fp) : 1.0; }
    double Recall() const { return tp + fn ? double(tp) / (tp + fn) : 1.0; }
    double F1() const {
        const double p = Precision(), r = Recall();
        return p + r > 0 ? 2 * p * r / (p + r) : 0.0;
    }
};

QString SamplesDir() {
    return QStringLiteral(ZORV_RESUME_SAMPLES);
}

// Input formats of the sample set, in the order the per-format lines are printed.
const QStringList kSampleExtensions = {
    QStringLiteral("txt"), QStringLiteral("docx"), QStringLiteral("doc"),  QStringLiteral("rtf"),
    QStringLiteral("pdf"), QStringLiteral("htm"),  QStringLiteral("html"), QStringLiteral("wpd")};

ParserSettings SettingsFor(const QString& text) {
    ParserSettings s;
    s.ResumeContent = text;
    s.UseFullParser = true;
    return s;
}

QString ReadText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The real Convert then Parse of one resume file.
zorv::rp::ActionResult ConvertAndParse(const QString& path) {
    ParserSettings convert;
    convert.ResumeFileName = path;
    const auto text = zorv::rp::ConvertResume(convert);
    if (!text.ok)
        return text;
    // As the server does: the Parse of a converted text reads the converter's layout too.
    ParserSettings parse = SettingsFor(text.text);
    parse.Layout = text.layout;
    return zorv::rp::ParseResume(parse, false);
}

// The sample file beside NAME.expected, whatever its input format; empty when there is none.
QString SampleFileOf(const QDir& dir, const QString& base) {
    for (const QString& ext : kSampleExtensions)
        if (dir.exists(base + QLatin1Char('.') + ext))
            return base + QLatin1Char('.') + ext;
    return {};
}

void PrintQualityReport() {
    const bool detail = qEnvironmentVariableIntValue("ZORV_QUALITY_DETAIL") != 0;
    std::map<QString, Counts> counts;
    std::map<QString, Counts> perFormat;
    std::map<QString, int> resumesPerFormat;
    const QDir dir(SamplesDir());
    const QStringList expectations =
        dir.entryList({QStringLiteral("*.expected")}, QDir::Files, QDir::Name);
    int resumes = 0;
    for (const QString& expectation : expectations) {
        const QString base = expectation.chopped(9);
        const QString file = SampleFileOf(dir, base);
        if (file.isEmpty())
            continue;
        const QString format = QFileInfo(file).suffix().toLower();
        ++resumes;
        ++resumesPerFormat[format];
        FieldValues expected = ReadExpected(dir.filePath(expectation));
        const auto result = ConvertAndParse(dir.filePath(file));
        if (detail && !result.ok)
            std::printf("%-28s failed: %s\n", qPrintable(base), qPrintable(result.message));
        FieldValues got = result.ok ? ReadParsed(result.text) : FieldValues();
        const QString country = expected[QStringLiteral("country")].value(0);
        for (const QString& field : kFields) {
            // Skills count only where the expected file lists them.
            if (field == QLatin1String("skill") && expected[field].isEmpty())
                continue;
            auto key = [&](const QString& value) {
                if (field == QLatin1String("phone"))
                    return PhoneKey(value, country);
                if (field == QLatin1String("start") || field == QLatin1String("end"))
                    return DateKey(value);
                return Normalised(value);
            };
            QStringList want, have;
            for (const QString& e : expected[field])
                if (!key(e).isEmpty())
                    want << key(e);
            for (const QString& g : got[field])
                if (!key(g).isEmpty())
                    have << key(g);
            QStringList missed = want;
            QStringList wrong;
            for (const QString& h : have) {
                if (missed.removeOne(h))
                    ++counts[field].tp;
                else
                    wrong << h;
            }
            counts[field].fp += static_cast<int>(wrong.size());
            counts[field].fn += static_cast<int>(missed.size());
            Counts& f = perFormat[format];
            f.tp += static_cast<int>(want.size() - missed.size());
            f.fp += static_cast<int>(wrong.size());
            f.fn += static_cast<int>(missed.size());
            if (detail && (!missed.isEmpty() || !wrong.isEmpty()))
                std::printf("%-28s %-9s missed [%s] wrong [%s]\n", qPrintable(base),
                            qPrintable(field), qPrintable(missed.join(QStringLiteral("; "))),
                            qPrintable(wrong.join(QStringLiteral("; "))));
        }
    }
    std::printf("Resume parser quality over %d sample resumes\n", resumes);
    std::printf("%-10s %9s %9s %9s %6s %6s %6s\n", "field", "precision", "recall", "F1", "tp", "fp",
                "fn");
    Counts all;
    for (const QString& field : kFields) {
        const Counts& c = counts[field];
        all.tp += c.tp;
        all.fp += c.fp;
        all.fn += c.fn;
        std::printf("%-10s %9.3f %9.3f %9.3f %6d %6d %6d\n", qPrintable(field), c.Precision(),
                    c.Recall(), c.F1(), c.tp, c.fp, c.fn);
    }
    std::printf("%-10s %9.3f %9.3f %9.3f %6d %6d %6d\n\n", "overall", all.Precision(), all.Recall(),
                all.F1(), all.tp, all.fp, all.fn);
    std::printf("%-10s %7s %9s %9s %9s %6s %6s %6s\n", "format", "resumes", "precision", "recall",
                "F1", "tp", "fp", "fn");
    for (const QString& format : kSampleExtensions) {
        if (!resumesPerFormat.count(format))
            continue;
        const Counts& c = perFormat[format];
        std::printf("%-10s %7d %9.3f %9.3f %9.3f %6d %6d %6d\n", qPrintable(format),
                    resumesPerFormat[format], c.Precision(), c.Recall(), c.F1(), c.tp, c.fp, c.fn);
    }
    std::printf("\n");
    std::fflush(stdout);
}

void BM_ParseTwoPageResume(benchmark::State& state) {
    const QString text = ReadText(QStringLiteral(ZORV_TEST_DATA "/parse/two_page_resume.txt"));
    const ParserSettings settings = SettingsFor(text);
    for (auto _ : state) {
        auto result = zorv::rp::ParseResume(settings, false);
        benchmark::DoNotOptimize(result);
        if (!result.ok)
            state.SkipWithError("parse failed");
    }
    state.counters["chars"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseTwoPageResume)->Unit(benchmark::kMillisecond);

// Convert and Parse of a two-page resume file, in process, as the server does it.
void ConvertAndParseTwoPages(benchmark::State& state, const char* file) {
    const QString path = SamplesDir() + QLatin1Char('/') + QLatin1String(file);
    for (auto _ : state) {
        auto result = ConvertAndParse(path);
        benchmark::DoNotOptimize(result);
        if (!result.ok) {
            state.SkipWithError(qPrintable(result.message));
            break;
        }
    }
}
BENCHMARK_CAPTURE(ConvertAndParseTwoPages, docx, "r58_de_twopage_docx.docx")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertAndParseTwoPages, pdf, "r62_us_twopage_pdf.pdf")
    ->Unit(benchmark::kMillisecond);

void BM_ParseSampleSet(benchmark::State& state) {
    const QDir dir(SamplesDir());
    QStringList texts;
    for (const QString& f : dir.entryList({QStringLiteral("*.txt")}, QDir::Files))
        texts << ReadText(dir.filePath(f));
    for (auto _ : state)
        for (const QString& t : texts)
            benchmark::DoNotOptimize(zorv::rp::ParseResume(SettingsFor(t), false));
    state.counters["resumes"] = static_cast<double>(texts.size());
}
BENCHMARK(BM_ParseSampleSet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // ZORV_CONVERT_DUMP=FILE prints the text Convert makes of one resume file instead.
    if (const QString dump = qEnvironmentVariable("ZORV_CONVERT_DUMP"); !dump.isEmpty()) {
        ParserSettings convert;
        convert.ResumeFileName = dump;
        const auto result = zorv::rp::ConvertResume(convert);
        std::printf("%s\n%s\n", qPrintable(result.message), qPrintable(result.text));
        return result.ok ? 0 : 1;
    }
    // ZORV_PARSE_DUMP=FILE prints the HR-XML of one resume file (any input format) instead.
    if (const QString dump = qEnvironmentVariable("ZORV_PARSE_DUMP"); !dump.isEmpty()) {
        const auto result = ConvertAndParse(dump);
        std::printf("%s\n%s\n", qPrintable(result.message), qPrintable(result.text));
        return result.ok ? 0 : 1;
    }
    PrintQualityReport();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
