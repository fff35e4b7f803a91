// Template blocks filled through clsReplaceTokens with the real engine: the three shapes in
// body, header, footer and tables, nesting, empty lists and blank conditionals, markers
// split by formatting, unknown names, fresh ids and numbering in copies, redaction that
// leaves nothing behind, and LibreOffice reading the example profiles.
#include "DocxFixture.h"
#include "LibreOfficeReader.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "TokenLines.h"
#include "TokensFromXML.h"
#include "WordEngine.h"
#include "clsReplaceTokens.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using zorv::TokenList;
using zorv::TokenRecord;
using zorv::wordengine::test::DocxContent;
using zorv::wordengine::test::MakeDocx;
using zorv::wordengine::test::P;
using zorv::wordengine::test::ZipEntry;
namespace word = zorv::word;

namespace {

TokenRecord Item(const QStringList& names, const QStringList& values,
                 std::vector<TokenList> lists = {}) {
    return TokenRecord{names, values, std::move(lists)};
}

TokenList Lines(const QString& name, const QStringList& lines) {
    TokenList list{name, {}};
    for (const QString& line : lines)
        list.items.push_back(Item({"Text"}, {line}));
    return list;
}

// Two positions (the second without bullets), two schools, three skills.
TokenRecord Profile() {
    TokenRecord top = Item({"FullName", "Email", "Phone", "Mobile"},
                           {"Jane Sample", "jane@example.com", "(217) 555-0142", " "});
    top.lists.push_back(
        {"Positions",
         {Item({"Title", "Employer"}, {"Lead", "Acme"}, {Lines("Bullets", {"b1", "b2"})}),
          Item({"Title", "Employer"}, {"Analyst", "Globex"}, {Lines("Bullets", {})})}});
    top.lists.push_back({"Education",
                         {Item({"School", "Year"}, {"Illinois", "2012"}),
                          Item({"School", "Year"}, {"Leeds", ""})}});
    top.lists.push_back(Lines("Skills", {"SQL", "Agile", "Risk"}));
    top.lists.push_back({"Languages", {}});
    return top;
}

QByteArray Row(const QByteArrayList& cells) {
    QByteArray row = "<w:tr>";
    for (const QByteArray& c : cells)
        row += "<w:tc><w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/></w:tcPr>" +
               (c.startsWith("<w:p") ? c : P(c)) + "</w:tc>";
    return row + "</w:tr>";
}

QByteArray Table(const QByteArrayList& rows) {
    return "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid>"
           "<w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2000\"/></w:tblGrid>" +
           rows.join() + "</w:tbl>";
}

class TemplateBlocksTest : public ::testing::Test {
protected:
    // Fills a package made of `layout`; returns the saved file's path.
    QString Fill(const DocxContent& layout, const TokenRecord& values, bool redact = false) {
        return FillFile(scratch.Write(QStringLiteral("t%1.docx").arg(++files_), MakeDocx(layout)),
                        values, redact);
    }
    QString FillFile(const QString& path, const TokenRecord& values, bool redact = false) {
        zorv::clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
        rt.NTokens = std::int32_t(values.names.size());
        rt.TokenNames = values.names;
        rt.TokenValues = values.values;
        rt.TokenLists = values.lists;
        rt.Redact = redact;
        EXPECT_TRUE(rt.ReplaceTokensInDoc(path, false))
            << messages.Texts().join("\n").toStdString();
        return path;
    }
    // The paragraphs of the saved main text (cells end with their own marks).
    static QStringList Paragraphs(const QString& path) {
        auto app = zorv::wordengine::NewEngineApplication();
        const QString text = app->Documents()->Open(path, false, false)->Content()->Text();
        app->Quit();
        return text.split(QRegularExpression("[\r\a]+"), Qt::SkipEmptyParts);
    }
    static QString Part(const QString& path, const QByteArray& name) {
        return QString::fromUtf8(ZipEntry(zorv::test::ReadFile(path), name));
    }

