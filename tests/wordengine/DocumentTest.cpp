// Documents: stories of sections, custom properties, saving, and the application's
// collection of open documents.
#include "EngineTestSupport.h"

#include "TestSupport.h"
#include "ZorvError.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace zorv::wordengine;
using namespace zorv::wordengine::test;
namespace word = zorv::word;

namespace {

QByteArray Ref(const char* kind, const char* type, const char* part) {
    return QByteArray("<w:") + kind + "Reference w:type=\"" + type + "\" r:id=\"R" + part + "\"/>";
}

// Section 1: default and first-page header, default footer. Section 2: even header only,
// so its default header and footer are the first section's.
DocxContent TwoSections() {
    DocxContent layout;
    layout.body = P("Body [[A]]");
    layout.headers = {{"header1.xml", P("Default [[A]]")},
                      {"header2.xml", P("First [[A]]")},
                      {"header3.xml", P("Even")}};
    layout.footers = {{"footer1.xml", P("Page [[A]]")}};
    layout.sections = {Ref("header", "default", "header1.xml") +
                           Ref("header", "first", "header2.xml") +
                           Ref("footer", "default", "footer1.xml") + "<w:titlePg/>",
                       Ref("header", "even", "header3.xml")};
    return layout;
}

QString HeaderText(word::Document& d, int section, int kind, bool footer = false) {
    auto s = d.Sections()->Item(section);
    return (footer ? s->Footers() : s->Headers())->Item(kind)->Range()->Text();
}

} // namespace

TEST(Sections, HeadersAndFootersOfTheThreeKindsWithLinkToPrevious) {
    auto o = OpenBytes(MakeDocx(TwoSections()));
    word::Document& d = *o->doc;
    ASSERT_EQ(d.Sections()->Count(), 2);
    EXPECT_EQ(d.Sections()->Item(1)->Headers()->Count(), 3);
    EXPECT_EQ(HeaderText(d, 1, word::wdHeaderFooterPrimary), QStringLiteral("Default [[A]]\r"));
    EXPECT_EQ(HeaderText(d, 1, word::wdHeaderFooterFirstPage), QStringLiteral("First [[A]]\r"));
    EXPECT_EQ(HeaderText(d, 1, word::wdHeaderFooterEvenPages), QString());
    EXPECT_EQ(HeaderText(d, 2, word::wdHeaderFooterPrimary), QStringLiteral("Default [[A]]\r"));
    EXPECT_EQ(HeaderText(d, 2, word::wdHeaderFooterEvenPages), QStringLiteral("Even\r"));
    EXPECT_EQ(HeaderText(d, 2, word::wdHeaderFooterPrimary, true), QStringLiteral("Page [[A]]\r"));
    EXPECT_EQ(HeaderText(d, 1, word::wdHeaderFooterFirstPage, true), QString());
    EXPECT_THROW(d.Sections()->Item(3), zorv::ZorvError);
    EXPECT_THROW(d.Sections()->Item(1)->Headers()->Item(4), zorv::ZorvError);
}

TEST(Sections, ReplacingInEveryStoryThenSavingWritesOnlyChangedParts) {
    auto o = OpenBytes(MakeDocx(TwoSections()));
    word::Document& d = *o->doc;
    const QByteArray before = zorv::test::ReadFile(o->path);
    for (int s = 1; s <= d.Sections()->Count(); ++s)
        for (bool footer : {false, true}) {
            auto hf = footer ? d.Sections()->Item(s)->Footers() : d.Sections()->Item(s)->Headers();
            for (int k = 1; k <= hf->Count(); ++k)
                ReplaceAll(*hf->Item(k)->Range(), "[[A]]", "x");
        }
    ReplaceAll(*d.Content(), "[[A]]", "x");
    d.Save();
    const QByteArray after = zorv::test::ReadFile(o->path);
    EXPECT_TRUE(ZipEntry(after, "word/header1.xml").contains("Default x"));
    EXPECT_TRUE(ZipEntry(after, "word/footer1.xml").contains("Page x"));
    EXPECT_TRUE(ZipEntry(after, "word/document.xml").contains("Body x"));
    for (const char* same :
         {"word/header3.xml", "[Content_Types].xml", "_rels/.rels", "word/_rels/document.xml.rels"})
        EXPECT_EQ(ZipEntry(after, same), ZipEntry(before, same)) << same;
}

