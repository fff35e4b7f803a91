// Filling a two-page Rich Text template (40 distinct tokens, 120 markers across the body,
// a first-page and a default header and a footer, some split by formatting; values up to
// 500 characters) with the engine's own RTF support:
//   BM_RtfFill          in process through clsReplaceTokens: open, every replacement pass in
//                       pieces of 100, and the flushed atomic save; /tmp: with the disk's
//                       flush, /dev/shm: in memory, the engine's own share;
//   BM_QarnFillRtf      a whole `qarn fill` process with the same template and tokens;
//   BM_QarnVersion      `qarn --version`: what starting the program costs, to compare with.
#include "WordEngine.h"
#include "clsReplaceTokens.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

namespace word = zorv::word;

constexpr int kTokens = 40;
constexpr int kBodyParagraphs = 80; // two pages of 11 pt text

QString Name(int i) {
    return QStringLiteral("Token%1").arg(i, 2, 10, QLatin1Char('0'));
}

// Token i gets 12 * i + 20 characters: 32 to 500.
QString Value(int i) {
    QString v;
    while (v.size() < 12 * i + 20)
        v += QStringLiteral("Value %1 & <text> {} ").arg(i);
    return v.left(12 * i + 20);
}

QByteArray Marker(int i, bool split) {
    const QByteArray name = Name(i).toLatin1();
    return split ? "[[" + name.left(3) + "{\\b " + name.mid(3) + "}]]" : "[[" + name + "]]";
}

QByteArray TemplateRtf() {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}"
                     "{\\f1\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue128;}"
                     "{\\*\\generator bench;}\\paperw12240\\paperh15840\\sectd\\titlepg\r\n";
    rtf += "{\\headerf\\pard\\qr\\f1\\fs18 " + Marker(1, false) + " " + Marker(2, true) + "\\par}";
    rtf += "{\\header\\pard\\qr\\f1\\fs18\\cf1 " + Marker(3, false) + "\\par}";
    rtf += "{\\footer\\pard\\qc\\f1\\fs16 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} " +
           Marker(4, false) + "\\par}\r\n";
    int marker = 0;
    for (int p = 0; p < kBodyParagraphs; ++p) {
        rtf += "\\pard\\f0\\fs22 Paragraph " + QByteArray::number(p) +
               " of the candidate profile, with some ordinary text around the markers: ";
        for (int m = 0; m < 3 && marker < 116; ++m, ++marker)
            rtf += Marker(marker % kTokens + 1, marker % 5 == 0) + " and \\'e9t\\'e9 ";
        rtf += p == kBodyParagraphs / 2 ? "\\par\\page\r\n" : "\\par\r\n";
    }
    return rtf + "}";
}

bool Fill(const QString& path) {
    zorv::clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
    rt.NTokens = kTokens;
    for (int i = 1; i <= kTokens; ++i) {
        rt.TokenNames << Name(i);
        rt.TokenValues << Value(i);
    }
    return rt.ReplaceTokensInDoc(path, false);
}

void BM_RtfFill(benchmark::State& state, const char* folder) {
    QTemporaryDir dir(QString::fromLatin1(folder) + QStringLiteral("/zorv-bench-XXXXXX"));
    const QString out = dir.filePath("out.rtf");
    const QByteArray rtf = TemplateRtf();
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(rtf) != rtf.size())
            state.SkipWithError("cannot write the template");
        file.close();
        state.ResumeTiming();
        if (!Fill(out))
            state.SkipWithError("fill failed");
    }
}
BENCHMARK_CAPTURE(BM_RtfFill, tmp, "/tmp")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK_CAPTURE(BM_RtfFill, shm, "/dev/shm")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void RunQarn(benchmark::State& state, const QStringList& args) {
    for (auto _ : state) {
        QProcess qarn;
        qarn.start(QStringLiteral(ZORV_BIN_DIR "/qarn"), args);
        if (!qarn.waitForFinished(30000) || qarn.exitCode() != 0)
            state.SkipWithError("qarn failed");
    }
}

void BM_QarnFillRtf(benchmark::State& state) {
    QTemporaryDir dir;
    QFile tokens(dir.filePath("tokens.txt")), rtf(dir.filePath("template.rtf"));
    if (!tokens.open(QIODevice::WriteOnly) || !rtf.open(QIODevice::WriteOnly))
        return state.SkipWithError("cannot write the inputs");
    for (int i = 1; i <= kTokens; ++i)
        tokens.write((Name(i) + '\t' + Value(i) + '\n').toUtf8());
    rtf.write(TemplateRtf());
    tokens.close();
    rtf.close();
    RunQarn(state,
            {"fill", rtf.fileName(), dir.filePath("out.rtf"), "--tokens", tokens.fileName()});
}
BENCHMARK(BM_QarnFillRtf)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly();

void BM_QarnVersion(benchmark::State& state) {
    RunQarn(state, {"--version"});
}
BENCHMARK(BM_QarnVersion)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly();

} // namespace
