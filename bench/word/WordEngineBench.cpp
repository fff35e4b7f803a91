// The engine's share of a template fill: open a two-page template (read, unpack, parse),
// replace 40 tokens occurring 120 times across body, headers and footers with values of up
// to 500 characters in 100-character pieces plus the removal pass, exactly as token
// replacement drives it, and serialise the package to memory.
#include "DocxFixture.h"
#include "FuncLib.h"
#include "WordEngine.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

namespace word = zorv::word;
constexpr int kTokens = 40;

QString Value(int k) {
    const int length = 5 + (k * 37) % 496; // 5 .. 500 characters
    QString v;
    while (v.size() < length)
        v += QStringLiteral("Value %1 of a resume field, with words. ").arg(k);
    return v.left(length);
}

QByteArray Run(const QByteArray& text,
               const QByteArray& props = "<w:rFonts w:ascii=\"Calibri\"/>") {
    return "<w:r><w:rPr>" + props + "</w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

QByteArray Para(const QByteArray& runs) {
    return "<w:p><w:pPr><w:pStyle w:val=\"Normal\"/><w:spacing w:after=\"120\"/><w:rPr/></w:pPr>" +
           runs + "</w:p>";
}

// Marker k, sometimes split by Word's proofing marks and a formatting change.
QByteArray Marker(int k, int occurrence) {
    const QByteArray name = "Token" + QByteArray::number(k);
    if (occurrence % 3 != 1)
        return Run("[[" + name + "]]");
    return Run("[[Tok") + "<w:proofErr w:type=\"spellStart\"/>" +
           Run("en" + QByteArray::number(k), "<w:b/>") + "<w:proofErr w:type=\"spellEnd\"/>" +
           Run("]]");
}

const QByteArray kW =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const QByteArray kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const QByteArray kProse = "Experienced professional with a record of delivering projects on time "
                          "and within budget, working with teams across several sites. ";

QByteArray BuildTemplate() {
    // 120 occurrences: token k appears three times; the first 20 of them in headers/footers.
    std::vector<QByteArray> markers;
    for (int occ = 0; occ < 3; ++occ)
        for (int k = 1; k <= kTokens; ++k)
            markers.push_back(Marker(k, occ));
    QByteArray header1, header2, footer1, body;
    for (int i = 0; i < 8; ++i)
        header1 += Para(Run("Header ") + markers[size_t(i)]);
    for (int i = 8; i < 14; ++i)
        header2 += Para(Run("Letterhead ") + markers[size_t(i)]);
    for (int i = 14; i < 20; ++i)
        footer1 += Para(Run("Footer ") + markers[size_t(i)]);
    for (size_t i = 20; i < markers.size(); i += 2) {
        QByteArray runs = Run(kProse) + markers[i] + Run(" and ") +
                          (i + 1 < markers.size() ? markers[i + 1] : QByteArray()) + Run(kProse);
        body += Para(runs);
        if (i % 10 == 0)
            body += Para(Run(kProse + kProse));
    }
    const QByteArray sect = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId2\"/>"
                            "<w:headerReference w:type=\"first\" r:id=\"rId3\"/>"
                            "<w:footerReference w:type=\"default\" r:id=\"rId4\"/><w:titlePg/>"
                            "</w:sectPr>";
    QByteArray styles = kDecl + "<w:styles " + kW + ">";
    for (int i = 0; i < 120; ++i)
        styles += "<w:style w:type=\"paragraph\" w:styleId=\"S" + QByteArray::number(i) +
                  "\"><w:name w:val=\"Style " + QByteArray::number(i) +
                  "\"/><w:pPr><w:spacing w:after=\"120\"/></w:pPr><w:rPr><w:sz w:val=\"22\"/>"
                  "</w:rPr></w:style>";
    styles += "</w:styles>";
    const std::vector<std::pair<QByteArray, QByteArray>> parts = {
        {"[Content_Types].xml",
         kDecl + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                 "<Default Extension=\"rels\" ContentType=\"application/"
                 "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
                 "ContentType=\"application/xml\"/></Types>"},
        {"_rels/.rels",
         kDecl + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                 "relationships\"><Relationship Id=\"rId1\" "
                 "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                 "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml",
         kDecl + "<w:document " + kW + "><w:body>" + body + sect + "</w:body></w:document>"},
        {"word/_rels/document.xml.rels",
         kDecl + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                 "relationships\">"
                 "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/"
                 "officeDocument/2006/relationships/header\" Target=\"header1.xml\"/>"
                 "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/"
                 "officeDocument/2006/relationships/header\" Target=\"header2.xml\"/>"
                 "<Relationship Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/"
                 "officeDocument/2006/relationships/footer\" Target=\"footer1.xml\"/>"
                 "</Relationships>"},
        {"word/header1.xml", kDecl + "<w:hdr " + kW + ">" + header1 + "</w:hdr>"},
        {"word/header2.xml", kDecl + "<w:hdr " + kW + ">" + header2 + "</w:hdr>"},
        {"word/footer1.xml", kDecl + "<w:ftr " + kW + ">" + footer1 + "</w:ftr>"},
        {"word/styles.xml", styles},
    };
    return zorv::wordengine::test::MakeZip(parts);
}

// One story as token replacement treats it: read the text once, list its markers, and
// run the piece passes and the removal pass for every token whose marker is there.
int FillRange(word::Range& range, const QStringList& names, const QStringList& values) {
    QStringList markers;
    zorv::GetDelimitedTokens(range.Text(), QStringLiteral("[["), QStringLiteral("]]"), markers,
                             true, false, true);
    const QString joined = markers.join(QString());
    auto find = range.Find();
    int passes = 0;
    for (qsizetype k = 0; k < names.size(); ++k) {
        const QString m = QStringLiteral("[[") + names[k] + QStringLiteral("]]");
        if (!joined.contains(m))
            continue;
        const QString& v = values[k];
        auto pass = [&](const QString& with) {
            find->ClearFormatting();
            find->SetText(m);
            find->Replacement()->ClearFormatting();
            find->Replacement()->SetText(with);
            find->Execute(true, true, word::wdReplaceAll);
            ++passes;
        };
        for (qsizetype p = 0; p < v.size(); p += 100)
            pass(v.mid(p, 100) + m);
        pass(QString());
    }
    return passes;
}

enum Phase { kOpen = 0, kOpenFill = 1, kAll = 2, kAllNoTrim = 3 };

// range(0): how far each iteration goes (open only; open and fill; open, fill, serialise;
// the last again with heap trimming off).
void BM_FillTemplateInProcess(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("template.docx"));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(BuildTemplate());
    }
    QStringList names, values;
    for (int k = 1; k <= kTokens; ++k) {
        names << QStringLiteral("Token%1").arg(k);
        values << Value(k);
    }
    const auto phase = Phase(state.range(0));
    if (phase == kAllNoTrim) {
        // The same fill with glibc's heap trimming off (process-wide, so this variant runs
        // last): on this virtual machine every page fault is expensive, and trimming makes
        // each fill fault in the zlib and buffer memory that the previous one released.
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
        mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    }
    auto app = zorv::wordengine::NewEngineApplication();
    qint64 bytes = 0;
    int passes = 0;
    for (auto _ : state) {
        auto doc = app->Documents()->Open(path, false, false);
        passes = 0;
        if (phase >= kOpenFill) {
            auto sections = doc->Sections();
            for (int s = 1; s <= sections->Count(); ++s)
                for (bool footer : {false, true}) {
                    auto hf = footer ? sections->Item(s)->Footers() : sections->Item(s)->Headers();
                    for (int j = 1; j <= hf->Count(); ++j)
                        passes += FillRange(*hf->Item(j)->Range(), names, values);
                }
            passes += FillRange(*doc->Content(), names, values);
        }
        if (phase >= kAll)
            bytes = zorv::wordengine::PackageBytes(*doc).size();
        doc->Close();
    }
    state.counters["passes"] = passes;
    state.counters["package_bytes"] = double(bytes);
}
BENCHMARK(BM_FillTemplateInProcess)
    ->Arg(kOpen)
    ->Arg(kOpenFill)
    ->Arg(kAll)
    ->Arg(kAllNoTrim)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ComputeStatistics("min",
                        [](const std::vector<double>& v) {
                            return *std::min_element(v.begin(), v.end());
                        })
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
