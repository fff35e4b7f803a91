// Token extraction at scale: 200 tokens of 3 alternatives each over a 1 MiB HR-XML resume,
// the first two alternatives finding nothing so that all 600 recipes are evaluated.
// Target: under 50 ms per GetTokensFromXML. And maps of thousands of one-line tokens, whose
// time must grow with the number of tokens, not with its square.
#include "Messages.h"
#include "TokensFromXML.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

constexpr int kTokens = 200;

QByteArray HrXml(qsizetype targetSize) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<Resume xmlns=\"http://ns.hr-xml.org/2007-04-15\">\n"
                     "<StructuredXMLResume>\n<ContactInfo><PersonName>"
                     "<FormattedName>John Example</FormattedName></PersonName></ContactInfo>\n"
                     "<EmploymentHistory>\n";
    for (int i = 1; xml.size() < targetSize; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += "  <EmployerOrg>\n    <EmployerOrgName>Employer " + n +
               "</EmployerOrgName>\n    <PositionHistory>\n      <Title>Title " + n +
               "</Title>\n      <Description>Worked on project " + n +
               " with a team of engineers, wrote reports and ran the weekly review of the "
               "plant's water treatment figures.</Description>\n"
               "      <StartDate><YearMonth>2001-01</YearMonth></StartDate>\n"
               "    </PositionHistory>\n  </EmployerOrg>\n";
    }
    return xml + "</EmploymentHistory>\n</StructuredXMLResume>\n</Resume>\n";
}

// Each token looks in two places that do not exist before the one that does.
QByteArray Map(const QByteArray& prefix) {
    QByteArray map = "<?xml version=\"1.0\"?>\n<HRXMLMap>\n";
    for (int t = 1; t <= kTokens; ++t) {
        const QByteArray org = prefix + "EmployerOrg[" + QByteArray::number(t) + "]";
        map += "  <Token" + QByteArray::number(t) + ">\n" + "    <XPaths><XPath>" + org +
               "/PositionHistory/JobTitle</XPath></XPaths>\n" + "    <XPaths><XPath>" + org +
               "/Missing</XPath><Append>  </Append></XPaths>\n" + "    <XPaths><XPath>" + org +
               "/PositionHistory/Title</XPath><Append>, </Append>" + "<XPath>" + org +
               "/EmployerOrgName</XPath></XPaths>\n  </Token" + QByteArray::number(t) + ">\n";
    }
    return map + "</HRXMLMap>\n";
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write the benchmark's files");
}

// Extracts the tokens of `map` from `hrxml` once per iteration and returns the last result.
QStringList Extract(benchmark::State& state, const QByteArray& hrxml, const QByteArray& map) {
    QTemporaryDir dir;
    const QString hrxmlPath = dir.filePath("resume.xml");
    const QString mapPath = dir.filePath("map.xml");
    WriteFile(hrxmlPath, hrxml);
    WriteFile(mapPath, map);
    zorv::ScopedMessageHandler quiet([](const zorv::MessageRequest&) {});

    std::int32_t n = 0;
    QStringList names, values;
    for (auto _ : state) {
        zorv::GetTokensFromXMLWithMap(hrxmlPath, mapPath, n, names, values);
        benchmark::DoNotOptimize(values);
    }
    return values.mid(0, n);
}

void Run(benchmark::State& state, const QByteArray& prefix) {
    const QByteArray document = HrXml(1024 * 1024);
    const QStringList values = Extract(state, document, Map(prefix));
    if (values.size() != kTokens || values.value(kTokens - 1) != "  Title 200, Employer 200")
        state.SkipWithError("the extraction did not give the expected tokens");
    state.counters["document_bytes"] = static_cast<double>(document.size());
}

void BM_GetTokensFromXML_AbsolutePaths(benchmark::State& state) {
    Run(state, "/Resume/StructuredXMLResume/EmploymentHistory/");
}
BENCHMARK(BM_GetTokensFromXML_AbsolutePaths)->Unit(benchmark::kMillisecond);

// The same recipes written with the descendant axis, which scans the whole document.
void BM_GetTokensFromXML_DescendantPaths(benchmark::State& state) {
    Run(state, "//EmploymentHistory/");
}
BENCHMARK(BM_GetTokensFromXML_DescendantPaths)->Unit(benchmark::kMillisecond);

// Many small tokens: the time grows with their number, not with its square.
void BM_GetTokensFromXML_ManyTokens(benchmark::State& state) {
    const int tokens = static_cast<int>(state.range(0));
    QByteArray map = "<HRXMLMap>\n";
    for (int t = 0; t < tokens; ++t)
        map += "<T" + QByteArray::number(t) + "><XPaths><Append>v</Append></XPaths></T" +
               QByteArray::number(t) + ">\n";
    if (Extract(state, HrXml(1024), map + "</HRXMLMap>\n").size() != tokens)
        state.SkipWithError("the extraction did not give every token");
    state.SetComplexityN(tokens);
}
BENCHMARK(BM_GetTokensFromXML_ManyTokens)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

BENCHMARK_MAIN();