    zorv::wordengine::test::Scratch scratch;
    zorv::test::MessageRecorder messages;

private:
    int files_ = 0;
};

TEST_F(TemplateBlocksTest, ParagraphBlocksRepeatPerItemNestAndSeeOuterTokens) {
    DocxContent layout;
    layout.body = P("Profile of [[FullName]]") + P("[[#Positions]]") +
                  P("[[Title]] at [[Employer]] for [[FullName]]") + P("[[#Bullets]]") +
                  P("- [[Text]]") + P("  [[/Bullets]] ") + P("[[/Positions]]") + P("End");
    EXPECT_EQ(Paragraphs(Fill(layout, Profile())),
              (QStringList{"Profile of Jane Sample", "Lead at Acme for Jane Sample", "- b1", "- b2",
                           "Analyst at Globex for Jane Sample", "End"}));
}

TEST_F(TemplateBlocksTest, EmptyListsAndBlankConditionalsLeaveNoTrace) {
    DocxContent layout;
    layout.body = P("a") + P("[[#Languages]]") + P("x [[Name]]") + P("[[/Languages]]") +
                  P("[[?Mobile]]") + P("Mobile: [[Mobile]]") + P("[[/Mobile]]") + P("[[?Email]]") +
                  P("Mail: [[Email]]") + P("[[/Email]]") + P("[[?Languages]]") + P("Languages") +
                  P("[[/Languages]]") +
                  P("Skills[[?Skills]] (3)[[/Skills]][[?Mobile]], mobile[[/Mobile]].") + P("b");
    EXPECT_EQ(Paragraphs(Fill(layout, Profile())),
              (QStringList{"a", "Mail: jane@example.com", "Skills (3).", "b"}));
}

TEST_F(TemplateBlocksTest, TheThreeShapesWorkInBodyHeaderFooterAndTables) {
    DocxContent layout;
    layout.headers = {{"header1.xml", P("Skills: [[#Skills]][[Text]]; [[/Skills]]end")}};
    layout.footers = {{"footer1.xml", P("[[#Skills]]") + P("F [[Text]]") + P("[[/Skills]]")}};
    layout.sections = {"<w:headerReference w:type=\"default\" r:id=\"Rheader1.xml\"/>"
                       "<w:footerReference w:type=\"default\" r:id=\"Rfooter1.xml\"/>"};
    layout.body =
        Table({Row({"School", "Year"}), Row({"[[#Education]][[School]]", "[[Year]][[/Education]]"}),
               Row({"Skills", P("[[#Skills]]") + P("[[Text]]") + P("[[/Skills]]")}),
               Row({" [[?Mobile]]Mobile", "[[Mobile]][[/Mobile]]"})}) +
        P("after");
    const QString path = Fill(layout, Profile());
    EXPECT_EQ(Paragraphs(path), (QStringList{"School", "Year", "Illinois", "2012", "Leeds",
                                             "Skills", "SQL", "Agile", "Risk", "after"}));
    auto app = zorv::wordengine::NewEngineApplication();
    auto section = app->Documents()->Open(path, false, false)->Sections()->Item(1);
    EXPECT_EQ(section->Headers()->Item(1)->Range()->Text(), "Skills: SQL; Agile; Risk; end\r");
    EXPECT_EQ(section->Footers()->Item(1)->Range()->Text(), "F SQL\rF Agile\rF Risk\r");
    app->Quit();
}

TEST_F(TemplateBlocksTest, MarkersSplitByFormattingAreFoundAndValuesKeepTheFormatting) {
    const QByteArray bold = "<w:rPr><w:b/></w:rPr>";
    DocxContent layout;
    layout.body = "<w:p><w:r><w:t>[[#Pos</w:t></w:r><w:proofErr w:type=\"spellStart\"/><w:r>" +
                  bold + "<w:t>itions]]</w:t></w:r></w:p><w:p><w:r>" + bold +
                  "<w:t>[[Ti</w:t></w:r><w:r><w:t>tle]] (</w:t></w:r><w:r><w:t>[[#Bul</w:t></w:r>"
                  "<w:r>" +
                  bold +
                  "<w:t>lets]][[Te</w:t></w:r><w:r><w:t>xt]] [[/Bullets]])</w:t>"
                  "</w:r></w:p>" +
                  P("[[/Positions]]");
    const QString path = Fill(layout, Profile());
    EXPECT_EQ(Paragraphs(path), (QStringList{"Lead (b1 b2 )", "Analyst ()"}));
    const QString xml = Part(path, "word/document.xml");
    EXPECT_TRUE(xml.contains(QRegularExpression("<w:b/></w:rPr><w:t>Lead</w:t>")))
        << xml.toStdString();
}

TEST_F(TemplateBlocksTest, UnknownNamesAndUnmatchedMarkersStayAsWritten) {
    DocxContent layout;
    layout.body = P("[[#Nope]]x[[/Nope]] [[Nope]]") + P("[[Title]] outside") +
                  P("[[#Positions]] never closed") + P("[[/Skills]] alone") + P("[[FullName]]");
    EXPECT_EQ(Paragraphs(Fill(layout, Profile())),
              (QStringList{"[[#Nope]]x[[/Nope]] [[Nope]]", "[[Title]] outside",
                           "[[#Positions]] never closed", "[[/Skills]] alone", "Jane Sample"}));
}

// A repeated paragraph with a bookmark, a picture, a comment and a numbered list.
TEST_F(TemplateBlocksTest, CopiesGetFreshIdsAndKeepTheirNumbering) {
    const QByteArray drawing =
        "<w:r><w:drawing><wp:inline xmlns:wp=\"http://schemas.openxmlformats.org/"
        "drawingml/2006/wordprocessingDrawing\"><wp:extent cx=\"10\" cy=\"10\"/><wp:docPr id=\"1\" "
        "name=\"Logo\"/></wp:inline></w:drawing></w:r>";
    DocxContent layout;
    layout.body =
        P("[[#Skills]]") +
        "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
        "<w:bookmarkStart w:id=\"0\" w:name=\"skill\"/><w:commentRangeStart w:id=\"5\"/>"
        "<w:r><w:t>[[Text]]</w:t></w:r><w:bookmarkEnd w:id=\"0\"/>"
        "<w:commentRangeEnd w:id=\"5\"/><w:r><w:commentReference w:id=\"5\"/></w:r>" +
        drawing + "</w:p>" + P("[[/Skills]]");
    QByteArray docx = MakeDocx(layout);
    // The package gets a comments part.
    using zorv::wordengine::test::Entries;
    Entries entries;
    for (const QByteArray name : {"[Content_Types].xml", "_rels/.rels", "word/document.xml"})
        entries.push_back({name, ZipEntry(docx, name)});
    QByteArray rels = ZipEntry(docx, "word/_rels/document.xml.rels");
    rels.replace("</Relationships>",
                 "<Relationship Id=\"rC\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                 "2006/relationships/comments\" Target=\"comments.xml\"/></Relationships>");
    entries.push_back({"word/_rels/document.xml.rels", rels});
    entries.push_back({"word/comments.xml", "<w:comments " + zorv::wordengine::test::WNs() +
                                                "><w:comment w:id=\"5\" w:author=\"HR\">" +
                                                P("check") + "</w:comment></w:comments>"});
    const QString path =
        FillFile(scratch.Write("ids.docx", zorv::wordengine::test::MakeZip(entries)), Profile());

    const QString xml = Part(path, "word/document.xml");
    auto values = [&](const QString& pattern) {
        QStringList found;
        for (auto it = QRegularExpression(pattern).globalMatch(xml); it.hasNext();)
            found << it.next().captured(1);
        return found;
    };
    const QStringList bookmarkIds = values("<w:bookmarkStart w:id=\"(\\d+)\"");
    const QStringList names = values("w:name=\"(skill[^\"]*)\"");
    const QStringList pictures = values("<wp:docPr id=\"(\\d+)\"");
    const QStringList comments = values("<w:commentReference w:id=\"(\\d+)\"");
    for (const QStringList& ids : {bookmarkIds, names, pictures, comments}) {
        EXPECT_EQ(ids.size(), 3) << ids.join(",").toStdString();
        EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), 3) << ids.join(",").toStdString();
    }
    EXPECT_EQ(values("<w:bookmarkEnd w:id=\"(\\d+)\"").join(","), bookmarkIds.join(","));
    EXPECT_EQ(xml.count("<w:numId w:val=\"1\"/>"), 3);
    EXPECT_EQ(xml.count("xmlns:w="), 1) << "copies repeat no namespace declaration";
    const QString commentPart = Part(path, "word/comments.xml");
    for (const QString& id : comments)
        EXPECT_TRUE(commentPart.contains("w:id=\"" + id + "\"")) << id.toStdString();
    EXPECT_EQ(Paragraphs(path),
              (QStringList{"SQL\u0005\u0001", "Agile\u0005\u0001", "Risk\u0005\u0001"}));
}

