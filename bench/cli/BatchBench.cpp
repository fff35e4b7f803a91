// A whole `qarn batch` on 2 workers: two-page resumes (.txt, .docx and .pdf in turn) made from
// the in-house samples of tests/data/resumes, two of them broken. Reports resumes per second
// and per core, the CPU time per resume, the files that failed (the two broken ones), and the
// peak resident size of the largest process of the batch (qarn, a worker or a parser server),
// which must stay flat from 200 to 2,000 resumes.
#include "DocxFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kWorkers = 2;
constexpr int kLinesPerResume = 100; // about two pages
constexpr int kLinesPerPdfPage = 50;
constexpr int kBatchTimeoutMs = 30 * 60 * 1000;

const QString kTemplate = QStringLiteral(ZORV_PROJECT_DIR "/examples/template.docx");

// A sample grown to two pages: its own lines again under a second heading.
QStringList TwoPages(const QString& sample) {
    const QStringList lines = sample.split(QLatin1Char('\n'));
    QStringList out = lines;
    out << QString() << QStringLiteral("ADDITIONAL EXPERIENCE");
    for (qsizetype i = 0; out.size() < kLinesPerResume && !lines.isEmpty(); ++i)
        out << lines[(i % lines.size())];
    return out;
}

QByteArray Escaped(const QString& line) {
    return line.toHtmlEscaped().toUtf8();
}

void WriteDocx(const QString& path, const QStringList& lines) {
    zorv::wordengine::test::DocxContent content;
    for (const QString& line : lines)
        content.body += zorv::wordengine::test::P(Escaped(line));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(zorv::wordengine::test::MakeDocx(content));
}

void WritePdf(const QString& path, const QStringList& lines) {
    QPdfWriter writer(path);
    QPainter painter(&writer);
    const int lineHeight = writer.height() / (kLinesPerPdfPage + 2);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0 && i % kLinesPerPdfPage == 0)
            writer.newPage();
        painter.drawText(0, static_cast<int>(i % kLinesPerPdfPage + 1) * lineHeight, lines[i]);
    }
}

// `count` resumes in `dir`, two of them broken (a truncated .docx, a .pdf that is not one).
void MakeCorpus(const QString& dir, int count) {
    const QStringList samples = QDir(QStringLiteral(ZORV_PROJECT_DIR "/tests/data/resumes"))
                                    .entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (int i = 0; i < count; ++i) {
        QFile in(QStringLiteral(ZORV_PROJECT_DIR "/tests/data/resumes/") +
                 samples[i % samples.size()]);
        in.open(QIODevice::ReadOnly);
        const QStringList lines = TwoPages(QString::fromUtf8(in.readAll()));
        const QString base = dir + QStringLiteral("/resume%1").arg(i, 5, 10, QLatin1Char('0'));
        switch (i % 3) {
        case 0: {
            QFile out(base + ".txt");
            if (out.open(QIODevice::WriteOnly))
                out.write(lines.join(QLatin1Char('\n')).toUtf8());
            break;
        }
        case 1:
            WriteDocx(base + ".docx", lines);
            break;
        default:
            WritePdf(base + ".pdf", lines);
        }
    }
    QFile broken(dir + "/broken1.docx");
    if (broken.open(QIODevice::WriteOnly))
        broken.write("PK\x03\x04 truncated");
    QFile fake(dir + "/broken2.pdf");
    if (fake.open(QIODevice::WriteOnly))
        fake.write("%PDF-1.4 and nothing else");
}

struct RunFigures {
    double seconds = 0;
    double cpuSeconds = 0; // of every process of the batch
    double peakMiB = 0;    // the largest process's peak resident size
    int failed = 0;
};

double CpuSeconds(const rusage& u) {
    const auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

RunFigures RunBatch(const QString& corpus, const QString& out, const QString& report) {
    QProcess qarn;
    qarn.setProgram(QStringLiteral(ZORV_BIN_DIR "/qarn"));
    qarn.setArguments({"batch", kTemplate, corpus, "-o", out, "-j", QString::number(kWorkers),
                       "--force", "--quiet", "--report", report});
    qarn.setStandardOutputFile(QProcess::nullDevice());
    qarn.setStandardErrorFile(QProcess::nullDevice());
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    QElapsedTimer clock;
    clock.start();
    qarn.start();
    qarn.waitForFinished(kBatchTimeoutMs);
    RunFigures f;
    f.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    f.cpuSeconds = CpuSeconds(after) - CpuSeconds(before);
    f.peakMiB = static_cast<double>(after.ru_maxrss) / 1024.0;
    QFile rows(report);
    if (rows.open(QIODevice::ReadOnly))
        f.failed = static_cast<int>(rows.readAll().count(",failed,"));
    return f;
}

void BM_Batch(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString corpus = dir.filePath("in");
    QDir().mkpath(corpus);
    MakeCorpus(corpus, count);
    RunFigures f;
    for (auto _ : state) {
        f = RunBatch(corpus, dir.filePath("out"), dir.filePath("report.csv"));
        state.SetIterationTime(f.seconds);
    }
    const double resumes = count + 2;
    state.counters["resumes_per_s"] = resumes / f.seconds;
    state.counters["per_core"] = resumes / f.seconds / kWorkers;
    // CPU per resume: what the throughput would be on idle cores, on a shared machine.
    state.counters["cpu_ms_per_resume"] = f.cpuSeconds * 1000 / resumes;
    state.counters["peak_rss_MiB"] = f.peakMiB;
    state.counters["failed"] = f.failed;
}

// The children's peak only grows within one program: run each size on its own
// (--benchmark_filter='BM_Batch/200/', then /2000) for a clean pair.
BENCHMARK(BM_Batch)->Arg(200)->Arg(2000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // QPdfWriter draws text
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
