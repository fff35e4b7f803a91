// The engine's own Rich Text: what a story holds (code pages, \u with \uc, split markers,
// every header and footer kind of two sections), what is never searched, replacements
// written as RTF with every other byte kept, the submitter block, custom properties, saving,
// and hostile files. LibreOffice reading the output is in tests/word/LegacyFormatsTest.cpp.
#include "EngineTestSupport.h"
#include "RtfDocument.h"
#include "TestSupport.h"
#include "ZorvError.h"
#include "clsReplaceTokens.h"

#include <QFile>
#include <gtest/gtest.h>

namespace word = zorv::word;
namespace engine = zorv::wordengine;
using engine::test::OpenBytes;
using engine::test::ReplaceAll;

namespace {

std::unique_ptr<engine::test::OpenDoc> OpenRtf(const QByteArray& rtf) {
    return OpenBytes(rtf, QStringLiteral("t.rtf"));
}

// Replaces every marker of `tokens` in the story of `rtf` and returns the saved bytes.
QByteArray Filled(const QByteArray& rtf, const QStringList& tokens, const QStringList& values) {
    auto o = OpenRtf(rtf);
    for (qsizetype k = 0; k < tokens.size(); ++k)
        ReplaceAll(*o->doc->Content(), "[[" + tokens[k] + "]]", values[k]);
    return engine::PackageBytes(*o->doc);
}

// The error that opening `rtf` raises; number 0 when it opened.
zorv::ZorvError OpenError(const QByteArray& rtf) {
    try {
        engine::RtfDocument::FromBytes(QStringLiteral("/t/hostile.rtf"), rtf);
    } catch (const zorv::ZorvError& e) {
        return e;
    }
    return zorv::ZorvError(0, {});
}

// --- What a story holds --------------------------------------------------------------------

TEST(RtfStories, EscapesDecodeWithTheDocumentsCodePageAndUnicodeFallbacksAreSkipped) {
    auto latin2 = OpenRtf("{\\rtf1\\ansi\\ansicpg1250 Z\\'b9\\'e6 [[Na\\'e9me]] "
                          "{\\uc2\\u8364\\'80\\'80 euro}\\uc0\\u8364 x\\u-10179\\u-8704?\\par}");
    EXPECT_EQ(latin2->doc->Content()->Text(),
              QString::fromUtf8("Z\u0105\u0107 [[Na\u00e9me]] \u20ac euro\u20acx") + QChar(0xD83D) +
                  QChar(0xDE00) + "?\r");
    auto japanese = OpenRtf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0[[X]]\\'82\\par}");
    EXPECT_EQ(japanese->doc->Content()->Text(), QString::fromUtf8("\u3042[[X]]\ufffd\r"));
    auto specials = OpenRtf("{\\rtf1 a\\tab b\\line c\\~d\\_e\\-f\\emdash\\{\\}\\\\\\page g\\par}");
    EXPECT_EQ(specials->doc->Content()->Text(), QString::fromUtf8("a\tb\x0b"
                                                                  "c\u00a0d\x1e"
                                                                  "ef\u2014{}\\\x0cg\r"));
}

TEST(RtfStories, AMarkerSplitByFormattingEscapesBookmarksAndSourceLinesIsFound) {
    const QByteArray rtf = "{\\rtf1 {\\b [[Fu}ll{\\i Na\\-me}]] [[Full\r\nName]] "
                           "[[Full{\\*\\bkmkstart b}{\\*\\bkmkend b}Name]] [[Full\\'4eame]]\\par}";
    EXPECT_EQ(
        Filled(rtf, {"FullName"}, {"V{}"}),
        "{\\rtf1 {\\b V\\{\\}}{\\i \\-} V\\{\\}\r\n V\\{\\}{\\*\\bkmkstart b}{\\*\\bkmkend b} "
        "V\\{\\}\\par}");
}

TEST(RtfStories, EveryHeaderAndFooterKindOfEverySectionIsFilled) {
    const QByteArray rtf = zorv::test::ReadFile(zorv::test::DataPath("word/sections-template.rtf"));
    QStringList names, values;
    for (const char* n :
         {"A1", "A2", "A3", "A4", "A5", "A6", "B1", "B2", "C1", "C2", "C3", "C4", "C5", "C6"}) {
        names << n;
        values << QStringLiteral("v-%1").arg(n);
    }
    engine::test::Scratch scratch;
    const QString path = scratch.Write("sections.rtf", rtf);
    {
        auto app = engine::NewEngineApplication();
        auto doc = app->Documents()->Open(path, false, false);
        ASSERT_EQ(doc->Sections()->Count(), 2);
        EXPECT_EQ(doc->Sections()
                      ->Item(2)
                      ->Headers()
                      ->Item(word::wdHeaderFooterFirstPage)
                      ->Range()
                      ->Text(),
                  "First header two [[C1]]\r");
        EXPECT_EQ(doc->Sections()
                      ->Item(1)
                      ->Footers()
                      ->Item(word::wdHeaderFooterEvenPages)
                      ->Range()
                      ->Text(),
                  "Even footer one [[A5]]\r");
        EXPECT_EQ(doc->Paragraphs()->Count(), 7)
            << "the section break holds a paragraph of its own";
        auto third = app->Documents()->Open(
            scratch.Write("three.rtf", "{\\rtf1{\\header h\\par}a\\sect b\\sect c}"), false, false);
        ASSERT_EQ(third->Sections()->Count(), 3);
        EXPECT_EQ(third->Sections()
                      ->Item(3)
                      ->Headers()
                      ->Item(word::wdHeaderFooterPrimary)
                      ->Range()
                      ->Text(),
                  "h\r")
            << "a section without its own header shows the previous one";
        app->Quit();
    }
    zorv::test::MessageRecorder messages;
    zorv::clsReplaceTokens rt(engine::NewEngineApplication);
    rt.NTokens = std::int32_t(names.size());
    rt.TokenNames = names;
    rt.TokenValues = values;
    EXPECT_TRUE(rt.ReplaceTokensInDoc(path, false));
    EXPECT_TRUE(messages.messages.empty()) << messages.Texts().join("\n").toStdString();
    QByteArray expected = rtf;
    for (qsizetype k = 0; k < names.size(); ++k)
        expected.replace("[[" + names[k].toLatin1() + "]]", values[k].toLatin1());
    EXPECT_EQ(zorv::test::ReadFile(path), expected) << "nothing but the markers changed";
}

// --- What is never searched ----------------------------------------------------------------

TEST(RtfStories, HiddenTextFieldCodesDestinationsPicturesBinaryDataAndTablesAreNotSearched) {
    const QByteArray rtf =
        "{\\rtf1{\\fonttbl{\\f0 [[A]];}}{\\colortbl;}{\\info{\\title [[A]]}}{\\*\\generator [[A]];}"
        "\\pard {\\v [[A]]} {\\field{\\*\\fldinst HYPERLINK \"[[A]]\"}{\\fldrslt [[A]]}} "
        "{\\*\\foo [[A]]} {\\pict\\pngblip 5b5b415d5d}{\\pict\\bin5 [[A]]}"
        "{\\object{\\*\\objdata [[A]]}} {\\footnote [[A]]} [[{\\v x}A]] [[A]]\\par}";
    QByteArray expected = rtf;
    expected.replace("{\\fldrslt [[A]]}", "{\\fldrslt value}")
        .replace("[[A]]\\par}", "value\\par}");
    EXPECT_EQ(Filled(rtf, {"A"}, {"value"}), expected);
}

// --- Replacements ------------------------------------------------------------------------

TEST(RtfReplace, ValuesAreWrittenAsRtfWithTheStateOfTheMarkersFirstCharacter) {
    EXPECT_EQ(Filled("{\\rtf1 \\b[[A]]\\b0 [[B]]\\par}", {"A", "B"},
                     {QString::fromUtf8("x\\y\tz\r\nw\u00e9\U0001F600"), "-"}),
              "{\\rtf1 \\b x\\\\y\\tab z\\line w\\u233?\\u-10179?\\u-8704?\\b0 -\\par}");
    EXPECT_EQ(Filled("{\\rtf1 \\uc0\\u233[[A]]{\\uc2 [[A]]}{\\uc9 [[A]]}\\par}", {"A"},
                     {QString::fromUtf8("5\u00e9")}),
              "{\\rtf1 \\uc0\\u233 5\\u233 {\\uc2 5\\u233??}{\\uc9 5{\\uc1\\u233?}}\\par}");
    // A value put together in pieces: the LF after a CR in the previous piece is the same
    // line break.
    auto o = OpenRtf("{\\rtf1 [[A]]\\par}");
    ReplaceAll(*o->doc->Content(), "[[A]]", "one\r[[A]]");
    ReplaceAll(*o->doc->Content(), "[[A]]", "\ntwo[[A]]");
    ReplaceAll(*o->doc->Content(), "[[A]]", "");
    EXPECT_EQ(engine::PackageBytes(*o->doc), "{\\rtf1 one\\line two\\par}");
}

TEST(RtfReplace, CaseAndWholeWordFollowWord) {
    auto o = OpenRtf("{\\rtf1 Alpha alphabet ALPHA\\par}");
    EXPECT_TRUE(ReplaceAll(*o->doc->Content(), "alpha", "b", false, true));
    EXPECT_EQ(o->doc->Content()->Text(), "b alphabet b\r");
    EXPECT_FALSE(ReplaceAll(*o->doc->Content(), "Alphabet", "c", true, true));
    EXPECT_TRUE(ReplaceAll(*o->doc->Content(), "alpha", "c", true, false));
    EXPECT_EQ(engine::PackageBytes(*o->doc), "{\\rtf1 b cbet b\\par}");
}

// --- The submitter block, properties and saving -------------------------------------------

TEST(RtfDocument, TheSubmitterBlockIsAppendedInArialRedAndReadBack) {
    engine::test::Scratch scratch;
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}\\f0\\b Last\\par}";
    const QString path = scratch.Write("cv.rtf", rtf);
    QByteArray saved;
    {
        zorv::clsReplaceTokens rt(engine::NewEngineApplication);
        rt.InsertMyRecordIntoWordDoc(path, true, "Ann", "North", "555", "556", "a@b.c");
        saved = zorv::test::ReadFile(path); // the working copy goes with `rt`
    }
    EXPECT_TRUE(saved.startsWith("{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}{\\f1\\fnil Arial;}}"
                                 "{\\colortbl;\\red255\\green0\\blue0;}"))
        << saved.toStdString();
    EXPECT_TRUE(saved.endsWith("\\f0\\b Last\\par {\\f1\\fs28\\cf1\\ulnone\\b0 \\par \\par This "
                               "resume is submitted by:\\par Name: Ann\\par Company: North\\par "
                               "Phone: 555\\par Fax: 556\\par EMail: a@b.c\\par }\\par}"))
        << saved.toStdString();
    auto reread = OpenBytes(saved, "again.rtf");
    EXPECT_EQ(reread->doc->Paragraphs()->Count(), 10);
    EXPECT_EQ(reread->doc->CustomDocumentProperties()->Item("kvtfullname")->Value(), path);
}