TEST(Sections, ADocumentWithoutSectionPropertiesHasOneSectionAndEmptyHeaders) {
    auto o = OpenBytes(MakeZip(
        {{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                 "content-types\"/>"},
         {"word/document.xml",
          "<w:document " + WNs() + "><w:body>" + P("x") + "</w:body></w:document>"}}));
    EXPECT_EQ(o->doc->Sections()->Count(), 1);
    EXPECT_EQ(HeaderText(*o->doc, 1, 1), QString());
    EXPECT_FALSE(ReplaceAll(*o->doc->Sections()->Item(1)->Headers()->Item(1)->Range(), "x", "y"));
}

// --- Custom document properties ---

TEST(CustomProperties, AddedToAPackageWithoutThemWithTypeAndRelationship) {
    auto o = OpenBody(P("x"));
    auto props = o->doc->CustomDocumentProperties();
    EXPECT_THROW(props->Item("KVTFullName"), zorv::ZorvError);
    props->Add("KVTFullName", false, word::msoPropertyTypeString, "/tmp/a & b.docx");
    EXPECT_EQ(props->Item("kvtfullname")->Value(), QStringLiteral("/tmp/a & b.docx"));
    EXPECT_THROW(props->Add("KVTFullName", false, word::msoPropertyTypeString, "x"),
                 zorv::ZorvError);
    o->doc->Save();

    // Reopened in a new engine, the property is there; deleting it removes it.
    const QByteArray saved = zorv::test::ReadFile(o->path);
    EXPECT_TRUE(ZipEntry(saved, "[Content_Types].xml").contains("/docProps/custom.xml"));
    EXPECT_TRUE(ZipEntry(saved, "_rels/.rels").contains("custom-properties"));
    auto again = OpenBytes(saved);
    auto p2 = again->doc->CustomDocumentProperties();
    EXPECT_EQ(p2->Item("KVTFullName")->Value(), QStringLiteral("/tmp/a & b.docx"));
    p2->Item("KVTFullName")->Delete();
    EXPECT_THROW(p2->Item("KVTFullName"), zorv::ZorvError);
    p2->Add("KVTFullName", false, word::msoPropertyTypeString, "second");
    again->doc->Save();
    const QByteArray twice = zorv::test::ReadFile(again->path);
    EXPECT_EQ(ZipEntry(twice, "[Content_Types].xml").count("/docProps/custom.xml"), 1);
    EXPECT_EQ(ZipEntry(twice, "_rels/.rels").count("custom-properties"), 1);
    EXPECT_EQ(ZipEntry(twice, "docProps/custom.xml").count("<property "), 1);
}

// --- Saving ---

