// Filling a .doc template through clsReplaceTokens with LibreOffice converting it to the
// working .docx and back:
//   BM_DocFillColdOffice   a new application object per fill: its private office profile
//                          is set up first (LibreOffice's first start with a new profile),
//                          then the .doc is converted, filled, saved and converted back;
//   BM_DocFillWarmOffice   one application object for every fill, its profile set up
//                          before timing: each fill is the two conversions plus the fill;
//   BM_OfficeConversion    one warm conversion alone (.doc to .docx), the office's share;
//   BM_DocxFill            the same template as .docx: the engine's own share.
#include "OfficeConverter.h"
#include "WordEngine.h"
#include "clsReplaceTokens.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

namespace word = zorv::word;

const QString kDocTemplate = QStringLiteral(ZORV_TEST_DATA_DIR "/word/legacy-template.doc");
const QStringList kNames{"FullName", "Email", "Phone", "Summary"};
const QStringList kValues{"Jane Q. Sample", "jane.sample@example.com", "(217) 555-0142",
                          "Project manager with ten years in logistics software"};

bool Fill(const QString& path) {
    zorv::clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
    rt.NTokens = std::int32_t(kNames.size());
    rt.TokenNames = kNames;
    rt.TokenValues = kValues;
    return rt.ReplaceTokensInDoc(path, false);
}

QString FreshCopy(const QTemporaryDir& dir, const QString& source, const QString& name) {
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QFile::copy(source, path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

bool HaveOffice(benchmark::State& state) {
    if (!zorv::FindOfficeProgram().isEmpty())
        return true;
    state.SkipWithError("LibreOffice is not installed");
    return false;
}

void BM_DocFillColdOffice(benchmark::State& state) {
    if (!HaveOffice(state))
        return;
    QTemporaryDir dir;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = FreshCopy(dir, kDocTemplate, "out.doc");
        state.ResumeTiming();
        if (!Fill(path)) // the object starts the engine and quits it: a new profile each time
            state.SkipWithError("fill failed");
    }
}

void BM_DocFillWarmOffice(benchmark::State& state) {
    if (!HaveOffice(state))
        return;
    // The running instance that every fill attaches to (and leaves running).
    const std::shared_ptr<word::Application> app =
        word::CreateApplication(zorv::wordengine::NewEngineApplication);
    QTemporaryDir dir;
    if (!Fill(FreshCopy(dir, kDocTemplate, "warm-up.doc")))
        state.SkipWithError("fill failed");
    app->Documents()->Item(1)->Close();
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = FreshCopy(dir, kDocTemplate, "out.doc");
        state.ResumeTiming();
        if (!Fill(path))
            state.SkipWithError("fill failed");
        state.PauseTiming();
        app->Documents()->Item(1)->Close();
        state.ResumeTiming();
    }
    app->Quit();
}

void BM_OfficeConversion(benchmark::State& state) {
    if (!HaveOffice(state))
        return;
    QTemporaryDir dir;
    const QString input = FreshCopy(dir, kDocTemplate, "in.doc");
    zorv::OfficeConverter office;
    office.Convert(input, "docx:MS Word 2007 XML", "docx", dir.path()); // sets up the profile
    for (auto _ : state)
        if (office.Convert(input, "docx:MS Word 2007 XML", "docx", dir.path()).status !=
            zorv::OfficeConverter::Status::Converted)
            state.SkipWithError("conversion failed");
}

void BM_DocxFill(benchmark::State& state) {
    if (!HaveOffice(state))
        return;
    QTemporaryDir dir;
    zorv::OfficeConverter office;
    const QString docx = office
                             .Convert(FreshCopy(dir, kDocTemplate, "in.doc"),
                                      "docx:MS Word 2007 XML", "docx", dir.path())
                             .outputPath;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = FreshCopy(dir, docx, "out.docx");
        state.ResumeTiming();
        if (!Fill(path))
            state.SkipWithError("fill failed");
    }
}

BENCHMARK(BM_DocFillColdOffice)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DocFillWarmOffice)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OfficeConversion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DocxFill)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
