// Filling a two-page template (40 distinct tokens, 120 markers across body, headers and
// footers, values up to 500 characters) through clsReplaceTokens with the native engine:
//   BM_FillToMemory   open and unpack, every replacement pass, and the
//                     package serialised to memory (Document.Save writes to memory here);
//   BM_FillAndSave    the same with the real, flushed atomic save to disk;
//   BM_QarnFill       a whole `qarn fill` process: start-up, tokens file, fill, save;
//   BM_FillLongValue  one value of 10,000 to 1,000,000 characters.
#include "WordEngine.h"
#include "clsReplaceTokens.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

namespace word = zorv::word;

const QString kTemplate = QStringLiteral(ZORV_BENCH_DATA_DIR "/bench-template.docx");

QStringList Names() {
    QStringList names;
    for (int i = 1; i <= 40; ++i)
        names << QStringLiteral("Token%1").arg(i, 2, 10, QLatin1Char('0'));
    return names;
}

// Token i gets 12 * i + 20 characters: 32 to 500.
QStringList Values() {
    QStringList values;
    for (int i = 1; i <= 40; ++i) {
        QString v;
        while (v.size() < 12 * i + 20)
            v += QStringLiteral("Value %1 & <text> ").arg(i);
        values << v.left(12 * i + 20);
    }
    return values;
}

// A document whose Save serialises the package to memory instead of writing the file.
class MemorySaveDocument : public word::Document {
public:
    explicit MemorySaveDocument(std::shared_ptr<word::Document> inner) : inner_(std::move(inner)) {}
    std::shared_ptr<word::Sections> Sections() override { return inner_->Sections(); }
    std::shared_ptr<word::Range> Content() override { return inner_->Content(); }
    std::shared_ptr<word::Range> Range() override { return inner_->Range(); }
    std::shared_ptr<word::Range> Range(std::int32_t s, std::int32_t e) override {
        return inner_->Range(s, e);
    }
    std::shared_ptr<word::Paragraphs> Paragraphs() override { return inner_->Paragraphs(); }
    std::shared_ptr<word::CustomDocumentProperties> CustomDocumentProperties() override {
        return inner_->CustomDocumentProperties();
    }
    void Save() override { benchmark::DoNotOptimize(zorv::wordengine::PackageBytes(*inner_)); }
    void Close() override { inner_->Close(); }

private:
    std::shared_ptr<word::Document> inner_;
};

class MemorySaveApplication : public word::Application,
                              public word::Documents,
                              public std::enable_shared_from_this<MemorySaveApplication> {
public:
    MemorySaveApplication()
        : inner_(zorv::wordengine::NewEngineApplication()), docs_(inner_->Documents()) {}
    ~MemorySaveApplication() override { word::ApplicationQuit(this); }
    std::shared_ptr<word::Application> ApplicationObject() override { return shared_from_this(); }
    QString Name() override { return inner_->Name(); }
    std::shared_ptr<word::Documents> Documents() override {
        return std::shared_ptr<word::Documents>(shared_from_this(), this);
    }
    void SetPrintPreview(bool v) override { inner_->SetPrintPreview(v); }
    void SetVisible(bool v) override { inner_->SetVisible(v); }
    void SetWindowState(int s) override { inner_->SetWindowState(s); }
    void Activate() override { inner_->Activate(); }
    void Quit() override {
        inner_->Quit();
        word::ApplicationQuit(this);
    }
    void SetEvents(word::ApplicationEvents* events) override { inner_->SetEvents(events); }
    std::shared_ptr<word::Document> Open(const QString& f, bool c, bool a) override {
        return std::make_shared<MemorySaveDocument>(docs_->Open(f, c, a));
    }
    std::int32_t Count() override { return docs_->Count(); }
    std::shared_ptr<word::Document> Item(std::int32_t i) override {
        return std::make_shared<MemorySaveDocument>(docs_->Item(i));
    }

private:
    std::shared_ptr<word::Application> inner_;
    std::shared_ptr<word::Documents> docs_;
};

std::shared_ptr<word::Application> InMemory() {
    return std::make_shared<MemorySaveApplication>();
}

bool Fill(const word::ApplicationFactory& factory, const QString& path, const QStringList& names,
          const QStringList& values) {
    zorv::clsReplaceTokens rt(factory);
    rt.NTokens = std::int32_t(names.size());
    rt.TokenNames = names;
    rt.TokenValues = values;
    return rt.ReplaceTokensInDoc(path, false);
}

void BM_FillToMemory(benchmark::State& state) {
    const QStringList names = Names();
    const QStringList values = Values();
    for (auto _ : state) {
        if (!Fill(InMemory, kTemplate, names, values))
            state.SkipWithError("fill failed");
    }
}
BENCHMARK(BM_FillToMemory)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// One token with a value of state.range(0) characters: the time grows with the length, not
// with its square (the engine takes the value in one pass).
void BM_FillLongValue(benchmark::State& state) {
    const QStringList names = {Names().first()};
    const QStringList values = {QString(state.range(0), QLatin1Char('v'))};
    for (auto _ : state) {
        if (!Fill(InMemory, kTemplate, names, values))
            state.SkipWithError("fill failed");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FillLongValue)
    ->RangeMultiplier(10)
    ->Range(10'000, 1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_FillAndSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out.docx");
    const QStringList names = Names();
    const QStringList values = Values();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(out);
        QFile::copy(kTemplate, out);
        state.ResumeTiming();
        if (!Fill(zorv::wordengine::NewEngineApplication, out, names, values))
            state.SkipWithError("fill failed");
    }
}
BENCHMARK(BM_FillAndSave)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_QarnFill(benchmark::State& state) {
    QTemporaryDir dir;
    const QString tokens = dir.filePath("tokens.txt");
    QFile f(tokens);
    if (!f.open(QIODevice::WriteOnly))
        return state.SkipWithError("cannot write the token file");
    const QStringList names = Names();
    const QStringList values = Values();
    for (qsizetype k = 0; k < names.size(); ++k)
        f.write((names[k] + '\t' + values[k] + '\n').toUtf8());
    f.close();
    const QStringList args{"fill", kTemplate, dir.filePath("out.docx"), "--tokens", tokens};
    for (auto _ : state) {
        QProcess qarn;
        qarn.start(QStringLiteral(ZORV_BIN_DIR "/qarn"), args);
        if (!qarn.waitForFinished(30000) || qarn.exitCode() != 0)
            state.SkipWithError("qarn fill failed");
    }
}
BENCHMARK(BM_QarnFill)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly();

} // namespace