TEST(RtfDocument, CustomPropertiesAreReadDeletedAndAdded) {
    auto o = OpenRtf("{\\rtf1{\\*\\userprops {\\propname Client}\\proptype30{\\staticval "
                     "Acme \\'e9}{\\propname Other}\\proptype3{\\staticval 7}}\\pard x\\par}");
    auto props = o->doc->CustomDocumentProperties();
    EXPECT_EQ(props->Item("client")->Value(), QString::fromUtf8("Acme \u00e9"));
    props->Item("Client")->Delete();
    EXPECT_THROW(props->Item("Client"), zorv::ZorvError);
    props->Add("KVTFullName", false, word::msoPropertyTypeString, QString::fromUtf8("/t/\u00e9{"));
    EXPECT_THROW(props->Add("kvtfullname", false, word::msoPropertyTypeString, "x"),
                 zorv::ZorvError);
    EXPECT_EQ(engine::PackageBytes(*o->doc),
              "{\\rtf1{\\*\\userprops {\\propname Other}\\proptype3{\\staticval 7}{\\propname "
              "KVTFullName}\\proptype30{\\staticval /t/\\u233?\\{}}\\pard x\\par}");
}

TEST(RtfDocument, SavingReplacesTheFileKeepingItsPermissions) {
    engine::test::Scratch scratch;
    const QString path = scratch.Write("t.rtf", "{\\rtf1 [[A]]\\par}");
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QFile::setPermissions(path, perms);
    auto app = engine::NewEngineApplication();
    auto doc = app->Documents()->Open(path, false, false);
    ReplaceAll(*doc->Content(), "[[A]]", "b");
    doc->Save();
    EXPECT_EQ(zorv::test::ReadFile(path), "{\\rtf1 b\\par}");
    EXPECT_EQ(QFile::permissions(path) & 0x7077, perms) << "owner, group and others";
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    app->Quit();
}

