// qarn fill as a user runs it: tokens from a file, standard input (lines or JSON with lists)
// or --set, usage errors, and a failed fill that leaves no output behind.
#include "QtPrinters.h"
#include "TestSupport.h"
#include "WordEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

zorv::test::QarnResult Qarn(const QStringList& args, const QByteArray& input = {}) {
    return zorv::test::RunQarn(args, input);
}

QString BodyText(const QString& path) {
    auto app = zorv::wordengine::NewEngineApplication();
    const QString text = app->Documents()->Open(path, false, false)->Content()->Text();
    app->Quit();
    return text;
}

class QarnFillTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString templ = zorv::test::DataPath("word/edge-cases.docx");
    QString Out(const QString& name = "out.docx") const { return dir.filePath(name); }
};

TEST_F(QarnFillTest, FillsFromATokenFileInTheFormatQarnTokensPrints) {
    const QString tokens = dir.filePath("tokens.txt");
    ASSERT_TRUE(
        zorv::test::WriteFile(tokens, "Short\ts\nLines\tone\\ntwo\\tthree\nDup\tback\\\\slash\n"));
    const zorv::test::QarnResult r = Qarn({"fill", templ, Out(), "--tokens", tokens});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    const QString body = BodyText(Out());
    EXPECT_TRUE(body.contains("Thrice: s s s"));
    EXPECT_TRUE(body.contains(QString("Lines: one") + QChar(11) + "two\tthree"));
    EXPECT_TRUE(body.contains("Dup: back\\slash"));
    EXPECT_EQ(zorv::test::ReadFile(templ).size(), QFileInfo(templ).size()) << "template untouched";
}

TEST_F(QarnFillTest, ReadsTokensFromStandardInput) {
    const zorv::test::QarnResult r = Qarn({"fill", templ, Out(), "--tokens", "-"}, "Dup\tpiped\n");
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(BodyText(Out()).contains("Dup: piped"));
}

// qarn tokens --json piped in: the list tokens fill the example profile's blocks, and
// --redact leaves the contact details out.
TEST_F(QarnFillTest, JsonTokensWithListsFillTheBlocks) {
    const zorv::test::QarnResult tokens =
        Qarn({"tokens", zorv::test::DataPath("word/example-hrxml.xml"), "--json", "--map",
              zorv::test::DataPath("../../examples/ZorvQarn.xml")});
    ASSERT_EQ(tokens.status, 0) << tokens.err.toStdString();
    const QString profile = zorv::test::DataPath("../../examples/template.docx");
    const zorv::test::QarnResult r =
        Qarn({"fill", profile, Out(), "--redact", "--tokens", "-"}, tokens.out.toUtf8());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString body = BodyText(Out());
    EXPECT_TRUE(body.contains("Initech Software")) << body.toStdString();
    EXPECT_TRUE(body.contains("Trained 200 users on the new reporting tools"));
    EXPECT_FALSE(body.contains("jane.sample")) << body.toStdString();
    const zorv::test::QarnResult bad =
        Qarn({"fill", profile, Out("bad.docx"), "--tokens", "-"}, "[{\"value\": \"x\"}]");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.contains("a token without a name")) << bad.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Out("bad.docx")));
}

TEST_F(QarnFillTest, SetOptionsFillAndReplaceAnExistingOutput) {
    ASSERT_TRUE(zorv::test::WriteFile(Out(), "old output"));
    const zorv::test::QarnResult r =
        Qarn({"fill", templ, Out(), "--set", "Dup=a=b", "--set", "Short="});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString body = BodyText(Out());
    EXPECT_TRUE(body.contains("Dup: a=b"));
    EXPECT_TRUE(body.contains("Thrice:   \r"));
}

TEST_F(QarnFillTest, UsageErrorsExitWithTwoAndWriteNothing) {
    EXPECT_EQ(Qarn({"fill", templ, Out()}).status, 2);
    EXPECT_EQ(Qarn({"fill", templ, "--set", "A=1"}).status, 2);
    EXPECT_EQ(Qarn({"fill", templ, Out(), "--set", "A=1", "--tokens", "-"}).status, 2);
    EXPECT_EQ(Qarn({"fill", templ, Out(), "--set", "no-equals"}).status, 2);
    EXPECT_FALSE(QFileInfo::exists(Out()));
}

