// Opening packages: what is not a .docx, hostile archives and hostile XML all fail
// Documents.Open with a clear description, and nothing on disk changes.
#include "EngineTestSupport.h"

#include "DocxDocument.h"
#include "TestSupport.h"
#include "ZorvError.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace zorv::wordengine;
using namespace zorv::wordengine::test;

namespace {

const QByteArray kTypes = "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                          "content-types\"/>";

QByteArray Document(const QByteArray& body) {
    return "<w:document " + WNs() + "><w:body>" + body + "</w:body></w:document>";
}

// Opens the bytes under `name`; returns the error, and checks the file and its folder
// are left exactly as they were.
zorv::ZorvError OpenError(const QByteArray& bytes, const QString& name = QStringLiteral("x.docx")) {
    Scratch scratch;
    const QString path = scratch.Write(name, bytes);
    auto app = NewEngineApplication();
    try {
        app->Documents()->Open(path, false, false);
    } catch (const zorv::ZorvError& e) {
        EXPECT_EQ(zorv::test::ReadFile(path), bytes);
        EXPECT_EQ(QDir(scratch.Path(".")).entryList(QDir::Files | QDir::Hidden).size(), 1);
        EXPECT_EQ(app->Documents()->Count(), 0);
        return e;
    }
    ADD_FAILURE() << "opened";
    return zorv::ZorvError(0, {});
}

} // namespace

TEST(OpenRefuses, WhatIsNotAWordPackage) {
    EXPECT_EQ(OpenError("just some text").Number(), EngNotAPackage);
    const auto noMain = OpenError(MakeZip({{"[Content_Types].xml", kTypes}, {"a.txt", "x"}}));
    EXPECT_EQ(noMain.Number(), EngNotAPackage);
    EXPECT_TRUE(noMain.Description().contains("word/document.xml")) << noMain.what();
    EXPECT_TRUE(noMain.Description().contains("x.docx"));
    EXPECT_EQ(
        OpenError(MakeZip({{"[Content_Types].xml", kTypes}, {"word/document.xml", "<html/>"}}))
            .Number(),
        EngNotAPackage);
}

TEST(OpenRefuses, ProtectedFiles) {
    const QByteArray compound =
        QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, 0);
    const auto encrypted = OpenError(compound, "secret.docx");
    EXPECT_EQ(encrypted.Number(), EngProtected);
    EXPECT_TRUE(encrypted.Description().contains("protected or unsupported"));
    // .doc and .rtf go through LibreOffice: tests/word/LegacyFormatsTest.cpp.
}

// Every hostile-archive case is tested on the reader itself (tests/input); here, that its
// refusals reach Documents.Open as the engine's errors, naming the file.
TEST(OpenRefuses, HostileArchivesAsUnsafePackages) {
    const QByteArray huge(4 * 1024 * 1024, ' ');
    const auto bomb = OpenError(
        MakeZip({{"[Content_Types].xml", kTypes}, {"word/document.xml", Document(P("x")) + huge}}));
    EXPECT_EQ(bomb.Number(), EngUnsafePackage);
    EXPECT_TRUE(bomb.Description().contains("x.docx is not a safe Word document"));
    const auto dup = OpenError(MakeZip({{"[Content_Types].xml", kTypes},
                                        {"word/document.xml", Document(P("x"))},
                                        {"word/Document.xml", Document(P("y"))}}));
    EXPECT_EQ(dup.Number(), EngUnsafePackage);
    EXPECT_TRUE(dup.Description().contains("twice"));
}

TEST(OpenRefuses, HostileXml) {
    const QByteArray laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
        "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e "
        "\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
        "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g "
        "\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>" +
        Document(P("&g;"));
    EXPECT_EQ(OpenError(MakeZip({{"[Content_Types].xml", kTypes}, {"word/document.xml", laughs}}))
                  .Number(),
              EngBadXml);
    const QByteArray xxe = "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY x SYSTEM "
                           "\"file:///etc/passwd\">]>" +
                           Document(P("&x;"));
    const auto e =
        OpenError(MakeZip({{"[Content_Types].xml", kTypes}, {"word/document.xml", xxe}}));
    EXPECT_EQ(e.Number(), EngBadXml);
    EXPECT_FALSE(e.Description().contains("root:"));
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<w:r>";
    EXPECT_EQ(OpenError(MakeZip({{"[Content_Types].xml", kTypes},
                                 {"word/document.xml", Document("<w:p>" + deep)}},
                                true))
                  .Number(),
              EngBadXml);
}

TEST(OpenRefuses, EveryTruncatedPrefixOfARealDocument) {
    // A LibreOffice-written template: sections, headers, a footer with a field, a table.
    const QByteArray real = zorv::test::ReadFile(zorv::test::DataPath("wordengine/template.docx"));
    ASSERT_GT(real.size(), 1000);
    for (qsizetype n = 0; n < real.size(); ++n) {
        try {
            DocxDocument::FromBytes(QStringLiteral("cut.docx"), real.left(n));
            ADD_FAILURE() << "a prefix of " << n << " bytes opened";
        } catch (const zorv::ZorvError& e) {
            ASSERT_FALSE(e.Description().isEmpty());
        }
    }
    EXPECT_NO_THROW(DocxDocument::FromBytes(QStringLiteral("whole.docx"), real));
    // And through Documents.Open for a few of them.
    for (qsizetype n : {qsizetype(0), qsizetype(30), real.size() / 2, real.size() - 1})
        EXPECT_FALSE(OpenError(real.left(n)).Description().isEmpty());
}
