// Every prefix of real files (a dense sample for the larger ones) goes through the converters.
// A crash probe: every converter's result carries a message when it fails, so the checks are
// the ones ASan and UBSan make while it runs (and the test's time-out for a hang); nothing is
// asserted about the results.
#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

using namespace zorv::test;

namespace {

// Prefixes every step bytes, and every prefix among the last denseTail bytes, where the
// trailers and central directories lie.
void ConvertPrefixes(const QString& fixture, const QString& ext, qsizetype step,
                     qsizetype denseTail) {
    const QByteArray whole = Fixture(fixture);
    ASSERT_FALSE(whole.isEmpty()) << fixture.toStdString();
    for (qsizetype n = 0; n <= whole.size(); n += (n + denseTail >= whole.size() ? 1 : step))
        ConvertBytes(whole.left(n), ext);
}

} // namespace

TEST(Truncation, EveryPrefixOfDocx) {
    ConvertPrefixes(QStringLiteral("resume.docx"), QStringLiteral("docx"), 1, 0);
}
TEST(Truncation, PrefixesOfRtf) {
    ConvertPrefixes(QStringLiteral("resume.rtf"), QStringLiteral("rtf"), 11, 64);
}
TEST(Truncation, PrefixesOfPdf) {
    ConvertPrefixes(QStringLiteral("resume.pdf"), QStringLiteral("pdf"), 211, 64);
}
TEST(Truncation, PrefixesOfSmallPdf) {
    ConvertPrefixes(QStringLiteral("ligatures.pdf"), QStringLiteral("pdf"), 5, 64);
}
TEST(Truncation, EveryPrefixOfWordPerfect) {
    ConvertPrefixes(QStringLiteral("resume.wpd"), QStringLiteral("wpd"), 1, 0);
}
TEST(Truncation, EveryPrefixOfPng) {
    ConvertPrefixes(QStringLiteral("scan_resume.png"), QStringLiteral("png"), 1, 0);
}
TEST(Truncation, EveryPrefixOfHtmlAndUtf16Text) {
    const QByteArray html =
        "<html><head><meta charset=utf-8><style>x{}</style></head><body>"
        "<h1>Zoë</h1><table><tr><td>a</td><td>b</td></tr></table></body></html>";
    for (qsizetype n = 0; n <= html.size(); ++n)
        ConvertBytes(html.left(n), QStringLiteral("html"));
    const QString text = QStringLiteral("Zoë Ångström\nEngineer");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    for (qsizetype n = 0; n <= utf16.size(); ++n)
        ConvertBytes(utf16.left(n), QStringLiteral("txt"));
}
