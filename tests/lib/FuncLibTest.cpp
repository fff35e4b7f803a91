// Path, file and string helpers: the rule tables, with POSIX files for the file cases.
#include "FuncLib.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zorv;

namespace {
const QString kNul(QChar(0));
}

TEST(IsBlank, EmptySpacesOrNulsOnly) {
    EXPECT_TRUE(IsBlank(QString()));
    EXPECT_TRUE(IsBlank(QStringLiteral("   ")));
    EXPECT_TRUE(IsBlank(kNul + kNul));
    EXPECT_FALSE(IsBlank(QStringLiteral(" ") + kNul));
    EXPECT_FALSE(IsBlank(QStringLiteral("\t")));
    EXPECT_FALSE(IsBlank(QStringLiteral("x")));
}

TEST(PathSplitting, GetFilePathUsesLastBackslashBeforeAnySlash) {
    EXPECT_EQ(GetFilePath(QStringLiteral("C:\\a\\b.doc")), QStringLiteral("C:\\a"));
    EXPECT_EQ(GetFilePath(QStringLiteral("C:\\b.doc")), QStringLiteral("C:"));
    EXPECT_EQ(GetFilePath(QStringLiteral("\\b.doc")), QString());
    EXPECT_EQ(GetFilePath(QStringLiteral("b.doc")), QString());
    EXPECT_EQ(GetFilePath(QStringLiteral("dir/sub/b.doc")), QStringLiteral("dir/sub"));
    EXPECT_EQ(GetFilePath(QStringLiteral("C:\\x/y.doc")), QStringLiteral("C:"));
    EXPECT_EQ(GetFilePath(QStringLiteral("/tmp/b.doc")), QStringLiteral("/tmp"));
}

TEST(PathSplitting, GetFileName) {
    EXPECT_EQ(GetFileName(QStringLiteral("C:\\a\\b.doc")), QStringLiteral("b.doc"));
    EXPECT_EQ(GetFileName(QStringLiteral("b.doc")), QStringLiteral("b.doc"));
    EXPECT_EQ(GetFileName(QStringLiteral("C:\\a\\")), QString());
    EXPECT_EQ(GetFileName(QString()), QString());
    EXPECT_EQ(GetFileName(QStringLiteral("C:\\x/y.doc")), QStringLiteral("x/y.doc"));
}

TEST(PathSplitting, ExtensionAtLastDotOfWholeString) {
    EXPECT_EQ(GetFileExt(QStringLiteral("a.b.doc")), QStringLiteral("doc"));
    EXPECT_EQ(GetFileExt(QStringLiteral("file.")), QString());
    EXPECT_EQ(GetFileExt(QStringLiteral(".doc")), QStringLiteral("doc"));
    EXPECT_EQ(GetFileExt(QStringLiteral("C:\\my.dir\\file")), QStringLiteral("dir\\file"));
    EXPECT_EQ(StripFileExt(QStringLiteral("C:\\a\\b.doc")), QStringLiteral("C:\\a\\b"));
    EXPECT_EQ(StripFileExt(QStringLiteral("file.")), QStringLiteral("file."));
    EXPECT_EQ(StripFileExt(QStringLiteral(".doc")), QString());
    EXPECT_EQ(StripFileExt(QStringLiteral("C:\\my.dir\\file")), QStringLiteral("C:\\my"));
}

TEST(PathSplitting, AddBackslashEndsInPlatformSeparator) {
    EXPECT_EQ(AddBackslash(QStringLiteral("  /tmp/x  ")), QStringLiteral("/tmp/x/"));
    EXPECT_EQ(AddBackslash(QStringLiteral("C:\\Temp\\")), QStringLiteral("C:\\Temp\\"));
    EXPECT_EQ(AddBackslash(QStringLiteral("C:/Temp/")), QStringLiteral("C:/Temp/"));
    EXPECT_EQ(AddBackslash(QStringLiteral("  ")), QString());
}

TEST(PathSplitting, TrimAtNull) {
    EXPECT_EQ(TrimAtNull(QStringLiteral("abc") + kNul + QStringLiteral("def")),
              QStringLiteral("abc"));
    EXPECT_EQ(TrimAtNull(QStringLiteral("abc")), QStringLiteral("abc"));
}

TEST(SystemFolders, EndInSeparator) {
    EXPECT_TRUE(GetTempDir().endsWith(QLatin1Char('/')));
    EXPECT_EQ(GetSystemDir(), QStringLiteral("/usr/bin/"));
}

TEST(SystemFolders, LongTemporaryFolderIsReturnedWhole) {
    QTemporaryDir base;
    const QString longDir = base.path() + QLatin1Char('/') + QString(200, QLatin1Char('t'));
    ASSERT_TRUE(QDir().mkpath(longDir));
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(longDir));
    const QString got = GetTempDir();
    qputenv("TMPDIR", old);
    EXPECT_EQ(got, test::PrivateTempDir(longDir));
}

// The temporary folder holds candidates' data: private to the user, or refused.
class PrivateTemp : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(base_.path()));
    }
    void TearDown() override { qputenv("TMPDIR", old_); }
    QString Private() const { return test::PrivateTempDir(base_.path()); }
    QTemporaryDir base_;
    QByteArray old_;
};