TEST_F(TemplateBlocksTest, RedactionLeavesNoContactDetailAnywhereInThePackage) {
    TokenRecord values = Profile();
    values.names << "Summary"
                 << "Website"
                 << "Street";
    values.values << "Reach me at jane@example.com, +1 217 555 0142 or jane-sample.dev."
                  << "https://jane-sample.dev"
                  << "12 Oak Lane";
    values.lists[0].items[0].lists[0].items[0].values = {"Call (217) 555-0142 at 12 Oak Lane"};
    DocxContent layout;
    layout.headers = {{"header1.xml", P("[[FullName]] [[Email]]")}};
    layout.sections = {"<w:headerReference w:type=\"default\" r:id=\"Rheader1.xml\"/>"};
    const QByteArray body = P("[[FullName]]: [[Summary]]") + P("[[?Phone]]") +
                            P("Phone [[Phone]]") + P("[[/Phone]]") + P("[[Website]] [[Street]]") +
                            P("[[#Positions]]") + P("[[#Bullets]][[Text]]; [[/Bullets]]") +
                            P("[[/Positions]]");
    layout.body = P("[[!Redact]]") + body;
    const QString asked = Fill(layout, values);
    layout.body = body;
    const QString option = Fill(layout, values, true);
    for (const QString& path : {asked, option}) {
        EXPECT_EQ(Paragraphs(path),
                  (QStringList{"Jane Sample: Reach me at or.", " ", "Call at; b2; "}));
        const QByteArray zip = zorv::test::ReadFile(path);
        for (const QByteArray name :
             {"word/document.xml", "word/header1.xml", "[Content_Types].xml", "_rels/.rels",
              "word/_rels/document.xml.rels"}) {
            const QString part = QString::fromUtf8(ZipEntry(zip, name));
            for (const QString detail :
                 {"jane@", "555", "0142", "jane-sample", "Oak Lane", "Redact"})
                EXPECT_FALSE(part.contains(detail))
                    << name.constData() << " " << detail.toStdString();
        }
    }
}

