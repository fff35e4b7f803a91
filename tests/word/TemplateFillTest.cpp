// Template filling with the real engine: company-like templates filled through
// clsReplaceTokens and read back by LibreOffice, the replacement rules on real packages,
// and the connection's life cycle with engine instances.
#include "LibreOfficeReader.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "WordEngine.h"
#include "ZorvError.h"
#include "clsReplaceTokens.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using zorv::clsReplaceTokens;
using zorv::test::MessageRecorder;
namespace word = zorv::word;

namespace {

// The tokens of the example map, with values that test the package's XML and the pieces.
const QStringList kNames{"FullName",        "FirstName", "LastName", "Email",
                         "Phone",           "Street",    "City",     "Region",
                         "PostalCode",      "Country",   "Summary",  "CurrentTitle",
                         "CurrentEmployer", "Degree",    "School",   "Skills"};
QStringList Values() {
    const QString summary = QStringLiteral(
        "Project manager with ten years in logistics software; led R&D <lead> teams of "
        "12 across three sites, ran budgets over $2M and shipped the \"]]>\" parser "
        "rewrite. Zoë Łukasiewicz-Müller says: reliable, calm, precise. Fluent in "
        "English, German and Polish; certified scrum master and PMP since 2016.");
    return {"Jane Q. Sample",
            "Jane",
            "Sample",
            "jane.sample@example.com",
            "(217) 555-0142",
            "123 Main Street",
            "Springfield",
            "IL",
            "62701",
            "United States",
            summary,
            "Senior Project Manager",
            "Acme Logistics & Freight",
            "B.S. Computer Science",
            "University of Illinois",
            "Scheduling, budgeting, Agile, SQL"};
}

// The tokens of edge-cases.docx: 250 and 100 characters, empty, XML syntax, a line break
// and a tab, markers inside values, a name given twice.
const QStringList kEdgeNames{"Long",  "Exact", "Empty", "Short", "Xml", "Lines",
                             "Chain", "Later", "Back",  "Dup",   "Dup"};
QStringList EdgeValues(bool lineBreak) {
    QString longValue;
    for (int i = 0; i < 25; ++i)
        longValue += QString::number(i % 10).repeated(10);
    return {longValue,
            QString(100, 'e'),
            "",
            "s",
            "a < b & c > d \"]]>\" <w:t>x</w:t>",
            lineBreak ? "one\ntwo\tthree" : "one two\tthree",
            "<[[Later]]>",
            "L",
            "[[Long]]",
            "first",
            "second"};
}

QString Replaced(QString text, const QStringList& names, const QStringList& values) {
    for (qsizetype k = 0; k < names.size(); ++k)
        text.replace("[[" + names[k] + "]]", values[k]);
    return text;
}

class TemplateFillTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    MessageRecorder messages;

    QString CopyOf(const QString& source, const QString& name) {
        const QString path = dir.filePath(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(source, path)) << source.toStdString();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return path;
    }
    bool Fill(const QString& path, const QStringList& names, const QStringList& values) {
        clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
        rt.NTokens = std::int32_t(names.size());
        rt.TokenNames = names;
        rt.TokenValues = values;
        return rt.ReplaceTokensInDoc(path, false);
    }
    // The saved text of the main story, read by a fresh engine.
    static QString BodyText(const QString& path) {
        auto app = zorv::wordengine::NewEngineApplication();
        const QString text = app->Documents()->Open(path, false, false)->Content()->Text();
        app->Quit();
        return text;
    }
    static QString StoryText(const QString& path, int section, bool footer, int kind) {
        auto app = zorv::wordengine::NewEngineApplication();
        auto sec = app->Documents()->Open(path, false, false)->Sections()->Item(section);
        const QString text =
            (footer ? sec->Footers() : sec->Headers())->Item(kind)->Range()->Text();
        app->Quit();
        return text;
    }
};

// --- What the client sees --------------------------------------------------------------

