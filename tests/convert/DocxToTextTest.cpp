// .docx to text: the real fixture (header, footer, table, text box), reading order, and
// hostile packages and XML.
#include "DocxToText.h"
#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

namespace {
QByteArray P(const QByteArray& text) {
    return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}
} // namespace

TEST(DocxContent, FixtureHasHeaderBodyTableTextBoxAndFooterInOrder) {
    const auto r = DocxToText(Fixture(QStringLiteral("resume.docx")));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    const QString& t = r.text;
    const qsizetype header =
        t.indexOf(QStringLiteral("Jane Q. Doe · jane.doe@example.com · +1 206 555 0147"));
    const qsizetype name = t.indexOf(QStringLiteral("JANE Q. DOE"));
    const qsizetype box = t.indexOf(QStringLiteral("linkedin.com/in/janeqdoe"));
    const qsizetype row =
        t.indexOf(QStringLiteral("2019 – Present\tSenior Software Engineer\tNorthwind Payments"));
    const qsizetype footer = t.indexOf(QStringLiteral("Resume of Jane Doe, page"));
    EXPECT_GE(header, 0);
    EXPECT_GT(name, header);
    EXPECT_GT(box, name);
    EXPECT_GT(row, box);
    EXPECT_GT(footer, row);
    EXPECT_TRUE(t.contains(QStringLiteral("github.com/janeqdoe")));
    EXPECT_EQ(t.count(QStringLiteral("linkedin.com/in/janeqdoe")), 1); // not again from a fallback
    EXPECT_EQ(t.count(QStringLiteral("jane.doe@example.com")), 1);
}

