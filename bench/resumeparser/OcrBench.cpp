// Scanned resumes: quality and speed of OCR. Before the timings it prints each sample resume
// of tests/data/resumes as a scanner would (200 dpi, gray, 1 degree of skew, light noise;
// one page as PNG, more as a multi-page TIFF), converts and parses the scan and the digital
// original with the same settings, and reports how many of the original's name, e-mail,
// phone, employer and school values the scan reproduces. The timings are whole `qarn parse`
// runs: of a two-page scan, and of a one-page scan beside the tesseract program on that page.
// ZORV_OCR_ONLY=REGEX picks samples by path, ZORV_OCR_SAMPLES=N limits their count;
// ZORV_OCR_SCAN_DIR keeps the scans and their text (and reuses the scans on the next run);
// ZORV_QUALITY_DETAIL=1 lists disagreements.
#include "HrXmlQuery.h"
#include "ResumeParserCore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <leptonica/allheaders.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

using zorv::rp::ParserSettings;

constexpr int kScanDpi = 200;
constexpr float kSkewDegrees = 1.0F;
constexpr float kNoiseStdev = 8.0F;
constexpr int kProcessTimeoutMs = 1800000;
// qarn parse of a one-page scan may take this many times the tesseract program's time,
// plus the allowance (process start, models, parsing).
constexpr double kSpeedFactor = 1.5;
constexpr double kSpeedAllowanceSeconds = 1.0;

struct PixDeleter {
    void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

QString ScanDir() {
    static QTemporaryDir temp;
    const QString kept = qEnvironmentVariable("ZORV_OCR_SCAN_DIR");
    if (!kept.isEmpty()) {
        QDir().mkpath(kept);
        return kept;
    }
    return temp.path();
}

bool Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    return p.waitForFinished(kProcessTimeoutMs) && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0;
}

// The samples that are no PDF, printed to PDF by LibreOffice in one run.
void PrintToPdf(const std::vector<QString>& samples) {
    const QString dir = ScanDir();
    QStringList args = {QStringLiteral("-env:UserInstallation=file://") + dir +
                            QStringLiteral("/profile"),
                        QStringLiteral("--headless"),
                        QStringLiteral("--convert-to"),
                        QStringLiteral("pdf"),
                        QStringLiteral("--outdir"),
                        dir};
    const qsizetype fixed = args.size();
    for (const QString& sample : samples) {
        const QFileInfo info(sample);
        if (info.suffix().compare(u"pdf", Qt::CaseInsensitive) != 0 &&
            !QFileInfo::exists(dir + QLatin1Char('/') + info.completeBaseName() +
                               QStringLiteral(".pdf")))
            args << sample;
    }
    if (args.size() > fixed)
        Run(QStringLiteral("soffice"), args);
}

// The sample as a PDF: PDFs as they are, the other formats as PrintToPdf left them.
QString AsPdf(const QString& sample, const QString& dir) {
    if (QFileInfo(sample).suffix().compare(u"pdf", Qt::CaseInsensitive) == 0)
        return sample;
    const QString pdf =
        dir + QLatin1Char('/') + QFileInfo(sample).completeBaseName() + QStringLiteral(".pdf");
    return QFileInfo::exists(pdf) ? pdf : QString();
}

// One scanned page: the printed page turned slightly and speckled.
PixPtr Scanned(const QString& pagePng) {
    const PixPtr page{pixRead(pagePng.toLocal8Bit().constData())};
    if (!page)
        return nullptr;
    const float radians = kSkewDegrees * static_cast<float>(M_PI) / 180.0F;
    const PixPtr turned{pixRotate(page.get(), radians, L_ROTATE_AREA_MAP, L_BRING_IN_WHITE, 0, 0)};
    PixPtr noisy{turned ? pixAddGaussianNoise(turned.get(), kNoiseStdev) : nullptr};
    if (noisy)
        pixSetResolution(noisy.get(), kScanDpi, kScanDpi);
    return noisy;
}

