// The XML layer: the node model map authors rely on, load failures with their details,
// selection, and hostile files that must fail cleanly without reading anything else.
#include "XmlDocument.h"
#include "MappingTestSupport.h"
#include "ZorvError.h"

#include <QFile>

using zorv::ZorvError;
using zorv::xml::Document;
using zorv::xml::Node;

namespace {

class XmlDocument : public zorv::test::TempFolderTest {
protected:
    bool Load(const QByteArray& bytes) { return doc.Load(Write("doc.xml", bytes)); }
    QStringList ChildNames(const Node& n) const {
        QStringList names;
        for (const Node& c : n.ChildNodes())
            names << c.NodeName();
        return names;
    }
    Document doc;
};

// --- node model ------------------------------------------------------------------------

TEST_F(XmlDocument, IndentationIsDroppedAndOtherNodesKeepTheirDomNames) {
    ASSERT_TRUE(Load(
        "<r>\n  <a/>\n\t<!-- c -->\n  <![CDATA[data]]>\n  text\n  <p:b xmlns:p=\"urn:p\"/>\n</r>"));
    const Node root = doc.DocumentElement();
    EXPECT_EQ(root.NodeName(), "r");
    EXPECT_EQ(ChildNames(root), (QStringList{"a", "#comment", "#cdata-section", "#text", "p:b"}));
}

TEST_F(XmlDocument, WhiteSpaceOnOneLineThatIsAnElementsWholeContentIsKept) {
    ASSERT_TRUE(Load("<r>\n  <Append> </Append>\n  <Tab>\t</Tab>\n  <Lines>\r\n  </Lines>\n"
                     "  <Mixed> <x/> </Mixed>\n</r>"));
    const std::vector<Node> c = doc.DocumentElement().ChildNodes();
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].Text(), " ");
    EXPECT_EQ(c[1].Text(), "\t");
    EXPECT_TRUE(c[2].ChildNodes().empty()); // indentation of an empty element
    EXPECT_EQ(ChildNames(c[3]), QStringList{"x"});
}

TEST_F(XmlDocument, TextIsTheConcatenatedTextOfDescendantsIncludingCData) {
    ASSERT_TRUE(Load("<r><a>one<b>two</b><![CDATA[<three>]]></a><c k='v'/></r>"));
    EXPECT_EQ(doc.SelectSingleNode("/r/a").Text(), "onetwo<three>");
    EXPECT_EQ(doc.SelectSingleNode("/r/c/@k").Text(), "v");
    EXPECT_EQ(doc.SelectSingleNode("/r/c/@k").NodeName(), "k");
}

// --- selection -------------------------------------------------------------------------

TEST_F(XmlDocument, SelectSingleNodeGivesTheFirstInDocumentOrder) {
    ASSERT_TRUE(Load("<r><a>1</a><b>2</b><a>3</a></r>"));
    EXPECT_EQ(doc.SelectSingleNode("/r/b | /r/a").Text(), "1");
    EXPECT_EQ(doc.SelectSingleNode("/r/a[2] | /r/b").Text(), "2");
    EXPECT_TRUE(doc.SelectSingleNode("/r/none").IsNull());
    const std::vector<Node> all = doc.SelectNodes("/r/a[2] | /r/*[1]");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].Text(), "1");
    EXPECT_EQ(all[1].Text(), "3");
}

TEST_F(XmlDocument, BadExpressionsThrowWithANumberAndTheExpression) {
    ASSERT_TRUE(Load("<r/>"));
    for (const char* expression : {"/r/[", "", "p:r", "string(/r)", "/r/namespace::*", "nofn()"}) {
        try {
            doc.SelectSingleNode(expression);
            ADD_FAILURE() << "accepted: " << expression;
        } catch (const ZorvError& e) {
            EXPECT_NE(e.Number(), 0) << expression;
            EXPECT_TRUE(e.Description().contains(QString::fromUtf8(expression))) << expression;
        }
    }
}

TEST_F(XmlDocument, AnEmptyDocumentHasNothingToSelectFrom) {
    Document empty;
    EXPECT_TRUE(empty.DocumentElement().IsNull());
    EXPECT_THROW(empty.SelectNodes("/r"), ZorvError);
}

// --- load failures ---------------------------------------------------------------------

TEST_F(XmlDocument, ParseErrorsCarryLibxml2sCodeLineAndOneLineMessage) {
    EXPECT_FALSE(Load("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\n<a>\xff</a></r>"));
    const zorv::xml::ParseError& e = doc.LastParseError();
    EXPECT_EQ(e.errorCode, 9);
    EXPECT_EQ(e.line, 3);
    EXPECT_EQ(e.url, Path("doc.xml"));
    EXPECT_TRUE(e.reason.startsWith("Input is not proper UTF-8")) << e.reason.toStdString();
    EXPECT_FALSE(e.reason.contains('\n'));
    EXPECT_TRUE(doc.DocumentElement().IsNull());
}

