// Whole-or-absent writes: a full disk keeps the earlier file and says so, links are
// followed, working copies of dead runs are cleaned and live ones kept.
#include "AtomicWrite.h"
#include "ProcessList.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zorv;
using zorv::test::ReadFile;
using zorv::test::WriteFile;

TEST(AtomicWrite, FullDiskKeepsTheEarlierFileAndSaysSo) {
    const test::SmallDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString target = disk.Path(QStringLiteral("out.xml"));
    ASSERT_TRUE(WriteFile(target, "earlier"));
    disk.Fill();
    // Small enough to sit in a buffer until the end: the failure shows only when flushed.
    for (const QByteArray& bytes : {QByteArray(100, 'a'), QByteArray(200 * 1024, 'b')}) {
        QString error;
        EXPECT_FALSE(WriteFileAtomically(target, bytes, &error));
        EXPECT_EQ(error, QStringLiteral("the disk is full"));
        EXPECT_EQ(ReadFile(target), QByteArray("earlier"));
        EXPECT_EQ(disk.Names(), QStringList{QStringLiteral("out.xml")});
    }
    QTemporaryDir elsewhere;
    const QString source = elsewhere.filePath(QStringLiteral("big"));
    ASSERT_TRUE(WriteFile(source, QByteArray(200 * 1024, 'c')));
    QString error;
    EXPECT_FALSE(CopyFileAtomically(source, target, &error));
    EXPECT_EQ(error, QStringLiteral("the disk is full"));
    OutputWorkingCopy work(target);
    EXPECT_FALSE(work.CopyFrom(source, &error));
    EXPECT_TRUE(error.endsWith(QStringLiteral("the disk is full"))) << error.toStdString();
    EXPECT_EQ(ReadFile(target), QByteArray("earlier"));
    EXPECT_EQ(disk.Names(), QStringList{QStringLiteral("out.xml")});
}

TEST(AtomicWrite, ALinkAtTheOutputIsFollowedAndStays) {
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.txt"));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(WriteFile(real, "old"));
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadFile(real), QByteArray("new"));
    EXPECT_TRUE(IsSameFile(link, real));
    EXPECT_TRUE(IsSameFile(dir.filePath(QStringLiteral("./real.txt")), real));
    EXPECT_FALSE(IsSameFile(real, dir.filePath(QStringLiteral("missing"))));
}

TEST(AtomicWrite, WorkingCopyReplacesTheOutputOnlyOnCommit) {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("template.docx"));
    const QString output = dir.filePath(QStringLiteral("out.docx"));
    ASSERT_TRUE(WriteFile(source, "template"));
    ASSERT_TRUE(WriteFile(output, "earlier"));
    {
        OutputWorkingCopy abandoned(output);
        ASSERT_TRUE(abandoned.CopyFrom(source, nullptr));
        EXPECT_TRUE(abandoned.Path().endsWith(QStringLiteral(".docx")));
    }
    EXPECT_EQ(ReadFile(output), QByteArray("earlier"));
    OutputWorkingCopy work(output);
    ASSERT_TRUE(work.CopyFrom(source, nullptr));
    ASSERT_TRUE(WriteFile(work.Path(), "filled"));
    ASSERT_TRUE(work.Commit(nullptr));
    EXPECT_EQ(ReadFile(output), QByteArray("filled"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(AtomicWrite, OnlyDeadRunsWorkingCopiesAreRemoved) {
    QTemporaryDir dir;
    OutputWorkingCopy live(dir.filePath(QStringLiteral("out.docx")));
    ASSERT_TRUE(live.CopyFrom(QStringLiteral(ZORV_TEST_DATA_DIR "/../CMakeLists.txt"), nullptr));
    const QString dead =
        dir.filePath(QStringLiteral(".~qarn-%1-1-abcdef.docx").arg(CurrentProcessId()));
    const QString other = dir.filePath(QStringLiteral(".~copy-abcdef"));
    ASSERT_TRUE(WriteFile(dead, "x"));
    ASSERT_TRUE(WriteFile(other, "x"));
    RemoveDeadWorkingCopies(dir.path());
    EXPECT_FALSE(QFile::exists(dead));
    EXPECT_TRUE(QFile::exists(live.Path()));
    EXPECT_TRUE(QFile::exists(other));
}
