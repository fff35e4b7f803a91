// The resume parser through client and server: a ZorvPr start-up, one try's configuration
// calls, Convert and Parse of a two-page .docx resume as round trips, the same work in
// process (the difference is the protocol's cost), and the whole ProcessResume pair with
// its one-second waits subtracted.
#include "ParserObject.h"
#include "ServerActions.h"
#include "clsProcessResume.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace zorv;

namespace {

const QString kServer = QStringLiteral(ZORV_BIN_DIR "/ZorvPr");
const QString kResume = QStringLiteral(ZORV_BENCH_DATA "/two_page_resume.docx");

struct LastDone {
    bool received = false;
    bool ok = false;
    QString msg;
};

std::shared_ptr<ParserObject> StartParser(LastDone& done) {
    ParserEvents events;
    events.Done = [&done](const QString&, bool ok, const QString& msg) {
        done.received = true;
        done.ok = ok;
        done.msg = msg;
    };
    return ParserObject::Create(std::move(events), kServer);
}

void WaitForDone(LastDone& done) {
    while (!done.received)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

QTemporaryDir& WorkDir() {
    static QTemporaryDir dir;
    return dir;
}

void Configure(ParserObject& pr, const QString& content) {
    pr.Call(QStringLiteral("Prepare"));
    for (const char* name :
         {"TableName", "SingularName", "DatabaseName", "DataPath", "CustomizePath"})
        pr.SetProperty(QLatin1String(name), QString());
    pr.SetProperty(QStringLiteral("ResumeFileName"), kResume);
    pr.SetProperty(QStringLiteral("XMLResumeFileName"),
                   WorkDir().filePath(QStringLiteral("r.xml")));
    pr.SetProperty(QStringLiteral("ResumeContent"), content);
    pr.SetProperty(QStringLiteral("PutResumeContentInXML"), true);
    pr.SetProperty(QStringLiteral("CleanupPhoneNumbers"), true);
    pr.SetProperty(QStringLiteral("UseFullParser"), true);
    pr.SetProperty(QStringLiteral("ParseContactInfoOnly"), false);
    pr.SetProperty(QStringLiteral("ResumeCountry"), QString());
    pr.Call(QStringLiteral("FinishSetup"));
    pr.SetProperty(QStringLiteral("DebugMode"), false);
}

QString ConvertedText() {
    rp::ParserSettings s;
    s.ResumeFileName = kResume;
    return rp::RunServerAction(QStringLiteral("Convert"), s).text;
}

void BM_ServerStartUp(benchmark::State& state) {
    LastDone done;
    for (auto _ : state) {
        auto pr = StartParser(done);
        pr->Release();
    }
}
BENCHMARK(BM_ServerStartUp)->Unit(benchmark::kMillisecond);

void BM_ConfigureOneTry(benchmark::State& state) {
    LastDone done;
    auto pr = StartParser(done);
    const QString content = ConvertedText();
    for (auto _ : state)
        Configure(*pr, content);
}
BENCHMARK(BM_ConfigureOneTry)->Unit(benchmark::kMicrosecond);

// One action as a round trip: the call, the worker, the Done event through the event loop
// and the result read back.
void RoundTrip(benchmark::State& state, const QString& action, const QString& result) {
    LastDone done;
    auto pr = StartParser(done);
    const QString content = ConvertedText();
    Configure(*pr, content);
    for (auto _ : state) {
        done = LastDone{};
        pr->Call(action);
        WaitForDone(done);
        const QString text = pr->GetProperty(result).toString();
        benchmark::DoNotOptimize(text);
        if (!done.ok) {
            state.SkipWithError(qPrintable(done.msg));
            break;
        }
    }
}

void BM_ConvertRoundTrip(benchmark::State& state) {
    RoundTrip(state, QStringLiteral("Convert"), QStringLiteral("ResumeContent"));
}
BENCHMARK(BM_ConvertRoundTrip)->Unit(benchmark::kMillisecond);

void BM_ParseRoundTrip(benchmark::State& state) {
    RoundTrip(state, QStringLiteral("Parse"), QStringLiteral("XMLResume"));
}
BENCHMARK(BM_ParseRoundTrip)->Unit(benchmark::kMillisecond);

void BM_InProcessConvert(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertedText());
}
BENCHMARK(BM_InProcessConvert)->Unit(benchmark::kMillisecond);

void BM_InProcessParse(benchmark::State& state) {
    rp::ParserSettings s;
    s.ResumeContent = ConvertedText();
    s.XMLResumeFileName = WorkDir().filePath(QStringLiteral("in.xml"));
    s.UseFullParser = true;
    s.PutResumeContentInXML = true;
    s.CleanupPhoneNumbers = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(rp::RunServerAction(QStringLiteral("Parse"), s));
}
BENCHMARK(BM_InProcessParse)->Unit(benchmark::kMillisecond);

// The Create run's two actions through clsProcessResume. Each returns at the end of the
// one-second wait in which its Done arrived; beyond_waits_ms is what is left after those
// two seconds.
void BM_ProcessResumeConvertParse(benchmark::State& state) {
    double beyondMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        clsProcessResume pr(ParserPrograms{kServer, QString()});
        pr.ResumeFileName = kResume;
        pr.XMLResumeFileName = WorkDir().filePath(QStringLiteral("cp.xml"));
        pr.TableName = QStringLiteral("Consultants");
        pr.UseFullParser = true;
        pr.PutResumeContentInXML = true;
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        const bool ok = pr.ProcessResume(QStringLiteral("Convert")) &&
                        pr.ProcessResume(QStringLiteral("Parse"));
        beyondMs += static_cast<double>(clock.nsecsElapsed()) / 1e6 - 2000.0;
        if (!ok) {
            state.SkipWithError(qPrintable(pr.ErrMsg));
            break;
        }
    }
    state.counters["beyond_waits_ms"] =
        benchmark::Counter(beyondMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ProcessResumeConvertParse)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
