// The private temporary folder's files: created 0600, never through a planted link, claimed
// names held by their owner alone, and what killed runs left removed at start-up.
#include "PrivateFiles.h"
#include "AtomicWrite.h"
#include "FuncLib.h"
#include "ProcessList.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zorv;
using zorv::test::ReadFile;
using zorv::test::WriteFile;

namespace {

unsigned ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : ~0u;
}

// A tag of a run that was killed: this process's identifier with another start time.
QString DeadTag() {
    return QStringLiteral("%1-1").arg(CurrentProcessId());
}

class PrivateFiles : public ::testing::Test {
protected:
    void SetUp() override {
        oldTmp_ = qgetenv("TMPDIR");
        oldRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(base_.path()));
        qunsetenv("XDG_RUNTIME_DIR");
        ASSERT_FALSE(GetTempDir().isEmpty());
        // Whatever a planted link points at must stay as it was.
        ASSERT_TRUE(WriteFile(Victim(), "victim"));
        oldMask_ = ::umask(0); // the files must be private without the umask's help
    }
    void TearDown() override {
        ::umask(oldMask_);
        qputenv("TMPDIR", oldTmp_);
        if (!oldRuntime_.isEmpty())
            qputenv("XDG_RUNTIME_DIR", oldRuntime_);
    }
    QString Private(const QString& name) const { return GetTempDir() + name; }
    QString Victim() const { return base_.filePath(QStringLiteral("victim")); }
    QString PlantLink(const QString& name) const {
        EXPECT_TRUE(QFile::link(Victim(), Private(name)));
        return Private(name);
    }

    QTemporaryDir base_;
    QByteArray oldTmp_;
    QByteArray oldRuntime_;
    mode_t oldMask_ = 0;
};

} // namespace

TEST_F(PrivateFiles, AreCreatedForTheUserAloneAndNeverThroughALink) {
    for (const PrivateOpen how : {PrivateOpen::Claim, PrivateOpen::Append}) {
        const QString name = how == PrivateOpen::Claim ? "claimed" : "log";
        QFile file;
        ASSERT_TRUE(OpenPrivateFile(file, Private(name), how));
        ASSERT_EQ(file.write("data"), 4);
        file.close();
        EXPECT_EQ(ModeOf(Private(name)), 0600u);

        const QString link = PlantLink(name + ".link");
        QFile through;
        QString error;
        EXPECT_FALSE(OpenPrivateFile(through, link, how, &error));
        EXPECT_TRUE(error.startsWith(link + " cannot be created: ")) << error.toStdString();
    }
    QFile again;
    EXPECT_FALSE(OpenPrivateFile(again, Private("claimed"), PrivateOpen::Claim));
    EXPECT_EQ(ReadFile(Victim()), QByteArray("victim"));
}

TEST_F(PrivateFiles, AnAtomicWriteReplacesAPlantedLinkAndLeavesItsTarget) {
    const QString hrXML = PlantLink("~iqarn~cv_HRXML.XML");
    QString error;
    ASSERT_TRUE(WriteFileAtomically(hrXML, "<hrxml/>", &error, FileAccess::OwnerOnly))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo(hrXML).isSymLink());
    EXPECT_EQ(ReadFile(hrXML), QByteArray("<hrxml/>"));
    EXPECT_EQ(ModeOf(hrXML), 0600u);
    EXPECT_EQ(ReadFile(Victim()), QByteArray("victim"));
    EXPECT_EQ(QDir(GetTempDir()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(PrivateFiles, ANameLockIsHeldByALiveOwnerAndFreedByADeadOne) {
    const QString name = Private("~iqarn~cv.lock");
    {
        PrivateNameLock first;
        ASSERT_TRUE(first.TryLock(name));
        EXPECT_EQ(LockOwner(name), OwnerTag());
        EXPECT_EQ(ModeOf(name), 0600u);
        PrivateNameLock second;
        EXPECT_FALSE(second.TryLock(name));
    }
    EXPECT_FALSE(QFile::exists(name));

    ASSERT_TRUE(WriteFile(name, DeadTag().toLatin1()));
    PrivateNameLock afterKill;
    EXPECT_TRUE(afterKill.TryLock(name));
    // A lock of an earlier release: the process id on its first line, no start time.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    ASSERT_TRUE(gone.waitForStarted());
    const QByteArray pid = QByteArray::number(gone.processId());
    ASSERT_TRUE(gone.waitForFinished());
    const QString earlier = Private("~iqarn~earlier.lock");
    ASSERT_TRUE(WriteFile(earlier, pid + "\nqarn\nhost\n"));
    PrivateNameLock afterEarlier;
    EXPECT_TRUE(afterEarlier.TryLock(earlier));
    const QString planted = PlantLink("~iqarn~other.lock");
    PrivateNameLock overLink;
    EXPECT_TRUE(overLink.TryLock(planted));
    EXPECT_FALSE(QFileInfo(planted).isSymLink());
    EXPECT_EQ(ReadFile(Victim()), QByteArray("victim"));
}

TEST_F(PrivateFiles, StartUpRemovesWhatKilledRunsLeftAndNothingOfALiveRun) {
    // A killed run: its claim, its working name, a batch folder and a partial HR-XML file.
    ASSERT_TRUE(WriteFile(Private("~iqarn~dead.lock"), DeadTag().toLatin1()));
    ASSERT_TRUE(WriteFile(Private("~iqarn~dead.xml"), "x"));
    const QString deadBatch = Private(kBatchFolderPrefix + DeadTag() + "-abcdef");
    ASSERT_TRUE(QDir().mkpath(deadBatch + "/work"));
    ASSERT_TRUE(WriteFile(Private(".~qarn-" + DeadTag() + "-0badf00d"), "<partial"));
    // Kept: the HR-XML, which stays after a run, and everything of a live run.
    ASSERT_TRUE(WriteFile(Private("~iqarn~dead_HRXML.XML"), "<hrxml/>"));
    PrivateNameLock live;
    ASSERT_TRUE(live.TryLock(Private("~iqarn~live.lock")));
    ASSERT_TRUE(WriteFile(Private("~iqarn~live.xml"), "x"));
    const QTemporaryDir liveBatch(GetTempDir() + TaggedTemplate(kBatchFolderPrefix));
    ASSERT_TRUE(liveBatch.isValid());

    RemoveDeadRunFiles();
    const QStringList left =
        QDir(GetTempDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList({QFileInfo(liveBatch.path()).fileName(), "~iqarn~dead_HRXML.XML",
                                 "~iqarn~live.lock", "~iqarn~live.xml"}));
}