// The scan of a sample (made once), or "" when it cannot be made.
QString ScanOf(const QString& sample) {
    const QString dir = ScanDir();
    const QString base = dir + QLatin1Char('/') + QFileInfo(sample).completeBaseName();
    for (const QString& ext : {QStringLiteral(".png"), QStringLiteral(".tif")})
        if (QFileInfo::exists(base + QStringLiteral("-scan") + ext))
            return base + QStringLiteral("-scan") + ext;
    const QString pdf = AsPdf(sample, dir);
    if (pdf.isEmpty() ||
        !Run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QString::number(kScanDpi), QStringLiteral("-gray"),
              QStringLiteral("-png"), pdf, base + QStringLiteral("-page")}))
        return {};
    const QStringList pages = QDir(dir).entryList(
        {QFileInfo(base).fileName() + QStringLiteral("-page*.png")}, QDir::Files, QDir::Name);
    const bool single = pages.size() == 1;
    const QString out =
        base + QStringLiteral("-scan") + QString::fromLatin1(single ? ".png" : ".tif");
    for (int i = 0; i < pages.size(); ++i) {
        const PixPtr scan = Scanned(dir + QLatin1Char('/') + pages[i]);
        if (!scan)
            return {};
        const QByteArray path = out.toLocal8Bit();
        const int failed =
            single ? pixWrite(path.constData(), scan.get(), IFF_PNG)
                   : pixWriteTiff(path.constData(), scan.get(), IFF_TIFF_ZIP, i == 0 ? "w" : "a");
        if (failed)
            return {};
    }
    return out;
}

// The host country a sample stands for: the code in its name ("r03_fr_...").
QString CountryOf(const QString& sample) {
    const QStringList parts = QFileInfo(sample).completeBaseName().split(u'_');
    return parts.size() > 1 && parts[1].size() == 2 ? parts[1].toUpper() : QString();
}

QStringList Normalised(const QStringList& values) {
    QStringList out;
    for (const QString& v : values) {
        QString key;
        for (QChar c : v.toLower())
            if (c.isLetterOrNumber() || c == u'@')
                key += c;
        if (!key.isEmpty())
            out << key;
    }
    return out;
}

struct FieldCount {
    int agreed = 0, total = 0;
};

const std::vector<std::pair<QString, QString>> kCompared = {
    {QStringLiteral("name"), QStringLiteral("//h:ContactInfo/h:PersonName/h:FormattedName")},
    {QStringLiteral("email"), QStringLiteral("//h:InternetEmailAddress")},
    {QStringLiteral("phone"), QStringLiteral("//h:ContactMethod//h:FormattedNumber")},
    {QStringLiteral("employer"), QStringLiteral("//h:EmployerOrg/h:EmployerOrgName")},
    {QStringLiteral("school"), QStringLiteral("//h:SchoolOrInstitution/h:School/h:SchoolName")}};

QString ConvertAndParse(const QString& path, const QString& country) {
    ParserSettings s;
    s.ResumeFileName = path;
    s.ResumeCountry = country;
    const auto text = zorv::rp::ConvertResume(s);
    if (!text.ok)
        return {};
    s.ResumeContent = text.text;
    // As the server does: the Parse of a converted text reads the converter's layout too.
    s.Layout = text.layout;
    s.UseFullParser = true;
    if (path.startsWith(ScanDir())) { // kept beside the scan, to read what OCR made of it
        QFile out(path.section(u'.', 0, -2) + QStringLiteral(".txt"));
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(text.text.toUtf8());
    }
    const auto xml = zorv::rp::ParseResume(s, false);
    return xml.ok ? xml.text : QString();
}

std::vector<QString> Samples() {
    const QDir dir(QStringLiteral(ZORV_RESUME_SAMPLES));
    std::vector<QString> samples;
    for (const QString& expected :
         dir.entryList({QStringLiteral("*.expected")}, QDir::Files, QDir::Name)) {
        const QStringList files =
            dir.entryList({expected.chopped(9) + QStringLiteral(".*")}, QDir::Files);
        for (const QString& f : files)
            if (!f.endsWith(QLatin1String(".expected")))
                samples.push_back(dir.filePath(f));
    }
    const QRegularExpression only(qEnvironmentVariable("ZORV_OCR_ONLY"));
    std::erase_if(samples, [&](const QString& s) { return !only.match(s).hasMatch(); });
    const int limit = qEnvironmentVariableIntValue("ZORV_OCR_SAMPLES");
    if (limit > 0 && static_cast<size_t>(limit) < samples.size())
        samples.resize(static_cast<size_t>(limit));
    return samples;
}