// Templates without blocks, filled with the tokens the former release was given, come out
// as that release wrote them (tests/data/word/former-output, made with its `qarn fill`):
// the same entries in the same order, each byte for byte (only the zip's time stamps of
// rewritten entries differ from run to run).
TEST_F(TemplateBlocksTest, TemplatesWithoutBlocksGiveTheFormerReleasesBytes) {
    for (const QString name : {"letterhead", "edge-cases", "example-flat"}) {
        SCOPED_TRACE(name.toStdString());
        const QString former = zorv::test::DataPath("word/former-output/" + name);
        QStringList names, values;
        ASSERT_TRUE(zorv::DecodeTokenLines(
            QString::fromUtf8(zorv::test::ReadFile(former + ".tokens")), names, values));
        const QString path = scratch.Write(
            name + ".docx", zorv::test::ReadFile(zorv::test::DataPath("word/" + name + ".docx")));
        FillFile(path, TokenRecord{names, values, {}});
        const QByteArray output = zorv::test::ReadFile(path);
        const QByteArray expected = zorv::test::ReadFile(former + ".docx");
        ASSERT_FALSE(expected.isEmpty());
        const QByteArrayList entries = zorv::wordengine::test::ZipNames(expected);
        EXPECT_EQ(zorv::wordengine::test::ZipNames(output), entries);
        for (const QByteArray& entry : entries)
            EXPECT_TRUE(ZipEntry(output, entry) == ZipEntry(expected, entry)) << entry.constData();
    }
}

