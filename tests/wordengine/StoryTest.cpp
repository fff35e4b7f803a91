// The story model: text as Word shows it, and find and replace-all over runs and markup.
#include "EngineTestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <libxml/parser.h>

using namespace zorv::wordengine;
using namespace zorv::wordengine::test;
namespace word = zorv::word;

namespace {

bool WellFormed(const QByteArray& xml) {
    xmlDocPtr d = xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool ok = d != nullptr;
    xmlFreeDoc(d);
    return ok;
}

QString BodyText(OpenDoc& o) {
    return o.doc->Content()->Text();
}

void FillPieces(word::Range& range, const QString& marker, const QString& value) {
    for (qsizetype p = 0; p < value.size(); p += 100)
        ReplaceAll(range, marker, value.mid(p, 100) + marker);
    ReplaceAll(range, marker, QString());
}

} // namespace

// --- Text as Word shows it ---

TEST(StoryText, ParagraphsTabsBreaksAndRevisions) {
    auto o = OpenBody(
        "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t></w:r></w:p>"
        "<w:p><w:del><w:r><w:delText>gone</w:delText></w:r></w:del>"
        "<w:ins><w:r><w:t>new</w:t></w:r></w:ins></w:p>"
        "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>PAGE</w:instrText>"
        "</w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>7</w:t></w:r>"
        "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>");
    EXPECT_EQ(BodyText(*o), QStringLiteral("a\tb\x0B"
                                           "c\rnew\r7\r"));
}

TEST(StoryText, TableCellsEndWithCellMarks) {
    auto o = OpenBody("<w:tbl><w:tr><w:tc><w:p><w:r><w:t>x</w:t></w:r></w:p></w:tc>"
                      "<w:tc><w:p><w:r><w:t>y</w:t></w:r></w:p></w:tc></w:tr></w:tbl>" +
                      P("z"));
    EXPECT_EQ(BodyText(*o), QStringLiteral("x\r\ay\r\a\r\az\r"));
}

// --- Matching across markup ---

TEST(ReplaceAll, MarkerSplitAcrossRunsAndMarkupKeepsMarkupAfterValue) {
    auto o = OpenBody("<w:p><w:r><w:rPr><w:i/></w:rPr><w:t>x[[Na</w:t></w:r><w:proofErr "
                      "w:type=\"spellStart\"/><w:bookmarkStart w:id=\"0\" w:name=\"bm\"/>"
                      "<w:r><w:rPr><w:b/></w:rPr><w:t>me</w:t></w:r><w:bookmarkEnd w:id=\"0\"/>"
                      "<w:proofErr w:type=\"spellEnd\"/><w:r><w:t>]]y</w:t></w:r></w:p>");
    auto content = o->doc->Content();
    EXPECT_TRUE(ReplaceAll(*content, "[[Name]]", "Ann"));
    EXPECT_EQ(content->Text(), QStringLiteral("xAnny\r"));
    const QByteArray xml = SavedPart(*o->doc);
    ASSERT_TRUE(WellFormed(xml));
    // The value sits in the first (italic) run; the bookmark and proofing marks follow it.
    EXPECT_TRUE(xml.contains("<w:i/></w:rPr><w:t>xAnn</w:t>")) << xml.constData();
    EXPECT_LT(xml.indexOf("xAnn"), xml.indexOf("bookmarkStart"));
    EXPECT_TRUE(xml.contains("bookmarkEnd"));
    EXPECT_EQ(xml.count("proofErr"), 2);
}

TEST(ReplaceAll, MatchesThroughHyperlinksSmartTagsInsertionsAndFieldResults) {
    auto o =
        OpenBody("<w:p><w:r><w:t>[[</w:t></w:r><w:hyperlink r:id=\"x\"><w:r><w:t>A</w:t></w:r>"
                 "</w:hyperlink><w:smartTag w:uri=\"u\" w:element=\"e\"><w:r><w:t>b</w:t></w:r>"
                 "</w:smartTag><w:ins w:id=\"1\" w:author=\"a\"><w:r><w:t>c</w:t></w:r></w:ins>"
                 "<w:fldSimple w:instr=\"X\"><w:r><w:t>d</w:t></w:r></w:fldSimple>"
                 "<w:r><w:t>]]</w:t></w:r></w:p>");
    auto content = o->doc->Content();
    EXPECT_TRUE(ReplaceAll(*content, "[[Abcd]]", "V"));
    EXPECT_EQ(content->Text(), QStringLiteral("V\r"));
    const QByteArray xml = SavedPart(*o->doc);
    EXPECT_TRUE(WellFormed(xml));
    EXPECT_TRUE(xml.contains("hyperlink") && xml.contains("smartTag") && xml.contains("fldSimple"));
}

TEST(ReplaceAll, DeletedTextDoesNotMatchAndStaysDeleted) {
    auto o = OpenBody("<w:p><w:r><w:t>[[A</w:t></w:r><w:del w:id=\"1\" w:author=\"a\"><w:r>"
                      "<w:delText>X</w:delText></w:r></w:del><w:r><w:t>]]</w:t></w:r></w:p>");
    auto content = o->doc->Content();
    EXPECT_TRUE(ReplaceAll(*content, "[[A]]", "v"));
    EXPECT_TRUE(SavedPart(*o->doc).contains("<w:delText>X</w:delText>"));
    EXPECT_EQ(content->Text(), QStringLiteral("v\r"));
}

