// The qarn program as a user runs it: help, version, usage errors and create's input checks.
#include "TestSupport.h"
#include "Version.h"

#include <QProcess>
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