TEST_F(PrivateTemp, IsCreatedForTheUserAlone) {
    ASSERT_EQ(GetTempDir(), Private());
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(Private()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST_F(PrivateTemp, OneOpenToOthersOrNotAFolderIsRefusedWithAReason) {
    ASSERT_TRUE(QDir().mkdir(Private()));
    ASSERT_EQ(::chmod(QFile::encodeName(Private()).constData(), 0777), 0);
    QString problem;
    EXPECT_EQ(GetTempDir(&problem), QString());
    EXPECT_TRUE(problem.contains("other users have access to it")) << problem.toStdString();
    ASSERT_TRUE(QDir().rmdir(Private()));
    ASSERT_TRUE(QFile::link(base_.path(), Private().chopped(1)));
    EXPECT_EQ(GetTempDir(&problem), QString());
    EXPECT_TRUE(problem.contains("it is not a folder")) << problem.toStdString();
}

TEST_F(PrivateTemp, OneOfAnotherUserIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "handing a folder to another user needs root";
    ASSERT_TRUE(QDir().mkdir(Private()));
    ASSERT_EQ(::chmod(QFile::encodeName(Private()).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(Private()).constData(), 65534, 65534), 0);
    QString problem;
    EXPECT_EQ(GetTempDir(&problem), QString());
    EXPECT_TRUE(problem.contains("belongs to another user")) << problem.toStdString();
}

TEST_F(PrivateTemp, AMissingTmpdirFallsBackToTmp) {
    qputenv("TMPDIR", QFile::encodeName(base_.path() + "/missing"));
    EXPECT_EQ(GetTempDir(), test::PrivateTempDir(QStringLiteral("/tmp")));
}

class FileCases : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString Make(const QString& name) {
        EXPECT_TRUE(test::WriteFile(Path(name), "x"));
        return Path(name);
    }
};

TEST_F(FileCases, FileExistsForRegularFilesOnly) {
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.path() + QLatin1Char('/')));
    EXPECT_FALSE(FileExists(QStringLiteral("C:\\a\\")));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_TRUE(FileExists(Make(QStringLiteral(".hidden"))));
    const QString ro = Make(QStringLiteral("readonly.doc"));
    ASSERT_EQ(::chmod(QFile::encodeName(ro).constData(), 0444), 0);
    EXPECT_TRUE(FileExists(ro));
    const QString fifo = Path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_FALSE(FileExists(fifo));
    EXPECT_FALSE(FileExists(Path(QStringLiteral("missing.doc"))));
}

TEST_F(FileCases, DeleteLeavesHiddenReadOnlyAndSystemFiles) {
    const QString hidden = Make(QStringLiteral(".hidden"));
    const QString ro = Make(QStringLiteral("readonly.doc"));
    ASSERT_EQ(::chmod(QFile::encodeName(ro).constData(), 0444), 0);
    DeleteFileIfExists(hidden);
    DeleteFileIfExists(ro);
    DeleteFileIfExists(Path(QStringLiteral("missing.doc")));
    DeleteFileIfExists(dir.path());
    EXPECT_TRUE(QFile::exists(hidden));
    EXPECT_TRUE(QFile::exists(ro));
    EXPECT_TRUE(QDir(dir.path()).exists());

    const QString plain = Make(QStringLiteral("plain.doc"));
    DeleteFileIfExists(plain);
    EXPECT_FALSE(QFile::exists(plain));
}

TEST_F(FileCases, NormalAttributesMakeReadOnlyFileDeletable) {
    const QString ro = Make(QStringLiteral("readonly.doc"));
    ASSERT_EQ(::chmod(QFile::encodeName(ro).constData(), 0440), 0);
    EXPECT_TRUE(SetFileAttributesNormal(ro));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(ro).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    DeleteFileIfExists(ro);
    EXPECT_FALSE(QFile::exists(ro));
}

TEST_F(FileCases, WildcardsAreNeverPatterns) {
    const QString ab = Make(QStringLiteral("ab.doc"));
    const QString ac = Make(QStringLiteral("ac.doc"));
    EXPECT_FALSE(FileExists(Path(QStringLiteral("a?.doc"))));
    DeleteFileIfExists(Path(QStringLiteral("a*.doc")));
    DeleteFileIfExists(Path(QStringLiteral("a?.doc")));
    EXPECT_TRUE(QFile::exists(ab));
    EXPECT_TRUE(QFile::exists(ac));
    const QString star = Make(QStringLiteral("a*.doc"));
    DeleteFileIfExists(star);
    EXPECT_FALSE(QFile::exists(star));
    EXPECT_TRUE(QFile::exists(ab));
}

TEST_F(FileCases, CopyReplacesTargetAndKeepsNoTemporary) {
    const QString src = Path(QStringLiteral("src.docx"));
    ASSERT_TRUE(test::WriteFile(src, "new content"));
    const QString dst = Path(QStringLiteral("dst.docx"));
    ASSERT_TRUE(test::WriteFile(dst, "old"));
    EXPECT_TRUE(CopyFileReplace(src, dst));
    EXPECT_EQ(test::ReadFile(dst), QByteArray("new content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_FALSE(CopyFileReplace(Path(QStringLiteral("missing")), dst));
    EXPECT_FALSE(CopyFileReplace(src, Path(QStringLiteral("no/such/folder/x.docx"))));
    EXPECT_EQ(test::ReadFile(dst), QByteArray("new content"));
}
