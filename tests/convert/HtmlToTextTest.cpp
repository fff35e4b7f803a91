// HTML to text: blocks as lines, cells as tabs, scripts and styles dropped, encodings,
// hostile pages.
#include "HtmlToText.h"

#include <gtest/gtest.h>

using namespace zorv::rp::convert;

TEST(HtmlContent, BlocksCellsAndDroppedParts) {
    const auto r = HtmlToText(
        "<html><head><title>CV</title><style>p{color:red}</style>"
        "<script>alert('x')</script></head><body>"
        "<h1>Jane   Doe</h1><p>Software\n engineer<br>Seattle</p>"
        "<table><tr><td>2019</td><td>Acme &amp; "
        "Co</td></tr><tr><th>2015</th><td>Initech</td></tr></table>"
        "<ul><li>C++</li><li>Go</li></ul><div>Contact: <a href='mailto:j@x.org'>j@x.org</a></div>"
        "<script>document.write('nope')</script><noscript>nojs</noscript></body></html>");
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    // <noscript> holds what the page shows without scripts.
    EXPECT_EQ(r.text, QStringLiteral("Jane Doe\nSoftware engineer\nSeattle\n2019\tAcme & Co\n"
                                     "2015\tInitech\nC++\nGo\nContact: j@x.org\nnojs"));
}

TEST(HtmlLayout, HeadingSizesAndLinkTargets) {
    const auto r = HtmlToText("<body><h1>Jane Doe</h1><p>Engineer</p><p><a "
                              "href='mailto:jane@example.org'>Email</a> | <a "
                              "href='https://github.com/janedoe'>GitHub</a></p></body>");
    ASSERT_TRUE(r.ok && r.layout);
    const auto& lines = r.layout->lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, QStringLiteral("Jane Doe"));
    EXPECT_GT(lines[0].fontSize, lines[1].fontSize);
    EXPECT_TRUE(lines[0].bold);
    EXPECT_EQ(lines[2].links, (QStringList{QStringLiteral("mailto:jane@example.org"),
                                           QStringLiteral("https://github.com/janedoe")}));
}

TEST(HtmlContent, LayoutTableIsReadCellByCellDataTableByRow) {
    const auto r = HtmlToText("<table><tr><td><p>CONTACT</p><p>j@x.org</p><p>Milano</p></td>"
                              "<td><h2>EXPERIENCE</h2><p>Lead Developer</p></td></tr></table>"
                              "<table><tr><td>2019<br>now</td><td>Acme</td></tr></table>");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("CONTACT\nj@x.org\nMilano\nEXPERIENCE\nLead Developer\n"
                                     "2019 now\tAcme"));
}

TEST(HtmlContent, PreKeepsItsLines) {
    const auto r = HtmlToText("<body><pre>Name:  Jane\nPhone: 555</pre></body>");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("Name:  Jane\nPhone: 555"));
}

TEST(HtmlEncoding, DeclaredCharsetDetectedAndUtf16) {
    auto r = HtmlToText("<html><head><meta charset=\"windows-1252\"></head><body>Ren\xE9 \x96 "
                        "M\xFCller</body></html>");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("René – Müller"));
    r = HtmlToText("<html><body><p>Fran\xE7ois Dupr\xE9, ing\xE9nieur d\xE9veloppement, "
                   "r\xE9sum\xE9 d\xE9taill\xE9</p></body></html>");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("François Dupré, ingénieur développement, résumé détaillé"));
    r = HtmlToText("<p>Ren\xC3\xA9</p>");
    EXPECT_EQ(r.text, QStringLiteral("René"));
    const QString page = QStringLiteral("<html><body><p>Zoë Ångström</p></body></html>");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(page.utf16()), page.size() * 2);
    r = HtmlToText(utf16);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("Zoë Ångström"));
}

TEST(HtmlHostile, DeepNestingAndExternalEntities) {
    const QByteArray deep = QByteArray("<div>").repeated(100000) + "x";
    const auto r = HtmlToText(deep);
    EXPECT_TRUE(!r.ok || r.text == QStringLiteral("x"));
    const auto xxe = HtmlToText("<!DOCTYPE html [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                                "<html><body>a &x; b</body></html>");
    EXPECT_FALSE(xxe.text.contains(QStringLiteral("root:")));
}

TEST(HtmlHostile, PageWithoutTextFails) {
    const auto r = HtmlToText("<html><head><script>var a=1;</script></head><body> </body></html>");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("no text")));
}
