// The qarn program as a user runs it: help, version, usage errors and create's input checks.
#include "TestSupport.h"
#include "Version.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {
struct Result {
    int status;
    QString out, err;
};
Result Qarn(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ZORV_BIN_DIR "/qarn"), args);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

TEST(Qarn, HelpListsCommandsAndVersionPrintsIt) {
    const Result help = Qarn({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("create"));
    const Result version = Qarn({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.trimmed(), QStringLiteral("qarn ") + zorv::kVersionString);
}

TEST(Qarn, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Qarn({}).status, 2);
    EXPECT_EQ(Qarn({"frobnicate"}).status, 2);
    EXPECT_EQ(Qarn({"create", "only-one"}).status, 2);
}

TEST(Qarn, CreateReportsMissingResumeAndFails) {
    const Result r = Qarn({"create", "/no/such/resume.doc", "/no/such/template.docx"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Resume not found.\n/no/such/resume.doc")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}