TEST_F(TemplateFillTest, LibreOfficeShowsTheValuesInPlaceOfTheMarkersAndNothingElseChanged) {
    struct Case {
        QString source;
        QString name;
        QStringList names;
        QStringList values;
    };
    const std::vector<Case> cases{
        {zorv::test::DataPath("word/letterhead.docx"), "letterhead", kNames, Values()},
        {zorv::test::DataPath("word/letterhead-lo.docx"), "letterhead-lo", kNames, Values()},
        {zorv::test::DataPath("word/example-flat.docx"), "example", kNames, Values()},
        {zorv::test::DataPath("word/edge-cases.docx"), "edge-cases", kEdgeNames, EdgeValues(false)},
    };
    QStringList templates;
    QStringList outputs;
    for (const Case& c : cases) {
        templates << CopyOf(c.source, "template-" + c.name + ".docx");
        outputs << CopyOf(c.source, "output-" + c.name + ".docx");
        ASSERT_TRUE(Fill(outputs.last(), c.names, c.values))
            << messages.Texts().join("\n").toStdString();
    }
    EXPECT_TRUE(messages.messages.empty());

    QString log;
    ASSERT_TRUE(zorv::test::ConvertWithLibreOffice(templates + outputs, "txt", dir.path(), &log))
        << log.toStdString();
    ASSERT_TRUE(zorv::test::ConvertWithLibreOffice(outputs, "pdf", dir.path(), &log))
        << log.toStdString();

    for (qsizetype i = 0; i < qsizetype(cases.size()); ++i) {
        SCOPED_TRACE(cases[std::size_t(i)].name.toStdString());
        const QString templateText = QString::fromUtf8(
            zorv::test::ReadFile(zorv::test::ConvertedPath(templates[i], dir.path(), "txt")));
        const QString outputText = QString::fromUtf8(
            zorv::test::ReadFile(zorv::test::ConvertedPath(outputs[i], dir.path(), "txt")));
        ASSERT_FALSE(templateText.isEmpty());
        EXPECT_EQ(outputText, Replaced(templateText, cases[std::size_t(i)].names,
                                       cases[std::size_t(i)].values));

        const QString pdf =
            zorv::test::PdfText(zorv::test::ConvertedPath(outputs[i], dir.path(), "pdf"));
        ASSERT_FALSE(pdf.isEmpty());
        for (const QString& name : cases[std::size_t(i)].names)
            EXPECT_FALSE(pdf.contains("[[" + name + "]]") && name != "Long") << name.toStdString();
    }
    for (int i = 0; i < 3; ++i) {
        const QString pdf =
            zorv::test::PdfText(zorv::test::ConvertedPath(outputs[i], dir.path(), "pdf"));
        EXPECT_TRUE(pdf.contains("jane.sample@example.com")) << "footer";
        EXPECT_TRUE(pdf.contains("R&D <lead>"));
    }

    const QString letterhead =
        zorv::test::PdfText(zorv::test::ConvertedPath(outputs[0], dir.path(), "pdf"));
    EXPECT_TRUE(letterhead.contains("Candidate presented: Jane Q. Sample")) << "first-page header";
    EXPECT_TRUE(letterhead.contains("Profile of Jane Q. Sample")) << "default header";
    EXPECT_TRUE(letterhead.contains("Sample, Jane — experience and education")) << "second section";
    EXPECT_TRUE(letterhead.contains("Confidential. Presented to our client on behalf of Jane."));
    EXPECT_TRUE(letterhead.contains("Page 3 of 3")) << "page fields survive";
    EXPECT_TRUE(letterhead.contains("Reference: [[ReferenceCode]]")) << "not a token";
    EXPECT_TRUE(letterhead.contains("Empty brackets [[]] and a lone [[ stay as they are."));
    const QString example =
        zorv::test::PdfText(zorv::test::ConvertedPath(outputs[2], dir.path(), "pdf"));
    EXPECT_TRUE(example.contains("BRIGHTLINE RECRUITMENT"));
    EXPECT_TRUE(example.contains(
        "Jane Q. Sample · jane.sample@example.com · (217) 555-0142 · Page 1 of 1"));
}

// --- The replacement rules on a real package -----------------------------------------------

TEST_F(TemplateFillTest, TheReplacementRulesHoldInARealPackage) {
    const QString path = CopyOf(zorv::test::DataPath("word/edge-cases.docx"), "edge.docx");
    const QString longValue = EdgeValues(true)[0];
    const QString exact(100, 'e');
    ASSERT_TRUE(Fill(path, kEdgeNames, EdgeValues(true)))
        << messages.Texts().join("\n").toStdString();

    const QStringList lines = BodyText(path).split('\r', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), "Long: " + longValue);
    EXPECT_EQ(lines.value(1), "Exact: " + exact);
    EXPECT_EQ(lines.value(2), "Empty: <>");
    EXPECT_EQ(lines.value(3), "Case: [[long]] [[LONG]]");
    EXPECT_EQ(lines.value(4), "Unknown: [[Unknown]]");
    EXPECT_EQ(lines.value(5), "Thrice: s s s");
    EXPECT_EQ(lines.value(6), "Xml: a < b & c > d \"]]>\" <w:t>x</w:t>");
    EXPECT_EQ(lines.value(7), QString("Lines: one") + QChar(11) + "two\tthree");
    EXPECT_EQ(lines.value(8), "Chain: <L> then L; back: [[Long]]");
    EXPECT_EQ(lines.value(9), "Dup: first");
    EXPECT_EQ(StoryText(path, 1, false, 1), "Head s\r");
    EXPECT_EQ(StoryText(path, 1, true, 1), "Foot s\r");
}

