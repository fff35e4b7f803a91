// The shared LibreOffice converter: a real conversion with a private profile that goes with
// the converter, a missing office, and an office that dies with a process killed outright
// (whose folder the next converter sweeps away).
#include "OfficeConverter.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

using zorv::OfficeConverter;

namespace {

QStringList OwnFolders(qint64 pid) {
    return QDir(QDir::tempPath())
        .entryList({QStringLiteral("zorv-office-%1-*").arg(pid)}, QDir::Dirs | QDir::Hidden);
}

// Gone, or a zombie that only waits to be reaped.
bool ProcessGone(qint64 pid) {
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    const QByteArray stat = zorv::test::ReadFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close > 0 && stat.mid(close + 2, 1) == "Z";
}

} // namespace

TEST(OfficeConverter, ConvertsWithAPrivateProfileThatGoesWithIt) {
    if (zorv::FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    const QString input = dir.filePath("letter.rtf");
    ASSERT_TRUE(zorv::test::WriteFile(input, "{\\rtf1\\ansi Hello [[Name]]\\par}"));
    QString folder;
    {
        OfficeConverter office;
        const auto r = office.Convert(input, "docx:MS Word 2007 XML", "docx", dir.path());
        ASSERT_EQ(r.status, OfficeConverter::Status::Converted);
        EXPECT_EQ(r.outputPath, dir.filePath("letter.docx"));
        EXPECT_TRUE(zorv::test::ReadFile(r.outputPath).startsWith("PK"));
        folder = office.PrivateFolder();
        EXPECT_TRUE(QFileInfo(folder + "/profile/user").isDir()) << "the office used our profile";
        // The profile is set up once: the next conversion is one office run.
        const int runs = office.OfficeRuns();
        ASSERT_EQ(office.Convert(input, "rtf:Rich Text Format", "rtf", folder).status,
                  OfficeConverter::Status::Converted);
        EXPECT_EQ(office.OfficeRuns(), runs + 1);
    }
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(OwnFolders(QCoreApplication::applicationPid()).isEmpty());
}

TEST(OfficeConverter, MissingOfficeIsNamed) {
    OfficeConverter office([] { return QStringLiteral("/nonexistent/soffice"); });
    const auto r = office.Convert("/nonexistent/in.doc", "docx", "docx", QDir::tempPath());
    EXPECT_EQ(r.status, OfficeConverter::Status::NoOffice);
    EXPECT_TRUE(office.PrivateFolder().isEmpty()) << "no folder for nothing";
    EXPECT_TRUE(zorv::OfficeFailureText(r.status, "the file x.doc")
                    .contains("needs LibreOffice, which is not installed"));
}

// Run by DiesWithAProcessKilledOutright in a child process: converts with a stand-in office
// that never finishes.
TEST(OfficeConverterChild, HangsInAConversion) {
    const QByteArray office = qgetenv("ZORV_TEST_HANGING_OFFICE");
    if (office.isEmpty())
        GTEST_SKIP() << "only run as the child of DiesWithAProcessKilledOutright";
    OfficeConverter converter([office] { return QString::fromLocal8Bit(office); });
    converter.Convert(QStringLiteral("/dev/null"), "docx", "docx", QDir::tempPath());
}

TEST(OfficeConverter, DiesWithAProcessKilledOutright) {
    QTemporaryDir dir;
    const QString script = dir.filePath("office.sh");
    const QString pidFile = dir.filePath("office.pid");
    ASSERT_TRUE(zorv::test::WriteFile(script, "#!/bin/sh\necho $$ > \"$ZORV_TEST_PID_FILE\"\n"
                                              "exec sleep 120\n"));
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZORV_TEST_HANGING_OFFICE", script);
    env.insert("ZORV_TEST_PID_FILE", pidFile);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=OfficeConverterChild.HangsInAConversion"});
    ASSERT_TRUE(child.waitForStarted());
    QElapsedTimer t;
    t.start();
    while (zorv::test::ReadFile(pidFile).trimmed().isEmpty() && t.elapsed() < 30000)
        QThread::msleep(20);
    const qint64 officePid = zorv::test::ReadFile(pidFile).trimmed().toLongLong();
    ASSERT_GT(officePid, 0) << "the stand-in office never ran";
    const qint64 childPid = child.processId();
    EXPECT_EQ(OwnFolders(childPid).size(), 1);

    ::kill(pid_t(childPid), SIGKILL);
    child.waitForFinished();
    t.restart();
    while (!ProcessGone(officePid) && t.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_TRUE(ProcessGone(officePid)) << "the office outlived the process that started it";

    // The killed process could not remove its folder; the next converter does.
    OfficeConverter next;
    EXPECT_FALSE(next.NewWorkFolder().isEmpty());
    EXPECT_TRUE(OwnFolders(childPid).isEmpty());
}