void CompareSample(const QString& sample, std::map<QString, FieldCount>* counts, bool detail) {
    const QString scan = ScanOf(sample);
    const QString country = CountryOf(sample);
    const zorv::test::HrXmlDoc digital(ConvertAndParse(sample, country));
    const zorv::test::HrXmlDoc scanned(scan.isEmpty() ? QString() : ConvertAndParse(scan, country));
    for (const auto& [field, xpath] : kCompared) {
        const QStringList want = Normalised(digital.Values(xpath));
        QStringList got = Normalised(scanned.Values(xpath));
        for (const QString& value : want) {
            FieldCount& c = (*counts)[field];
            ++c.total;
            if (got.removeOne(value))
                ++c.agreed;
            else if (detail)
                std::printf("  %s %s: %s\n", qPrintable(QFileInfo(sample).fileName()),
                            qPrintable(field), qPrintable(value));
        }
        if (detail && !got.isEmpty())
            std::printf("  %s %s, scan only: %s\n", qPrintable(QFileInfo(sample).fileName()),
                        qPrintable(field), qPrintable(got.join(QStringLiteral(" | "))));
    }
}

void PrintQualityReport() {
    const bool detail = qEnvironmentVariableIntValue("ZORV_QUALITY_DETAIL") != 0;
    std::map<QString, FieldCount> counts;
    const std::vector<QString> samples = Samples();
    PrintToPdf(samples);
    for (const QString& sample : samples)
        CompareSample(sample, &counts, detail);
    FieldCount all;
    std::printf("OCR quality: %zu scanned samples agree with their digital originals in\n",
                samples.size());
    for (const auto& [field, c] : counts) {
        std::printf("  %-9s %4d of %4d  %5.1f%%\n", qPrintable(field), c.agreed, c.total,
                    c.total ? 100.0 * c.agreed / c.total : 0.0);
        all.agreed += c.agreed;
        all.total += c.total;
    }
    std::printf("  %-9s %4d of %4d  %5.1f%%\n", "all", all.agreed, all.total,
                all.total ? 100.0 * all.agreed / all.total : 0.0);
}

// A whole `qarn parse` of a two-page scan, process start to HR-XML written.
void BM_QarnParseTwoPageScan(benchmark::State& state) {
    const QString scan = ScanOf(QStringLiteral(ZORV_RESUME_SAMPLES "/r62_us_twopage_pdf.pdf"));
    const QString out = ScanDir() + QStringLiteral("/two-page.xml");
    for (auto _ : state) {
        if (scan.isEmpty() || !Run(QStringLiteral(ZORV_BIN_DIR "/qarn"),
                                   {QStringLiteral("parse"), scan, QStringLiteral("-o"), out})) {
            state.SkipWithError("qarn parse of the two-page scan failed");
            break;
        }
    }
}
BENCHMARK(BM_QarnParseTwoPageScan)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

// Seconds a program takes from start to exit, or a negative number when it fails.
double TimedRun(const QString& program, const QStringList& args) {
    QElapsedTimer timer;
    timer.start();
    return Run(program, args) ? static_cast<double>(timer.nsecsElapsed()) / 1e9 : -1;
}

// A whole `qarn parse` of a one-page scan beside the tesseract program on the same page in
// the same language (English: no country is set). Target: qarn within 1.5 times
// tesseract's time plus one second; the counters show tesseract's time and that limit.
void BM_QarnParseOnePageScanAgainstTesseract(benchmark::State& state) {
    const QString tesseract = QStandardPaths::findExecutable(QStringLiteral("tesseract"));
    if (tesseract.isEmpty()) {
        state.SkipWithError("the tesseract program is not installed");
        return;
    }
    const QString scan = ScanOf(QStringLiteral(ZORV_RESUME_SAMPLES "/r01_us_software.txt"));
    const QString out = ScanDir() + QStringLiteral("/one-page");
    double tesseractSeconds = 0;
    for (auto _ : state) {
        const double qarn = scan.isEmpty()
                                ? -1
                                : TimedRun(QStringLiteral(ZORV_BIN_DIR "/qarn"),
                                           {QStringLiteral("parse"), scan, QStringLiteral("-o"),
                                            out + QStringLiteral(".xml")});
        const double reference =
            qarn < 0
                ? -1
                : TimedRun(tesseract, {scan, out, QStringLiteral("-l"), QStringLiteral("eng")});
        if (reference < 0) {
            state.SkipWithError("qarn parse or tesseract failed on the one-page scan");
            break;
        }
        state.SetIterationTime(qarn);
        tesseractSeconds += reference;
    }
    if (state.iterations() == 0 || tesseractSeconds <= 0)
        return;
    const double average = tesseractSeconds / static_cast<double>(state.iterations());
    state.counters["tesseract_s"] = average;
    state.counters["limit_s"] = kSpeedFactor * average + kSpeedAllowanceSeconds;
}
BENCHMARK(BM_QarnParseOnePageScanAgainstTesseract)
    ->Unit(benchmark::kSecond)
    ->UseManualTime()
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    PrintQualityReport();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