// --- Hostile files -------------------------------------------------------------------------

TEST(RtfHostile, BadFilesFailWithAClearMessage) {
    const QByteArray deep = "{\\rtf1 " + QByteArray(1000000, '{') + QByteArray(1000000, '}') + "}";
    zorv::ZorvError e = OpenError(deep);
    EXPECT_EQ(e.Number(), engine::EngUnsafePackage);
    EXPECT_TRUE(e.Description().contains("nested more than")) << e.what();
    EXPECT_TRUE(e.Description().contains("/t/hostile.rtf"));
    e = OpenError("{\\rtf1 {\\pict\\bin2147483647 abc}}");
    EXPECT_EQ(e.Number(), engine::EngNotAPackage);
    EXPECT_TRUE(e.Description().contains("runs past the end")) << e.what();
    e = OpenError("{\\rtf1 {\\b unterminated");
    EXPECT_EQ(e.Number(), engine::EngNotAPackage);
    EXPECT_TRUE(e.Description().contains("truncated")) << e.what();
    // A fallback longer than what follows ends with its group.
    auto wide = OpenRtf("{\\rtf1 {\\uc2147483647\\u233 abc}[[A]]\\par}");
    EXPECT_EQ(wide->doc->Content()->Text(), QString::fromUtf8("\u00e9[[A]]\r"));
}

TEST(RtfHostile, AHugeFileIsRefusedBeforeItIsRead) {
    engine::test::Scratch scratch;
    const QString path = scratch.Write("huge.rtf", "{\\rtf1 ");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.resize(100LL * 1024 * 1024));
    file.close();
    auto app = engine::NewEngineApplication();
    try {
        app->Documents()->Open(path, false, false);
        ADD_FAILURE() << "opened";
    } catch (const zorv::ZorvError& e) {
        EXPECT_EQ(e.Number(), engine::EngUnsafePackage);
        EXPECT_TRUE(e.Description().contains("too large")) << e.what();
    }
    app->Quit();
}

TEST(RtfHostile, EveryTruncatedPrefixFailsCleanly) {
    const QByteArray rtf = zorv::test::ReadFile(zorv::test::DataPath("word/sections-template.rtf"));
    const qsizetype end = rtf.lastIndexOf('}');
    for (qsizetype n = 0; n < end; ++n)
        EXPECT_EQ(OpenError(rtf.left(n)).Number(), engine::EngNotAPackage) << n;
    EXPECT_EQ(OpenError(rtf).Number(), 0);
}

} // namespace
