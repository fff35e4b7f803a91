// Helpers of the parser client tests: a private settings store and temporary folder, the
// server program to start (the real ZorvPr or TestZorvPr with its faults), an empty system
// folder, and processes to watch and end.
#pragma once

#include "FuncLib.h"
#include "ParserObject.h"
#include "ParserPrograms.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace zorv::test {

inline QString RealServer() {
    return QStringLiteral(ZORV_BIN_DIR "/ZorvPr");
}
inline QString TestServer() {
    return QStringLiteral(ZORV_TEST_SERVER);
}

// True while the process exists and has not ended (a zombie counts as ended).
inline bool ProcessAlive(qint64 pid) {
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) != "Z";
}

// Waits up to `ms` for the process to end.
inline bool ProcessEnds(qint64 pid, int ms = 3000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (!ProcessAlive(pid))
            return true;
        QThread::msleep(20);
    }
    return !ProcessAlive(pid);
}

// Every test gets its own settings file, temporary folder and (empty) system folder, and
// starts TestZorvPr with the faults it names.
class ParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        saved_ = {{"XDG_CONFIG_HOME", qgetenv("XDG_CONFIG_HOME")},
                  {"TMPDIR", qgetenv("TMPDIR")},
                  {"ZORVPR_TEST_FAULTS", qgetenv("ZORVPR_TEST_FAULTS")},
                  {"ZORVPR_TEST_COUNTER", qgetenv("ZORVPR_TEST_COUNTER")},
                  {"ZORVPR_TEST_PIDS", qgetenv("ZORVPR_TEST_PIDS")}};
        QDir(dir_.path()).mkpath(QStringLiteral("config"));
        QDir(dir_.path()).mkpath(QStringLiteral("tmp"));
        QDir(dir_.path()).mkpath(QStringLiteral("system"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path(QStringLiteral("config"))));
        qputenv("TMPDIR", QFile::encodeName(Path(QStringLiteral("tmp"))));
        qputenv("ZORVPR_TEST_COUNTER", QFile::encodeName(Path(QStringLiteral("counter"))));
        qputenv("ZORVPR_TEST_PIDS", QFile::encodeName(Path(QStringLiteral("pids"))));
        programs_.killUtility = Path(QStringLiteral("system/ZorvKPN"));
        UseFaults(QStringLiteral("fake"));
    }

    void TearDown() override {
        for (auto& p : bystanders_) {
            p->kill();
            p->waitForFinished(3000);
        }
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }

    QString Path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }

    void UseFaults(const QString& faults) {
        qputenv("ZORVPR_TEST_FAULTS", faults.toLocal8Bit());
        programs_.server = TestServer();
    }
    void UseRealServer() { programs_.server = RealServer(); }
    // What the client under test starts: the server chosen above, the kill utility in the
    // test's system folder.
    const ParserPrograms& Programs() const { return programs_; }

    void SetHostSetting(const QString& key, const QString& value) {
        SaveSetting(QStringLiteral("ZorvOne"), QStringLiteral("OptionsMyRecord"), key, value);
    }

    // Server processes started so far, in order.
    std::vector<qint64> ServerPids() const { return Pids("server"); }
    std::vector<qint64> Pids(const QByteArray& tag) const {
        std::vector<qint64> out;
        const QList<QByteArray> lines = ReadFile(Path(QStringLiteral("pids"))).split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2 && parts[0] == tag)
                out.push_back(parts[1].toLongLong());
        }
        return out;
    }

    // A sleeping copy of /bin/sleep under the given file name.
    qint64 StartBystander(const QString& name) {
        const QString exe = Path(name);
        QFile::remove(exe);
        EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), exe));
        QFile::setPermissions(exe, QFileDevice::ExeOwner | QFileDevice::ReadOwner);
        auto p = std::make_unique<QProcess>();
        p->start(exe, {QStringLiteral("100")});
        EXPECT_TRUE(p->waitForStarted(3000));
        const qint64 pid = p->processId();
        bystanders_.push_back(std::move(p));
        return pid;
    }

    // A resume file in the test's folder.
    QString WriteResume(const QString& name, const QByteArray& bytes) {
        const QString path = Path(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    QTemporaryDir dir_;

private:
    ParserPrograms programs_;
    std::vector<std::pair<const char*, QByteArray>> saved_;
    std::vector<std::unique_ptr<QProcess>> bystanders_;
};

} // namespace zorv::test
