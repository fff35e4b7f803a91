// Marker scanning of a story's text, as template filling does once per story.
#include "FuncLib.h"

#include <benchmark/benchmark.h>

static void BM_GetDelimitedTokens(benchmark::State& state) {
    QString text;
    for (int i = 0; i < state.range(0); ++i)
        text += QStringLiteral("Some resume text before [[Token%1]] and after. ").arg(i);
    for (auto _ : state) {
        QStringList tokens;
        benchmark::DoNotOptimize(zorv::GetDelimitedTokens(
            text, QStringLiteral("[["), QStringLiteral("]]"), tokens, true, false, true));
    }
}
BENCHMARK(BM_GetDelimitedTokens)->Arg(40)->Arg(400);

BENCHMARK_MAIN();
