// Conversion speed in process: two-page resumes in every format that needs no office.
#include "ResumeParserCore.h"

#include <QString>
#include <benchmark/benchmark.h>

namespace {

void Convert(benchmark::State& state, const char* fixture) {
    zorv::rp::ParserSettings settings;
    settings.ResumeFileName =
        QStringLiteral(ZORV_CONVERT_DATA_DIR "/") + QString::fromLatin1(fixture);
    for (auto _ : state) {
        const zorv::rp::ActionResult result = zorv::rp::ConvertResume(settings);
        if (!result.ok)
            state.SkipWithError(result.message.toUtf8().constData());
        benchmark::DoNotOptimize(result.text.size());
    }
}

} // namespace

BENCHMARK_CAPTURE(Convert, docx_two_pages, "resume.docx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, pdf_two_pages, "resume.pdf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, pdf_two_columns, "two-column.pdf")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, rtf_two_pages, "resume.rtf")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
