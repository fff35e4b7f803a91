// .doc and .rtf templates end to end: filled through clsReplaceTokens, `qarn fill` and
// `qarn submitter` (.doc through the real LibreOffice, .rtf by the engine itself), written
// back in their own format, and read by LibreOffice with the values in every header and
// footer kind of two sections and in the body. Also: the real type is sniffed, and without
// LibreOffice a .doc fails saying that it is needed while an .rtf is filled all the same.
#include "LegacyFormats.h"
#include "LibreOfficeReader.h"
#include "OfficeConverter.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "WordEngine.h"
#include "ZorvError.h"
#include "clsReplaceTokens.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <utility>

using zorv::clsReplaceTokens;
using zorv::test::MessageRecorder;
namespace word = zorv::word;
namespace engine = zorv::wordengine;

namespace {

const QStringList kNames{"FullName", "Email", "Phone", "Summary"};
const QStringList kValues{"Zoë Sample-Łukasz", "zoe.sample@example.com", "(217) 555-0142",
                          "Logistics & <team> lead"};

const QByteArray kCompoundMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

QStringList OwnOfficeFolders(qint64 pid) {
    return QDir(QDir::tempPath())
        .entryList({QStringLiteral("zorv-office-%1-*").arg(pid)}, QDir::Dirs | QDir::Hidden);
}

bool Fill(const QString& path, const QStringList& names = kNames,
          const QStringList& values = kValues,
          const word::ApplicationFactory& engine = engine::NewEngineApplication) {
    clsReplaceTokens rt(engine);
    rt.NTokens = std::int32_t(names.size());
    rt.TokenNames = names;
    rt.TokenValues = values;
    return rt.ReplaceTokensInDoc(path, false);
}

// The markers of the two-section template, one per header and footer kind and body.
QStringList SectionTokens() {
    QStringList names;
    for (const char* n :
         {"A1", "A2", "A3", "A4", "A5", "A6", "B1", "B2", "C1", "C2", "C3", "C4", "C5", "C6"})
        names << QString::fromLatin1(n);
    return names;
}

// Every kind of header and footer of both sections, as LibreOffice laid the pages out.
void ExpectEveryStoryFilled(const QString& text) {
    for (const char* line :
         {"First header one v-A1", "Even header one v-A2", "Odd header one v-A3",
          "First footer one v-A4", "Even footer one v-A5", "Odd footer one v-A6", "Body one v-B1",
          "First header two v-C1", "Even header two v-C2", "Odd header two v-C3",
          "First footer two v-C4", "Even footer two v-C5", "Odd footer two v-C6", "Body two v-B2"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line << "\n" << text.toStdString();
}

zorv::test::QarnResult Qarn(const QStringList& args) {
    return zorv::test::RunQarn(args);
}

QString Pdf(const QTemporaryDir& dir, const QString& name) {
    return zorv::test::PdfText(
        zorv::test::ConvertedPath(dir.filePath(name), dir.filePath("pdf"), "pdf"));
}

// The PDF text LibreOffice made of an output, with header, footer and body.
void ExpectFilled(const QString& text) {
    for (const QString& v : kValues)
        EXPECT_TRUE(text.contains(v)) << "lacks " << v.toStdString() << "\n" << text.toStdString();
    for (const QString& n : kNames)
        EXPECT_FALSE(text.contains("[[" + n + "]]"));
    EXPECT_TRUE(text.contains("Northwind Staffing – candidate " + kValues[0])) << "header";
    EXPECT_TRUE(text.contains("Confidential – contact " + kValues[1])) << "footer";
    EXPECT_TRUE(text.contains("Resume of " + kValues[0])) << "a marker split by formatting";
    EXPECT_TRUE(text.contains("Unknown marker stays: [[NotAToken]]"));
}

// One test for all of it: every run of the office costs seconds.
TEST(LegacyFormats, DocAndRtfTemplatesAreFilledKeptInTheirFormatAndReadByLibreOffice) {
    if (zorv::FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    const QString doc = zorv::test::DataPath("word/legacy-template.doc");
    const QString rtf = zorv::test::DataPath("word/legacy-template.rtf");
    ASSERT_TRUE(QFile::copy(doc, dir.filePath("filled-doc.doc")));
    ASSERT_TRUE(QFile::copy(rtf, dir.filePath("filled-rtf.rtf")));
    // The two-section template with every header and footer kind, as .rtf and as the .doc
    // that LibreOffice makes of it.
    const QString sections = zorv::test::DataPath("word/sections-template.rtf");
    ASSERT_TRUE(QFile::copy(sections, dir.filePath("sections.rtf")));
    QString log;
    ASSERT_TRUE(zorv::test::ConvertWithLibreOffice({sections}, "doc", dir.path(), &log))
        << log.toStdString();
    ASSERT_TRUE(QFile::rename(dir.filePath("sections-template.doc"), dir.filePath("sections.doc")));
    QStringList sectionValues;
    for (const QString& n : SectionTokens())
        sectionValues << "v-" + n;
    {
        MessageRecorder messages;
        EXPECT_TRUE(Fill(dir.filePath("filled-doc.doc")));
        EXPECT_TRUE(Fill(dir.filePath("filled-rtf.rtf")));
        EXPECT_TRUE(Fill(dir.filePath("sections.rtf"), SectionTokens(), sectionValues));
        EXPECT_TRUE(Fill(dir.filePath("sections.doc"), SectionTokens(), sectionValues));
        EXPECT_TRUE(messages.messages.empty()) << messages.Texts().join("\n").toStdString();
    }
    EXPECT_TRUE(OwnOfficeFolders(QCoreApplication::applicationPid()).isEmpty())
        << "the instances took their folders with them";
    QStringList sets;
    for (qsizetype k = 0; k < kNames.size(); ++k)
        sets << "--set" << kNames[k] + "=" + kValues[k];
    const zorv::test::QarnResult fill =
        Qarn(QStringList{"fill", doc, dir.filePath("qarn-fill.doc")} + sets);
    EXPECT_EQ(fill.status, 0) << fill.err.toStdString();
    EXPECT_TRUE(OwnOfficeFolders(fill.pid).isEmpty()) << "qarn fill left its folder";
    const zorv::test::QarnResult submitter =
        Qarn({"submitter", rtf, "--name", "Ann Recruiter", "--company", "Northwind Staffing",
              "--phone", "555-0100", "--fax", "555-0101", "--email", "ann@northwind.example", "-o",
              dir.filePath("qarn-submitter.rtf")});
    EXPECT_EQ(submitter.status, 0) << submitter.err.toStdString();
    EXPECT_TRUE(OwnOfficeFolders(submitter.pid).isEmpty()) << "qarn submitter left its folder";

    QDir().mkpath(dir.filePath("pdf"));
    ASSERT_TRUE(zorv::test::ConvertWithLibreOffice(
        {dir.filePath("filled-doc.doc"), dir.filePath("filled-rtf.rtf"),
         dir.filePath("qarn-fill.doc"), dir.filePath("qarn-submitter.rtf"),
         dir.filePath("sections.rtf"), dir.filePath("sections.doc")},
        "pdf", dir.filePath("pdf"), &log))
        << log.toStdString();
    {
        SCOPED_TRACE("every header and footer kind of an .rtf");
        ExpectEveryStoryFilled(Pdf(dir, "sections.rtf"));
    }
    {
        SCOPED_TRACE("every header and footer kind of a .doc, through LibreOffice");
        ExpectEveryStoryFilled(Pdf(dir, "sections.doc"));
    }
    {
        SCOPED_TRACE(".doc through clsReplaceTokens");
        EXPECT_TRUE(
            zorv::test::ReadFile(dir.filePath("filled-doc.doc")).startsWith(kCompoundMagic));
        ExpectFilled(Pdf(dir, "filled-doc.doc"));
    }
    {
        SCOPED_TRACE(".rtf through clsReplaceTokens");
        EXPECT_TRUE(zorv::test::ReadFile(dir.filePath("filled-rtf.rtf")).startsWith("{\\rtf"));
        ExpectFilled(Pdf(dir, "filled-rtf.rtf"));
    }
    {
        SCOPED_TRACE(".doc through qarn fill");
        EXPECT_TRUE(zorv::test::ReadFile(dir.filePath("qarn-fill.doc")).startsWith(kCompoundMagic));
        ExpectFilled(Pdf(dir, "qarn-fill.doc"));
    }
    {
        SCOPED_TRACE(".rtf through qarn submitter");
        EXPECT_TRUE(zorv::test::ReadFile(dir.filePath("qarn-submitter.rtf")).startsWith("{\\rtf"));
        const QString text = Pdf(dir, "qarn-submitter.rtf");
        for (const char* line : {"This resume is submitted by:", "Name: Ann Recruiter",
                                 "Company: Northwind Staffing", "Phone: 555-0100", "Fax: 555-0101",
                                 "EMail: ann@northwind.example", "Resume of [[FullName]]"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n"
                                                                << text.toStdString();
    }
}

TEST(LegacyFormats, SaveWritesBesideAndRenamesKeepingPermissions) {
    if (zorv::FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath("letter.doc");
    ASSERT_TRUE(QFile::copy(zorv::test::DataPath("word/legacy-template.doc"), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup);
    const QByteArray original = zorv::test::ReadFile(path);
    QString office = zorv::FindOfficeProgram();
    auto app = engine::NewEngineApplicationWithOffice([&office] { return office; });
    auto doc = app->Documents()->Open(path, false, false);
    EXPECT_EQ(app->Documents()->Open(path, false, false), doc) << "open already";
    auto find = doc->Content()->Find();
    find->SetText("[[Phone]]");
    find->Replacement()->SetText("555");
    find->Execute(true, true, word::wdReplaceAll);

    // The way back fails: the original stays as it was, nothing is left beside it.
    const QString installed = std::exchange(office, QStringLiteral("/nonexistent/soffice"));
    try {
        doc->Save();
        ADD_FAILURE() << "saved without an office";
    } catch (const zorv::ZorvError& e) {
        EXPECT_EQ(e.Number(), engine::EngSaveFailed);
        EXPECT_TRUE(e.Description().contains("needs LibreOffice")) << e.what();
    }
    office = installed;
    EXPECT_EQ(zorv::test::ReadFile(path), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    doc->Save();
    const QByteArray saved = zorv::test::ReadFile(path);
    EXPECT_TRUE(saved.startsWith(kCompoundMagic));
    EXPECT_NE(saved, original);
    const auto kept = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    const auto looked = kept | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                        QFileDevice::WriteOther | QFileDevice::ExeOwner;
    EXPECT_EQ(QFile::permissions(path) & looked, kept) << "permissions kept";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    const QString folder = OwnOfficeFolders(QCoreApplication::applicationPid()).value(0);
    EXPECT_FALSE(folder.isEmpty()) << "the instance's private folder while it runs";
    app->Quit();
    EXPECT_TRUE(OwnOfficeFolders(QCoreApplication::applicationPid()).isEmpty());
}

// --- Without LibreOffice --------------------------------------------------------------

class WithoutOffice : public ::testing::Test {
protected:
    static std::shared_ptr<word::Application> Engine() {
        return engine::NewEngineApplicationWithOffice(
            [] { return QStringLiteral("/nonexistent/program/soffice"); });
    }
    QTemporaryDir dir;
};

TEST_F(WithoutOffice, OpeningADocSaysLibreOfficeIsNeededAndChangesNothing) {
    const QString path = dir.filePath("template.doc");
    ASSERT_TRUE(QFile::copy(zorv::test::DataPath("word/legacy-template.doc"), path));
    const QByteArray before = zorv::test::ReadFile(path);
    auto app = Engine();
    try {
        app->Documents()->Open(path, false, false);
        ADD_FAILURE() << "opened";
    } catch (const zorv::ZorvError& e) {
        EXPECT_EQ(e.Number(), engine::EngOfficeMissing);
        EXPECT_TRUE(e.Description().contains("needs LibreOffice, which is not installed"))
            << e.what();
        EXPECT_TRUE(e.Description().contains(path));
    }
    EXPECT_EQ(app->Documents()->Count(), 0);
    EXPECT_EQ(zorv::test::ReadFile(path), before);
    app->Quit();
    EXPECT_TRUE(OwnOfficeFolders(QCoreApplication::applicationPid()).isEmpty());
}

TEST_F(WithoutOffice, FillingADocReportsTheOpenError) {
    const QString path = dir.filePath("template.doc");
    ASSERT_TRUE(QFile::copy(zorv::test::DataPath("word/legacy-template.doc"), path));
    MessageRecorder messages;
    EXPECT_FALSE(Fill(path, kNames, kValues, Engine));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_TRUE(messages.Texts()[0].startsWith("Error opening " + path + "\r\nDescription: "));
    EXPECT_TRUE(messages.Texts()[0].contains("needs LibreOffice"));
    EXPECT_TRUE(messages.Texts()[0].endsWith("\r\nNumber: 5798"));
    EXPECT_TRUE(messages.Texts()[1].startsWith("Error creating output resume." + path));
}

TEST_F(WithoutOffice, AnRtfIsFilledAllTheSameAndNothingElseChanges) {
    const QString path = dir.filePath("template.rtf");
    const QByteArray before =
        zorv::test::ReadFile(zorv::test::DataPath("word/legacy-template.rtf"));
    ASSERT_TRUE(zorv::test::WriteFile(path, before));
    MessageRecorder messages;
    EXPECT_TRUE(Fill(path, kNames, kValues, Engine));
    EXPECT_TRUE(messages.messages.empty()) << messages.Texts().join("\n").toStdString();
    QByteArray expected = before;
    expected.replace("[[Full\\b0 Name]]", "Zo\\u235? Sample-\\u321?ukasz\\b0 ")
        .replace("[[FullName]]", "Zo\\u235? Sample-\\u321?ukasz")
        .replace("[[Email]]", "zoe.sample@example.com")
        .replace("[[Phone]]", "(217) 555-0142")
        .replace("[[Summary]]", "Logistics & <team> lead");
    EXPECT_EQ(zorv::test::ReadFile(path), expected);
}

// --- The real type, not the name ---------------------------------------------------------

TEST(SniffLegacyFormat, TheBytesDecide) {
    using engine::LegacyFormat;
    const QByteArray compound = kCompoundMagic;
    EXPECT_EQ(engine::SniffLegacyFormat("a.doc", compound), LegacyFormat::Doc);
    EXPECT_EQ(engine::SniffLegacyFormat("a.DOT", compound), LegacyFormat::Doc);
    EXPECT_EQ(engine::SniffLegacyFormat("a.rtf", compound), LegacyFormat::Doc);
    // A compound file named .docx is an encrypted package: the package reader says so.
    EXPECT_EQ(engine::SniffLegacyFormat("a.docx", compound), LegacyFormat::None);
    EXPECT_EQ(engine::SniffLegacyFormat("a.doc", "{\\rtf1\\ansi"), LegacyFormat::Rtf);
    EXPECT_EQ(engine::SniffLegacyFormat("a.docx", "{\\rtf1\\ansi"), LegacyFormat::Rtf);
    EXPECT_EQ(engine::SniffLegacyFormat("a.doc", "PK\x03\x04xxxx"), LegacyFormat::None);
    EXPECT_EQ(engine::SniffLegacyFormat("a.docx", "PK\x03\x04xxxx"), LegacyFormat::None);
    try {
        engine::SniffLegacyFormat("/t/plain.doc", "Hello wo");
        ADD_FAILURE() << "a text file named .doc passed";
    } catch (const zorv::ZorvError& e) {
        EXPECT_EQ(e.Number(), engine::EngNotAPackage);
        EXPECT_TRUE(e.Description().contains("/t/plain.doc"));
    }
}

} // namespace