TEST(Saving, KeepsPermissionsAndLeavesNoTemporaryFile) {
    auto o = OpenBody(P("[[A]]"));
    QFile::setPermissions(o->path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadGroup);
    ReplaceAll(*o->doc->Content(), "[[A]]", "v");
    o->doc->Save();
    // Owner, group and others (Qt adds the current user's own bits as well).
    EXPECT_EQ(QFile::permissions(o->path) & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(QDir(o->scratch.Path(".")).entryList(QDir::Files).size(), 1);
    // Saved again, nothing changed: the same bytes.
    const QByteArray first = zorv::test::ReadFile(o->path);
    o->doc->Save();
    EXPECT_EQ(zorv::test::ReadFile(o->path), first);
}

TEST(Saving, AFailedSaveRaisesAndLeavesTheOldFile) {
    // The document's folder is moved away and a plain file takes its name, so nothing can
    // be written beside the document (permissions would not stop a root test run).
    Scratch scratch;
    QDir(scratch.Path(".")).mkdir("d");
    DocxContent layout;
    layout.body = P("[[A]]");
    const QByteArray before = MakeDocx(layout);
    zorv::test::WriteFile(scratch.Path("d/t.docx"), before);
    auto app = NewEngineApplication();
    auto doc = app->Documents()->Open(scratch.Path("d/t.docx"), false, false);
    ReplaceAll(*doc->Content(), "[[A]]", "v");
    ASSERT_TRUE(QDir(scratch.Path(".")).rename("d", "moved"));
    zorv::test::WriteFile(scratch.Path("d"), "not a folder");
    EXPECT_THROW(doc->Save(), zorv::ZorvError);
    EXPECT_EQ(zorv::test::ReadFile(scratch.Path("moved/t.docx")), before);
    EXPECT_EQ(QDir(scratch.Path("moved")).entryList(QDir::Files).size(), 1);
}

// --- Application and documents ---

TEST(Documents, OpeningAnOpenPathReturnsTheOpenDocument) {
    auto o = OpenBody(P("x"));
    auto docs = o->app->Documents();
    auto same = docs->Open(o->scratch.Path("./t.docx"), false, false);
    EXPECT_EQ(same.get(), o->doc.get());
    EXPECT_EQ(docs->Count(), 1);
    o->doc->Close();
    EXPECT_EQ(docs->Count(), 0);
    EXPECT_THROW(o->doc->Content(), zorv::ZorvError);
}

struct RecordingEvents : word::ApplicationEvents {
    int quits = 0, changes = 0;
    void Quit() override { ++quits; }
    void DocumentChange() override { ++changes; }
};

TEST(Documents, QuitClosesEverythingAndTheProbeFailsAfterwards) {
    auto o = OpenBody(P("x"));
    RecordingEvents events;
    o->app->SetEvents(&events);
    EXPECT_EQ(o->app->ApplicationObject()->Name().isEmpty(), false);
    o->app->Quit();
    EXPECT_EQ(events.quits, 1);
    EXPECT_THROW(o->app->ApplicationObject(), zorv::ZorvError);
    EXPECT_THROW(o->doc->Content(), zorv::ZorvError);
}

TEST(Documents, TheRuntimeOffersTheCreatedEngineUntilItQuits) {
    auto app = word::CreateApplication(NewEngineApplication);
    EXPECT_EQ(word::GetRunningApplication().get(), app.get());
    app->Quit();
    EXPECT_THROW(word::GetRunningApplication(), zorv::ZorvError);
}

// --- The submitter block's members ---

TEST(Paragraphs, AppendedBlockIsFormattedAndEarlierTextKeepsItsFormatting) {
    auto o = OpenBody("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Old</w:t></w:r></w:p>");
    word::Document& d = *o->doc;
    const int n = d.Paragraphs()->Count();
    auto all = d.Range();
    all->InsertParagraphAfter();
    all->InsertAfter("\r\n\r\nThis resume is submitted by:\r\nName: A\r\n");
    const int m = d.Paragraphs()->Count();
    EXPECT_EQ(n, 1);
    EXPECT_EQ(m, 6);
    EXPECT_EQ(d.Content()->Text(),
              QStringLiteral("Old\r\r\rThis resume is submitted by:\rName: A\r\r"));
    auto block = d.Range(d.Paragraphs()->Item(n + 1)->Range()->Start(),
                         d.Paragraphs()->Item(m)->Range()->End());
    auto font = block->Font();
    font->SetName("Arial");
    font->SetSize(14);
    font->SetColorIndex(word::wdRed);
    font->SetUnderline(word::wdUnderlineNone);
    font->SetBold(false);
    const QByteArray xml = SavedPart(d);
    EXPECT_TRUE(xml.contains("<w:r><w:rPr><w:b/></w:rPr><w:t>Old</w:t></w:r>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\" w:cs=\"Arial\"/>"
                             "<w:b w:val=\"0\"/><w:bCs w:val=\"0\"/><w:color w:val=\"FF0000\"/>"
                             "<w:sz w:val=\"28\"/><w:szCs w:val=\"28\"/><w:u w:val=\"none\"/>"
                             "</w:rPr><w:t>Name: A</w:t>"))
        << xml.constData();
}

TEST(Paragraphs, FormattingPartOfARunSplitsItAndLeavesTheRestAlone) {
    auto o = OpenBody("<w:p><w:r><w:rPr><w:i/></w:rPr><w:t>abcd</w:t></w:r></w:p>");
    o->doc->Range(1, 3)->Font()->SetBold(true);
    EXPECT_EQ(o->doc->Content()->Text(), QStringLiteral("abcd\r"));
    const QByteArray xml = SavedPart(*o->doc);
    EXPECT_TRUE(xml.contains("<w:r><w:rPr><w:i/></w:rPr><w:t>a</w:t></w:r>"
                             "<w:r><w:rPr><w:b w:val=\"1\"/><w:bCs w:val=\"1\"/><w:i/></w:rPr>"
                             "<w:t>bc</w:t></w:r><w:r><w:rPr><w:i/></w:rPr><w:t>d</w:t></w:r>"))
        << xml.constData();
}