TEST(DocxContent, RunsTabsBreaksAndTrackedDeletions) {
    const auto r = DocxToText(MakeDocx(
        "<w:p><w:r><w:t xml:space=\"preserve\">Jane </w:t></w:r><w:r><w:t>Doe</w:t></w:r>"
        "<w:r><w:tab/><w:t>2019</w:t><w:br/><w:t>next</w:t></w:r>"
        "<w:del><w:r><w:delText>gone</w:delText></w:r></w:del>"
        "<w:r><w:instrText>HYPERLINK "
        "x</w:instrText></w:r><w:r><w:t>x</w:t><w:noBreakHyphen/><w:t>y</w:t></w:r></w:p>"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.text, QStringLiteral("Jane Doe\t2019\nnextx-y"));
}

TEST(DocxContent, AlternateContentIsReadOnce) {
    const auto r = DocxToText(MakeDocx(
        "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><w:txbxContent>" +
        P("Box text") +
        "</w:txbxContent></w:drawing></mc:Choice><mc:Fallback><w:pict><w:txbxContent>" +
        P("Box text") +
        "</w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent></w:r>"
        "<w:r><w:t>Anchor</w:t></w:r></w:p>"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("Box text\nAnchor"));
}

TEST(DocxContent, NestedTableCellsStayInTheirCell) {
    const auto r = DocxToText(MakeDocx(
        "<w:tbl><w:tr><w:tc>" + P("a") + P("b") + "</w:tc><w:tc><w:tbl><w:tr><w:tc>" + P("c") +
        "</w:tc><w:tc>" + P("d") + "</w:tc></w:tr></w:tbl></w:tc></w:tr></w:tbl>"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("a b\tc d"));
}

TEST(DocxContent, FootnotesFollowTheBody) {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/footnotes\" Target=\"footnotes.xml\"/></Relationships>";
    const QByteArray notes =
        "<w:footnotes xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:footnote w:type=\"separator\" w:id=\"-1\">" +
        P("----") +
        "</w:footnote>"
        "<w:footnote w:id=\"1\">" +
        P("References on request") + "</w:footnote></w:footnotes>";
    const auto r =
        DocxToText(MakeDocx(P("Body"), {{QStringLiteral("word/_rels/document.xml.rels"), rels},
                                        {QStringLiteral("word/footnotes.xml"), notes}}));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.text, QStringLiteral("Body\nReferences on request"));
}

TEST(DocxContent, DateCellStaysOnItsEntrysFirstLine) {
    const auto r = DocxToText(MakeDocx("<w:tbl><w:tr><w:tc>" + P("03/2019 – 05/2021") +
                                       "</w:tc><w:tc>" + P("Test Engineer") + P("Fabrikam GmbH") +
                                       P("Wrote the test plans") + "</w:tc></w:tr></w:tbl>"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("03/2019 – 05/2021\tTest Engineer\nFabrikam GmbH\n"
                                     "Wrote the test plans"));
}

TEST(DocxContent, LayoutTableIsReadCellByCell) {
    // A sidebar beside the main column, laid out with a table.
    const auto r = DocxToText(MakeDocx("<w:tbl><w:tr><w:tc>" + P("CONTACT") + P("j@x.org") +
                                       P("Milano") + "</w:tc><w:tc>" + P("EXPERIENCE") +
                                       P("Lead Developer") + "</w:tc></w:tr></w:tbl>"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, QStringLiteral("CONTACT\nj@x.org\nMilano\nEXPERIENCE\nLead Developer"));
}

TEST(DocxLayout, RunAndStyleSizesBoldAndHyperlinks) {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId7\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/hyperlink\" Target=\"mailto:jane@example.org\" TargetMode=\"External\"/>"
        "<Relationship Id=\"rId8\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"styles.xml\"/></Relationships>";
    const QByteArray styles =
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"20\"/></w:rPr></w:rPrDefault>"
        "</w:docDefaults><w:style w:styleId=\"Big\"><w:rPr><w:sz w:val=\"36\"/></w:rPr></w:style>"
        "<w:style w:styleId=\"Bigger\"><w:basedOn w:val=\"Big\"/></w:style></w:styles>";
    const auto r = DocxToText(MakeDocx(
        "<w:p><w:r><w:rPr><w:b/><w:sz w:val=\"48\"/></w:rPr><w:t>Jane Doe</w:t></w:r></w:p>"
        "<w:p><w:pPr><w:pStyle w:val=\"Bigger\"/></w:pPr><w:r><w:t>Profile</w:t></w:r></w:p>"
        "<w:p><w:hyperlink r:id=\"rId7\"><w:r><w:t>Email</w:t></w:r></w:hyperlink></w:p>"
        "<w:p><w:r><w:instrText> HYPERLINK \"https://github.com/janedoe\" </w:instrText></w:r>"
        "<w:r><w:t>GitHub</w:t></w:r></w:p>",
        {{QStringLiteral("word/_rels/document.xml.rels"), rels},
         {QStringLiteral("word/styles.xml"), styles}}));
    ASSERT_TRUE(r.ok && r.layout) << r.message.toStdString();
    EXPECT_EQ(r.text, QStringLiteral("Jane Doe\nProfile\nEmail\nGitHub"));
    const auto& lines = r.layout->lines;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].fontSize, 24);
    EXPECT_TRUE(lines[0].bold);
    EXPECT_EQ(lines[1].fontSize, 18);
    EXPECT_FALSE(lines[1].bold);
    EXPECT_EQ(lines[2].links, QStringList{QStringLiteral("mailto:jane@example.org")});
    EXPECT_EQ(lines[3].links, QStringList{QStringLiteral("https://github.com/janedoe")});
}

TEST(DocxHostile, EntitiesAreNeverExpandedNorLoaded) {
    const QByteArray laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a \"haha\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
        "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e "
        "\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
        "<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>"
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body><w:p><w:r><w:t>Name &e; &xxe;</w:t></w:r></w:p></w:body></w:document>";
    const auto r = DocxToText(MakeZip({{QStringLiteral("word/document.xml"), laughs}}));
    if (r.ok) {
        EXPECT_FALSE(r.text.contains(QStringLiteral("haha")));
        EXPECT_FALSE(r.text.contains(QStringLiteral("root:")));
    }
}

TEST(DocxHostile, HundredThousandNestedElementsFailCleanly) {
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<w:sdt>";
    const auto r = DocxToText(MakeDocx(deep + P("x")));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
}

TEST(DocxHostile, ControlCharactersAndMarkupInTextStayText) {
    const auto r = DocxToText(MakeDocx(P("a &lt;w:t&gt; ]]&gt; b\x01"
                                         "c")));
    // A control character makes the XML ill-formed: refused cleanly; otherwise kept as text.
    if (r.ok)
        EXPECT_TRUE(r.text.contains(QStringLiteral("<w:t> ]]>")));
    else
        EXPECT_TRUE(r.message.contains(QStringLiteral("damaged")));
    const auto ok = DocxToText(MakeDocx(P("a &lt;w:t&gt; ]]&gt; b")));
    ASSERT_TRUE(ok.ok);
    EXPECT_EQ(ok.text, QStringLiteral("a <w:t> ]]> b"));
}

TEST(DocxHostile, EncryptedPackageAndMissingDocument) {
    auto r = DocxToText(MakeZip({{QStringLiteral("EncryptedPackage"), "xx"}}));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("protected")));
    r = DocxToText(
        MakeZip({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text"}}));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("not a Word document")));
}
