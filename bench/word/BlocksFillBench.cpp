// Filling the example profile template (every block shape: paragraph blocks with nested
// bullets, a repeated table row, inline repeats and conditionals, in body, header and
// footer) with a full profile: 10 positions of 5 bullets, 3 schools, 20 skills.
//   BM_FillProfile   open and unpack the template, expand and fill every block, and
//                    serialise the package to memory (in process, no disk write).
// Target: under 10 ms.
#include "WordEngine.h"

#include <benchmark/benchmark.h>

namespace {

using zorv::TokenList;
using zorv::TokenRecord;

const QString kTemplate = QStringLiteral(ZORV_SOURCE_DIR "/examples/template.docx");
constexpr int kPositions = 10, kBullets = 5, kSchools = 3, kSkills = 20;

TokenRecord FullProfile() {
    TokenRecord top{{"FullName", "FirstName", "Email", "Phone", "Website", "Street", "City",
                     "Region", "PostalCode", "Summary", "CurrentTitle", "CurrentEmployer",
                     "Skills"},
                    {"Jane Q. Sample", "Jane", "jane@example.com", "(217) 555-0142", "jane.example",
                     "123 Main Street", "Springfield", "IL", "62701",
                     QString("Project manager with ten years in logistics software. ").repeated(4),
                     "Senior Project Manager", "Acme Logistics", ""},
                    {}};
    TokenList positions{"Positions", {}};
    for (int p = 0; p < kPositions; ++p) {
        TokenList bullets{"Bullets", {}};
        for (int b = 0; b < kBullets; ++b)
            bullets.items.push_back({{"Text"},
                                     {QStringLiteral("Achievement %1 of position %2, with "
                                                     "numbers and results")
                                          .arg(b)
                                          .arg(p)},
                                     {}});
        positions.items.push_back(
            {{"Title", "Employer", "Location", "StartDate", "EndDate"},
             {QStringLiteral("Title %1").arg(p), QStringLiteral("Employer %1").arg(p),
              "Springfield", "March 2015", "April 2019"},
             {bullets}});
    }
    TokenList education{"Education", {}};
    for (int s = 0; s < kSchools; ++s)
        education.items.push_back(
            {{"School", "Degree", "Major", "GraduationDate"},
             {QStringLiteral("School %1").arg(s), "MSc", "Operations Research", "2012"},
             {}});
    TokenList skills{"SkillList", {}};
    QStringList names;
    for (int k = 0; k < kSkills; ++k) {
        names << QStringLiteral("Skill %1").arg(k);
        skills.items.push_back({{"Name"}, {names.last()}, {}});
    }
    top.values.last() = names.join(", ");
    top.lists = {positions,
                 education,
                 skills,
                 {"Languages", {{{"Name"}, {"English"}, {}}, {{"Name"}, {"Spanish"}, {}}}},
                 {"Certifications", {{{"Name", "Date"}, {"PMP", "2016"}, {}}}}};
    return top;
}

void BM_FillProfile(benchmark::State& state) {
    const TokenRecord values = FullProfile();
    auto app = zorv::wordengine::NewEngineApplication();
    for (auto _ : state) {
        auto doc = app->Documents()->Open(kTemplate, false, false);
        doc->FillTemplate(values);
        benchmark::DoNotOptimize(zorv::wordengine::PackageBytes(*doc));
        doc->Close();
    }
    app->Quit();
}
BENCHMARK(BM_FillProfile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