// The example profiles filled from the example resume's HR-XML through the shipped map, as
// LibreOffice reads them: everything in order, nothing left of a marker, and the blind one
// without a contact detail.
TEST_F(TemplateBlocksTest, LibreOfficeReadsTheExampleProfilesCompleteAndInOrder) {
    const QString hrxml = zorv::test::DataPath("word/example-hrxml.xml");
    const QString map = QStringLiteral(ZORV_SOURCE_DIR "/examples/ZorvQarn.xml");
    TokenRecord values;
    std::int32_t n = 0;
    zorv::GetTokensFromXMLWithMap(hrxml, map, n, values.names, values.values);
    values.lists = zorv::GetTokenListsFromXML(hrxml, map);
    QStringList outputs;
    for (const QString name : {"template", "blind-template"})
        outputs << FillFile(
            scratch.Write(name + ".docx",
                          zorv::test::ReadFile(ZORV_SOURCE_DIR "/examples/" + name + ".docx")),
            values);
    QString log;
    ASSERT_TRUE(zorv::test::ConvertWithLibreOffice(outputs, "txt", scratch.Path(""), &log))
        << log.toStdString();
    const QString profile = QString::fromUtf8(
        zorv::test::ReadFile(zorv::test::ConvertedPath(outputs[0], scratch.Path(""), "txt")));
    const QString blind = QString::fromUtf8(
        zorv::test::ReadFile(zorv::test::ConvertedPath(outputs[1], scratch.Path(""), "txt")));
    qsizetype at = 0;
    for (const QString expected : {"Jane Q. Sample",
                                   "jane.sample@example.com",
                                   "Senior Project Manager",
                                   "Acme Logistics",
                                   "May 2019 – Present",
                                   "Led a team of 12 engineers",
                                   "Ran a budget",
                                   "Project Manager",
                                   "March 2015 – April 2019",
                                   "Business Analyst",
                                   "June 2012 – February 2015",
                                   "Trained 200 users",
                                   "M.S. Operations Research",
                                   "2014",
                                   "B.S. Computer Science",
                                   "Scheduling, budgeting, Agile, SQL, Risk management",
                                   "English (native)",
                                   "German (basic)",
                                   "Project Management Professional (PMP), 2016",
                                   "Certified ScrumMaster, 2017"}) {
        const qsizetype found = profile.indexOf(expected, at);
        EXPECT_GE(found, 0) << expected.toStdString() << " after " << at;
        at = std::max(at, found);
    }
    for (const QString& text : {profile, blind})
        EXPECT_FALSE(text.contains("[[")) << text.toStdString();
    EXPECT_TRUE(blind.contains("Led a team of 12 engineers"));
    for (const QString detail : {"jane.sample", "555-0142", "Main Street", "62701", "linkedin"})
        EXPECT_FALSE(blind.contains(detail)) << detail.toStdString();
}

} // namespace

namespace {

// A Word 97-2003 template goes through its .docx working copy: its blocks repeat as well.
TEST_F(TemplateBlocksTest, BlocksWorkInAWord97Template) {
    DocxContent layout;
    layout.body = P("[[FullName]]") + P("[[#Positions]]") + P("[[Title]] at [[Employer]]") +
                  P("[[#Bullets]]") + P("- [[Text]]") + P("[[/Bullets]]") + P("[[/Positions]]") +
                  Table({Row({"[[#Education]][[School]]", "[[Year]][[/Education]]"})});
    const QString docx = scratch.Write("legacy.docx", MakeDocx(layout));
    QString log;
    ASSERT_TRUE(zorv::test::ConvertWithLibreOffice({docx}, "doc", scratch.Path("doc"), &log))
        << log.toStdString();
    const QString doc =
        FillFile(zorv::test::ConvertedPath(docx, scratch.Path("doc"), "doc"), Profile());
    ASSERT_TRUE(zorv::test::ConvertWithLibreOffice({doc}, "txt", scratch.Path("txt"), &log))
        << log.toStdString();
    const QString text = QString::fromUtf8(
        zorv::test::ReadFile(zorv::test::ConvertedPath(doc, scratch.Path("txt"), "txt")));
    QStringList lines = text.split(QRegularExpression("\\s*\\n\\s*"), Qt::SkipEmptyParts);
    // The text export puts a row's cells on one line, with a separator of its own.
    if (!lines.isEmpty())
        lines.last().remove(QRegularExpression("[^\\w]"));
    EXPECT_EQ(lines, (QStringList{"Jane Sample", "Lead at Acme", "- b1", "- b2",
                                  "Analyst at Globex", "Illinois2012Leeds"}))
        << text.toStdString();
}

} // namespace