TEST_F(QarnFillTest, BadTokenFilesAreReportedBeforeAnythingIsWritten) {
    const QString tokens = dir.filePath("tokens.txt");
    ASSERT_TRUE(zorv::test::WriteFile(tokens, "Name\tok\nno tab here\n"));
    zorv::test::QarnResult r = Qarn({"fill", templ, Out(), "--tokens", tokens});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("tokens.txt")) << r.err.toStdString();
    ASSERT_TRUE(zorv::test::WriteFile(tokens, "Name\t\xff\xfe bad\n"));
    r = Qarn({"fill", templ, Out(), "--tokens", tokens});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("UTF-8")) << r.err.toStdString();
    r = Qarn({"fill", templ, Out(), "--tokens", dir.filePath("missing.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFileInfo::exists(Out()));
}

TEST_F(QarnFillTest, ATemplateThatIsNoPackageFailsWithBothMessagesAndNoOutput) {
    const QString bad = dir.filePath("bad.docx");
    ASSERT_TRUE(zorv::test::WriteFile(bad, "not a zip"));
    const zorv::test::QarnResult r = Qarn({"fill", bad, Out(), "--set", "A=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Error opening " + Out())) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Error creating output resume." + Out()));
    EXPECT_FALSE(QFileInfo::exists(Out()));
}

TEST_F(QarnFillTest, AFailedFillKeepsTheEarlierOutputAndLeavesNoCopy) {
    const QString bad = dir.filePath("bad.docx");
    ASSERT_TRUE(zorv::test::WriteFile(bad, "not a zip"));
    ASSERT_TRUE(zorv::test::WriteFile(Out(), "an earlier good output"));
    EXPECT_EQ(Qarn({"fill", bad, Out(), "--set", "A=1"}).status, 1);
    EXPECT_EQ(zorv::test::ReadFile(Out()), QByteArray("an earlier good output"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(QarnFillTest, ALinkAtTheOutputIsFollowed) {
    const QString real = dir.filePath("real.docx");
    ASSERT_TRUE(zorv::test::WriteFile(real, "earlier"));
    ASSERT_TRUE(QFile::link(real, Out()));
    ASSERT_EQ(Qarn({"fill", templ, Out(), "--set", "Dup=x"}).status, 0);
    EXPECT_TRUE(QFileInfo(Out()).isSymLink());
    EXPECT_TRUE(BodyText(real).contains("x"));
}

// kill -9 at any point of a fill leaves the earlier output or the filled one, never the
// unfilled template; the next fill in that folder removes the killed runs' working copies.
TEST_F(QarnFillTest, AKilledFillLeavesTheEarlierOutputOrTheFilledOne) {
    const QString tokens = dir.filePath("tokens.txt");
    // Long, so that the fill takes a while; not repetitive, so that the package's compression
    // ratio stays that of a real document.
    QByteArray value;
    std::uint32_t state = 2463534242u;
    while (value.size() < 200000) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        value += char('a' + state % 26);
    }
    ASSERT_TRUE(zorv::test::WriteFile(tokens, "Dup\t" + value + "\n"));
    for (const int delayMs : {100, 300, 600, 1000, 2000}) {
        ASSERT_TRUE(zorv::test::WriteFile(Out(), "earlier"));
        QProcess fill;
        fill.start(QStringLiteral(ZORV_BIN_DIR "/qarn"),
                   {"fill", templ, Out(), "--tokens", tokens});
        ASSERT_TRUE(fill.waitForStarted());
        QThread::msleep(delayMs);
        fill.kill();
        fill.waitForFinished();
        const QByteArray now = zorv::test::ReadFile(Out());
        if (now != "earlier") {
            EXPECT_FALSE(BodyText(Out()).contains("[[Dup]]")) << "after " << delayMs << " ms";
        }
    }
    ASSERT_EQ(Qarn({"fill", templ, Out(), "--set", "Dup=x"}).status, 0);
    EXPECT_EQ(QDir(dir.path()).entryList({".~qarn-*"}, QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(QarnFillTest, RefusesToFillTheTemplateItselfOrAMissingOne) {
    const QString copy = dir.filePath("t.docx");
    ASSERT_TRUE(QFile::copy(templ, copy));
    const QByteArray before = zorv::test::ReadFile(copy);
    EXPECT_EQ(Qarn({"fill", copy, copy, "--set", "Dup=x"}).status, 1);
    EXPECT_EQ(zorv::test::ReadFile(copy), before);
    ASSERT_TRUE(QFile::link(copy, Out()));
    EXPECT_EQ(Qarn({"fill", copy, Out(), "--set", "Dup=x"}).status, 1);
    EXPECT_EQ(zorv::test::ReadFile(copy), before);
    const zorv::test::QarnResult r =
        Qarn({"fill", dir.filePath("none.docx"), Out(), "--set", "Dup=x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("template not found"));
}

} // namespace