TEST(ReplaceAll, NeverSpansAParagraphMarkOrAnObject) {
    auto o = OpenBody(P("[[A") + P("]]") +
                      "<w:p><w:r><w:t>[[</w:t><w:drawing/><w:t>B]]</w:t></w:r></w:p>");
    auto content = o->doc->Content();
    EXPECT_FALSE(ReplaceAll(*content, "[[A]]", "v"));
    EXPECT_FALSE(ReplaceAll(*content, "[[B]]", "v"));
}

// --- Options ---

TEST(ReplaceAll, MatchCaseAsWord) {
    auto o = OpenBody(P("[[name]] [[Name]]"));
    auto content = o->doc->Content();
    ReplaceAll(*content, "[[Name]]", "1");
    EXPECT_EQ(content->Text(), QStringLiteral("[[name]] 1\r"));
    ReplaceAll(*content, "[[NAME]]", "2", false);
    EXPECT_EQ(content->Text(), QStringLiteral("2 1\r"));
}

TEST(ReplaceAll, WholeWordRestrictsOnlyWordBoundedFindTexts) {
    auto o = OpenBody(P("Names Name x[[T]]y"));
    auto content = o->doc->Content();
    ReplaceAll(*content, "Name", "N");
    ReplaceAll(*content, "[[T]]", "v");
    EXPECT_EQ(content->Text(), QStringLiteral("Names N xvy\r"));
}

TEST(ReplaceAll, PiecesAccumulateBeforeTheMarkerEverywhere) {
    auto o = OpenBody(P("[[T]] and [[T]]") + P("last [[T]]"));
    auto content = o->doc->Content();
    QString value;
    for (int i = 0; i < 250; ++i)
        value += QChar(u'a' + i % 26);
    FillPieces(*content, "[[T]]", value);
    EXPECT_EQ(content->Text(), value + " and " + value + "\rlast " + value + "\r");
}

// --- What a value becomes ---

TEST(ReplaceAll, ValueIsLiteralAndXmlStaysSound) {
    auto o = OpenBody(P("[[T]]"));
    auto content = o->doc->Content();
    const QString v = QStringLiteral("^p ^& <w:t> ]]> & \"q\"");
    ReplaceAll(*content, "[[T]]", v);
    EXPECT_EQ(content->Text(), v + "\r");
    const QByteArray xml = SavedPart(*o->doc);
    EXPECT_TRUE(WellFormed(xml));
    EXPECT_TRUE(xml.contains("&lt;w:t&gt;"));
}

TEST(ReplaceAll, EdgeSpacesSurvive) {
    auto o = OpenBody(P("a[[T]]b"));
    ReplaceAll(*o->doc->Content(), "[[T]]", "  x  ");
    const QByteArray xml = SavedPart(*o->doc);
    EXPECT_TRUE(xml.contains("<w:t xml:space=\"preserve\">a  x  b</w:t>")) << xml.constData();
}

TEST(ReplaceAll, LineBreaksAndTabsBecomeElementsNeverTextInside) {
    auto o = OpenBody("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>[[T]]</w:t></w:r></w:p>");
    auto content = o->doc->Content();
    FillPieces(*content, "[[T]]", QStringLiteral("l1\r\nl2\nl3\tt"));
    EXPECT_EQ(content->Text(), QStringLiteral("l1\x0Bl2\x0Bl3\tt\r"));
    const QByteArray xml = SavedPart(*o->doc);
    EXPECT_EQ(xml.count("<w:br/>"), 2);
    EXPECT_EQ(xml.count("<w:tab/>"), 1);
    EXPECT_FALSE(
        QRegularExpression("<w:t[^>]*>[^<]*[\\r\\n]").match(QString::fromUtf8(xml)).hasMatch());
}

TEST(ReplaceAll, CrLfSplitBetweenTwoPiecesIsOneBreak) {
    auto o = OpenBody(P("[[T]]"));
    auto content = o->doc->Content();
    QString value = QString(99, u'a') + "\r\nb";
    FillPieces(*content, "[[T]]", value);
    EXPECT_EQ(content->Text(), QString(99, u'a') + QChar(11) + "b\r");
}

TEST(ReplaceAll, CharactersXmlCannotHoldAreDropped) {
    auto o = OpenBody(P("[[T]]"));
    auto content = o->doc->Content();
    ReplaceAll(*content, "[[T]]",
               QStringLiteral("a\x01\x1F") + QChar(0xFFFF) + QChar(0xD800) + "b");
    EXPECT_EQ(content->Text(), QStringLiteral("ab\r"));
    EXPECT_TRUE(WellFormed(SavedPart(*o->doc)));
}

TEST(ReplaceAll, EmptyValueRemovesEveryOccurrence) {
    auto o = OpenBody(P("[[T]]x[[T]]") + P("[[T]]"));
    auto content = o->doc->Content();
    ReplaceAll(*content, "[[T]]", QString());
    EXPECT_EQ(content->Text(), QStringLiteral("x\r\r"));
    EXPECT_TRUE(WellFormed(SavedPart(*o->doc)));
}

TEST(ReplaceAll, SubRangeReplacesOnlyInside) {
    auto o = OpenBody(P("[[T]]") + P("[[T]]"));
    auto second = o->doc->Paragraphs()->Item(2)->Range();
    ReplaceAll(*second, "[[T]]", "two");
    EXPECT_EQ(o->doc->Content()->Text(), QStringLiteral("[[T]]\rtwo\r"));
    EXPECT_EQ(second->Text(), QStringLiteral("two\r"));
}
