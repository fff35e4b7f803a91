// qarn batch as a user runs it, with the real ZorvPr: output names and their clashes, skip and
// --force, the report, shards, a broken file among good ones, and a hanging parser that ends
// only its own worker's server (TestZorvPr in a copy of the program folder).
#include "TestSupport.h"
#include "ZipArchive.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>

using zorv::test::DataPath;
using zorv::test::QarnResult;
using zorv::test::ReadFile;
using zorv::test::WriteFile;

namespace {

const QString kTemplate = QStringLiteral(ZORV_EXAMPLES_DIR "/template.docx");

// The report's rows (without the header), split into their fields; fields hold no commas here.
std::vector<QStringList> ReportRows(const QString& path) {
    const QStringList lines =
        QString::fromUtf8(ReadFile(path)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), "input,status,output,message,seconds,FullName,Email,Phone");
    std::vector<QStringList> rows;
    for (const QString& line : lines.mid(1))
        rows.push_back(line.split(QLatin1Char(',')));
    return rows;
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(In("a"));
        QDir().mkpath(In("b"));
        for (const char* folder : {"a", "b"})
            QFile::copy(DataPath("resumes/r01_us_software.txt"),
                        In(folder) + "/r01_us_software.txt");
        QFile::copy(DataPath("resumes/r03_fr_ingenieur.txt"), In("a") + "/r03.txt");
        WriteFile(In("a") + "/broken.pdf", "not a PDF at all");
    }
    QString In(const QString& name) const { return dir.filePath("in/" + name); }
    QString Out(const QString& name) const { return dir.filePath("out/" + name); }
    QarnResult Run(QStringList extra) const {
        return zorv::test::RunQarn(QStringList{"batch", kTemplate, In("a"), In("b"), "-o",
                                               dir.filePath("out"), "-j", "2"} +
                                   extra);
    }
    QTemporaryDir dir;
};

TEST_F(Batch, ClashingNamesAreNumberedBrokenFilesFailAloneAndReruns) {
    const QString report = dir.filePath("report.csv");
    const QarnResult first = Run({"--report", report});
    EXPECT_EQ(first.status, 1) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains("4 files: 3 ok, 0 skipped, 1 failed"))
        << first.err.toStdString();
    // Sorted input order: a/ before b/, so b's resume gets "_2".
    const std::vector<QStringList> rows = ReportRows(report);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].mid(0, 3),
              QStringList({In("a/broken.pdf"), "failed", Out("broken_QX.docx")}));
    EXPECT_TRUE(rows[0][3].contains("not a PDF")) << rows[0][3].toStdString();
    EXPECT_EQ(rows[1].mid(0, 3),
              QStringList({In("a/r01_us_software.txt"), "ok", Out("r01_us_software_QX.docx")}));
    EXPECT_FALSE(rows[1][5].isEmpty()); // FullName
    EXPECT_TRUE(rows[1][6].contains('@'));
    EXPECT_EQ(rows[3].mid(0, 3),
              QStringList({In("b/r01_us_software.txt"), "ok", Out("r01_us_software_QX_2.docx")}));
    EXPECT_FALSE(QFileInfo::exists(Out("broken_QX.docx")));
    // Only final names and no temporary copies in the output folder.
    EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden).size(), 3);

    // A rerun skips what exists; --force redoes it.
    const QString json = dir.filePath("report.json");
    const QarnResult again = Run({"--report", json, "--quiet"});
    EXPECT_TRUE(again.err.contains("3 skipped, 1 failed")) << again.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(ReadFile(json)).contains("\"status\": \"skipped\""));
    const QarnResult forced = Run({"--force"});
    EXPECT_TRUE(forced.err.contains("3 ok, 0 skipped, 1 failed")) << forced.err.toStdString();
}

TEST_F(Batch, ShardsPartitionTheInputsWithTheUnshardedNames) {
    QSet<QString> seen;
    int total = 0;
    for (int k = 1; k <= 3; ++k) {
        const QString report = dir.filePath(QStringLiteral("shard%1.csv").arg(k));
        Run({"--shard", QStringLiteral("%1/3").arg(k), "--report", report, "--quiet"});
        for (const QStringList& row : ReportRows(report)) {
            ++total;
            seen.insert(row[0] + " -> " + row[2]);
        }
    }
    EXPECT_EQ(total, 4);
    EXPECT_EQ(seen.size(), 4);
    EXPECT_TRUE(
        seen.contains(In("b/r01_us_software.txt") + " -> " + Out("r01_us_software_QX_2.docx")));
    EXPECT_EQ(Run({"--shard", "4/3"}).status, 2);
    EXPECT_EQ(Run({"--shard", "0/3"}).status, 2);
}