TEST_F(TemplateFillTest, AnOutputThatIsNoWordPackageIsReportedTwiceAndLeftAsItWas) {
    const QString path = dir.filePath("not-a-package.docx");
    const QByteArray bytes = "This is a plain text file, renamed.";
    ASSERT_TRUE(zorv::test::WriteFile(path, bytes));
    EXPECT_FALSE(Fill(path, {"A"}, {"a"}));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_TRUE(
        messages.messages[0].text.startsWith("Error opening " + path + "\r\nDescription: "));
    EXPECT_TRUE(messages.messages[0].text.endsWith("\r\nNumber: 5792"));
    EXPECT_TRUE(messages.messages[1].text.startsWith("Error creating output resume." + path));
    EXPECT_EQ(zorv::test::ReadFile(path), bytes);
}

TEST_F(TemplateFillTest, AReadOnlyOutputIsFilled) {
    const QString path = CopyOf(zorv::test::DataPath("word/edge-cases.docx"), "ro.docx");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    ASSERT_TRUE(Fill(path, {"Dup"}, {"filled"}));
    EXPECT_TRUE(BodyText(path).contains("Dup: filled"));
}

// --- The connection with engine instances ---------------------------------------------------

TEST_F(TemplateFillTest, AttachesToARunningEngineAndLeavesItRunningWithTheDocumentOpen) {
    const QString path = CopyOf(zorv::test::DataPath("word/edge-cases.docx"), "a.docx");
    auto users = word::CreateApplication(zorv::wordengine::NewEngineApplication);
    ASSERT_TRUE(Fill(path, {"Dup"}, {"x"}));
    EXPECT_EQ(word::GetRunningApplication(), users);
    EXPECT_EQ(users->Documents()->Count(), 1);
    users->Quit();
}

TEST_F(TemplateFillTest, AnEngineItStartedIsQuitAtTeardown) {
    const QString path = CopyOf(zorv::test::DataPath("word/edge-cases.docx"), "a.docx");
    ASSERT_TRUE(Fill(path, {"Dup"}, {"x"}));
    EXPECT_THROW(word::GetRunningApplication(), zorv::ZorvError);
}

TEST_F(TemplateFillTest, AfterTheRunningEngineQuitsTheNextFillStartsItsOwn) {
    const QString a = CopyOf(zorv::test::DataPath("word/edge-cases.docx"), "a.docx");
    const QString b = CopyOf(zorv::test::DataPath("word/edge-cases.docx"), "b.docx");
    auto users = word::CreateApplication(zorv::wordengine::NewEngineApplication);
    clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
    rt.NTokens = 1;
    rt.TokenNames = {"Dup"};
    rt.TokenValues = {"x"};
    ASSERT_TRUE(rt.ReplaceTokensInDoc(a, false));
    users->Quit();
    users.reset();
    ASSERT_TRUE(rt.ReplaceTokensInDoc(b, false));
    auto started = word::GetRunningApplication();
    EXPECT_EQ(started->Documents()->Count(), 1);
    EXPECT_TRUE(BodyText(b).contains("Dup: x"));
}

TEST_F(TemplateFillTest, ATemporaryCopyCarriesItsMarkOnDiskAndIsGoneAfterTeardown) {
    const QString copy = CopyOf(zorv::test::DataPath("word/edge-cases.docx"), "copy.docx");
    {
        clsReplaceTokens rt(zorv::wordengine::NewEngineApplication);
        ASSERT_NE(rt.OpenWordDoc(copy, true, false, true), nullptr);
        auto reader = zorv::wordengine::NewEngineApplication();
        auto props = reader->Documents()->Open(copy, false, false)->CustomDocumentProperties();
        EXPECT_EQ(props->Item("KVTFullName")->Value(), copy);
        reader->Quit();
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_THROW(word::GetRunningApplication(), zorv::ZorvError);
}

} // namespace