TEST_F(XmlDocument, UndeclaredPrefixesAndEmptyFilesDoNotLoad) {
    EXPECT_FALSE(Load("<r><p:a/></r>"));
    EXPECT_EQ(doc.LastParseError().errorCode, 201); // namespace error
    EXPECT_FALSE(Load(""));
    EXPECT_EQ(doc.LastParseError().reason, "Document is empty");
}

TEST_F(XmlDocument, MissingFilesAndFoldersFailWithAReasonAndLineZero) {
    EXPECT_FALSE(doc.Load(Path("none.xml")));
    EXPECT_EQ(doc.LastParseError().line, 0);
    EXPECT_FALSE(doc.LastParseError().reason.isEmpty());
    EXPECT_FALSE(doc.Load(Path("")));
    EXPECT_FALSE(doc.LastParseError().reason.isEmpty());
}

TEST_F(XmlDocument, ALoadReplacesEarlierContent) {
    ASSERT_TRUE(Load("<first/>"));
    EXPECT_FALSE(Load("<broken"));
    EXPECT_TRUE(doc.DocumentElement().IsNull());
    ASSERT_TRUE(Load("<second/>"));
    EXPECT_EQ(doc.DocumentElement().NodeName(), "second");
    EXPECT_TRUE(doc.LastParseError().reason.isEmpty());
}

// --- hostile files ---------------------------------------------------------------------

TEST_F(XmlDocument, BillionLaughsFailsToParse) {
    QByteArray dtd = "<!DOCTYPE r [\n<!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        dtd += "<!ENTITY l" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            dtd += "&l" + QByteArray::number(i - 1) + ";";
        dtd += "\">\n";
    }
    EXPECT_FALSE(Load(dtd + "]>\n<r>&l9;</r>"));
    EXPECT_EQ(doc.LastParseError().errorCode, 89); // entity loop / amplification
}

TEST_F(XmlDocument, InternalEntitiesExpandUnderACap) {
    ASSERT_TRUE(Load("<!DOCTYPE r [<!ENTITY co \"Example Ltd\">]><r><a>&co;</a></r>"));
    EXPECT_EQ(doc.SelectSingleNode("/r/a").Text(), "Example Ltd");
    const QByteArray amplified = "<!DOCTYPE r [<!ENTITY x \"" + QByteArray(4096, 'x') + "\">]><r>" +
                                 QByteArray("&x;").repeated(1000) + "</r>";
    EXPECT_FALSE(Load(amplified));
    EXPECT_TRUE(doc.LastParseError().reason.contains("entity"))
        << doc.LastParseError().reason.toStdString();
}

TEST_F(XmlDocument, ExternalEntitiesAndDtdsReadNothing) {
    const QString secret = Write("secret.txt", "TOPSECRET");
    Write("secret.dtd", "<!ENTITY fromdtd \"TOPSECRET\">");
    const QByteArray url = "file://" + secret.toUtf8();
    const QByteArray dtdUrl = "file://" + Path("secret.dtd").toUtf8();
    const QByteArray attempts[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + url + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"secret.txt\">]><r><a>&x;</a></r>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtdUrl + "\"> %p;]><r>&fromdtd;</r>",
        "<!DOCTYPE r SYSTEM \"" + dtdUrl + "\"><r>&fromdtd;</r>",
        "<r xmlns:xi=\"http://www.w3.org/2001/XInclude\"><xi:include href=\"" + url +
            "\" parse=\"text\"/></r>",
    };
    for (const QByteArray& xml : attempts) {
        if (Load(xml)) {
            EXPECT_FALSE(doc.DocumentElement().Text().contains("TOPSECRET")) << xml.constData();
            EXPECT_TRUE(doc.SelectNodes("//text()[contains(., 'TOPSECRET')]").empty());
        } else {
            EXPECT_FALSE(doc.LastParseError().reason.contains("TOPSECRET"));
        }
    }
}

TEST_F(XmlDocument, DeepNestingFailsCleanly) {
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_FALSE(Load(deep));
    EXPECT_GT(doc.LastParseError().line, 0);
}

TEST_F(XmlDocument, FilesPastTheSizeLimitAreRefusedWithAClearReason) {
    const QString path = Path("big.xml");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(Document::kMaxFileSize + 1)); // sparse: nothing is written
    }
    EXPECT_FALSE(doc.Load(path));
    EXPECT_EQ(doc.LastParseError().errorCode, 1512); // XML_IO_EFBIG
    EXPECT_TRUE(doc.LastParseError().reason.contains("64 MiB"));
}

TEST_F(XmlDocument, EveryTruncatedPrefixOfARealMapFailsCleanly) {
    const QByteArray map = zorv::test::ReadFile(zorv::test::DataPath("mapping/ContactMap.xml"));
    ASSERT_GT(map.size(), 1000);
    const qsizetype complete = map.lastIndexOf("</HRXMLMap>") + 11;
    for (qsizetype n = 0; n < complete; ++n) {
        ASSERT_FALSE(Load(map.left(n))) << "prefix of " << n << " bytes loaded";
        ASSERT_FALSE(doc.LastParseError().reason.isEmpty());
    }
    EXPECT_TRUE(Load(map.left(complete)));
}

} // namespace