// A copy of the program folder whose parser server is TestZorvPr.
TEST_F(Batch, ATimeOutEndsOnlyThatWorkersServer) {
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    ASSERT_TRUE(QFile::copy(ZORV_BIN_DIR "/qarn", bin + "/qarn"));
    ASSERT_TRUE(QFile::copy(ZORV_TEST_SERVER, bin + "/ZorvPr"));
    ASSERT_TRUE(QFile::copy(ZORV_BIN_DIR "/ZorvQarn.xml", bin + "/ZorvQarn.xml"));
    QFile::setPermissions(bin + "/qarn", QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(bin + "/ZorvPr", QFile::ReadOwner | QFile::ExeOwner);

    // The first server hangs; every later one answers after 1.5 s per action, so the other
    // worker's server is busy when the hung one is ended.
    QProcess qarn;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZORVPR_TEST_FAULTS", "hang,late");
    env.insert("ZORVPR_TEST_COUNTER", dir.filePath("counter"));
    env.insert("ZORVPR_TEST_PIDS", dir.filePath("pids"));
    qarn.setProcessEnvironment(env);
    const QString report = dir.filePath("report.csv");
    qarn.start(bin + "/qarn", {"batch", kTemplate, In("a"), In("b"), "-o", dir.filePath("out"),
                               "-j", "2", "--timeout", "5", "--report", report});
    ASSERT_TRUE(qarn.waitForFinished(120000));
    int failed = 0;
    for (const QStringList& row : ReportRows(report)) {
        if (row[1] == "failed") { // the fake servers take broken.pdf too
            ++failed;
            EXPECT_TRUE(row[3].contains("within 5 seconds")) << row[3].toStdString();
        }
    }
    EXPECT_EQ(failed, 1);
    // Two servers at the start and one to replace the hung one: none else was ended.
    EXPECT_EQ(QString::fromUtf8(ReadFile(dir.filePath("pids"))).count('\n'), 3);
}

TEST_F(Batch, OptionsBesideTheResumeHRXMLRedactionAndUsageErrors) {
    const QString resume = In("a/r03.txt");
    const QarnResult kept =
        zorv::test::RunQarn({"batch", kTemplate, resume, "--keep-hrxml", "--quiet"});
    EXPECT_EQ(kept.status, 0) << kept.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(In("a/r03_QX.docx")));
    EXPECT_TRUE(ReadFile(In("a/r03_QX_HRXML.XML")).contains("<Resume"));

    const QarnResult redact = zorv::test::RunQarn(
        {"batch", kTemplate, resume, "-o", dir.filePath("red"), "--redact", "--quiet"});
    EXPECT_EQ(redact.status, 0) << redact.err.toStdString();
    zorv::input::ZipArchive zip;
    zorv::input::ZipError error;
    QByteArray body;
    ASSERT_TRUE(zip.Open(ReadFile(dir.filePath("red/r03_QX.docx")), &error));
    ASSERT_TRUE(zip.Read(QStringLiteral("word/document.xml"), &body, &error));
    EXPECT_TRUE(body.contains("Jean-Pierre")) << "the name stays";
    EXPECT_FALSE(body.contains("@example.fr")) << "the e-mail address goes";

    EXPECT_EQ(zorv::test::RunQarn({"batch", kTemplate}).status, 2);
    EXPECT_EQ(zorv::test::RunQarn({"batch", kTemplate, resume, "-j", "0"}).status, 2);
    EXPECT_EQ(zorv::test::RunQarn({"batch", kTemplate, In("no-such-file.txt")}).status, 2);
}

// Killed in the middle, a batch leaves complete outputs only (a zip ends with its directory).
TEST_F(Batch, AKilledBatchLeavesNoPartialOutput) {
    for (int i = 0; i < 40; ++i)
        QFile::copy(DataPath("resumes/r01_us_software.txt"),
                    In("b") + QStringLiteral("/copy%1.txt").arg(i));
    QProcess qarn;
    qarn.start(ZORV_BIN_DIR "/qarn",
               {"batch", kTemplate, In("b"), "-o", dir.filePath("out"), "-j", "2", "--quiet"});
    ASSERT_TRUE(qarn.waitForStarted());
    QThread::msleep(1500);
    qarn.kill();
    qarn.waitForFinished();
    for (const QFileInfo& f :
         QDir(dir.filePath("out")).entryInfoList({"*_QX*.docx"}, QDir::Files)) {
        const QByteArray bytes = ReadFile(f.filePath());
        EXPECT_TRUE(bytes.right(22).startsWith("PK\x05\x06")) << f.fileName().toStdString();
    }
}

} // namespace
