// The qarn program as a user runs it: help, version, usage errors, create's input checks,
// and a whole profile created from the example resume.
#include "TestSupport.h"
#include "Version.h"
#include "WordEngine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
zorv::test::QarnResult Qarn(const QStringList& args) {
    return zorv::test::RunQarn(args);
}
} // namespace

TEST(Qarn, HelpListsCommandsAndVersionPrintsIt) {
    const zorv::test::QarnResult help = Qarn({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("create"));
    const zorv::test::QarnResult version = Qarn({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.trimmed(), QStringLiteral("qarn ") + zorv::kVersionString);
}

TEST(Qarn, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Qarn({}).status, 2);
    EXPECT_EQ(Qarn({"frobnicate"}).status, 2);
    EXPECT_EQ(Qarn({"create", "only-one"}).status, 2);
}

TEST(Qarn, CreateReportsMissingResumeAndFails) {
    const zorv::test::QarnResult r =
        Qarn({"create", "/no/such/resume.doc", "/no/such/template.docx"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Resume not found.\n/no/such/resume.doc")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// The example resume through the real parser into the example profile: every position,
// bullet, school and certification; with --redact the same profile without a contact detail
// in any story.
TEST(Qarn, CreateFillsTheWholeProfileAndRedactsOnRequest) {
    QTemporaryDir dir;
    const QByteArray resume =
        zorv::test::ReadFile(zorv::test::DataPath("../../examples/resume.txt"));
    ASSERT_TRUE(zorv::test::WriteFile(dir.filePath("jane.txt"), resume));
    ASSERT_TRUE(zorv::test::WriteFile(dir.filePath("blind.txt"), resume));
    const QString profile = zorv::test::DataPath("../../examples/template.docx");
    const zorv::test::QarnResult full = Qarn({"create", dir.filePath("jane.txt"), profile});
    ASSERT_EQ(full.status, 0) << full.err.toStdString();
    const zorv::test::QarnResult blind =
        Qarn({"create", "--redact", dir.filePath("blind.txt"), profile});
    ASSERT_EQ(blind.status, 0) << blind.err.toStdString();

    auto app = zorv::wordengine::NewEngineApplication();
    auto allText = [&](const QString& path) {
        auto doc = app->Documents()->Open(path, false, false);
        QString text = doc->Content()->Text();
        auto section = doc->Sections()->Item(1);
        for (int kind = 1; kind <= 3; ++kind)
            text += section->Headers()->Item(kind)->Range()->Text() +
                    section->Footers()->Item(kind)->Range()->Text();
        return text;
    };
    const QString fullText = allText(dir.filePath("jane_QX.docx"));
    const QString blindText = allText(dir.filePath("blind_QX.docx"));
    app->Quit();
    for (const QString& expected :
         {QStringLiteral("Jane Q. Sample"), QStringLiteral("May 2019 – Present"),
          QStringLiteral("Trained 200 users"), QStringLiteral("B.S. Computer Science"),
          QStringLiteral("Certified ScrumMaster, 2017")}) {
        EXPECT_TRUE(fullText.contains(expected)) << expected.toStdString();
        EXPECT_TRUE(blindText.contains(expected)) << expected.toStdString();
    }
    EXPECT_TRUE(fullText.contains("jane.sample@example.com"));
    for (const QString& detail : {QStringLiteral("jane.sample"), QStringLiteral("555-0142"),
                                  QStringLiteral("Main Street"), QStringLiteral("linkedin")})
        EXPECT_FALSE(blindText.contains(detail)) << detail.toStdString();
}
