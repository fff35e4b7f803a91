// A private world for one test: per-user settings and data folders in a temporary folder and
// a registry hive of the test's own (empty unless the test writes one).
#pragma once

#include "RegFuncs.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zorv::test {

class HostEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        saved_ = {qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_DATA_HOME")};
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path("data")));
        SetRegistryHivePath(Path("registry.reg"));
    }
    void TearDown() override {
        SetRegistryHivePath(QString());
        qputenv("XDG_CONFIG_HOME", saved_.first);
        qputenv("XDG_DATA_HOME", saved_.second);
    }

    QString Path(const QString& relative) const { return dir_.filePath(relative); }

    // Registers the host's executable in the test's hive, as its installer would.
    void RegisterHost(const QString& executable) {
        QByteArray hive = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                          "CurrentVersion\\App Paths\\ZorvOne.exe]\r\n@=\"";
        hive += executable.toUtf8().replace("\\", "\\\\") + "\"\r\n";
        ASSERT_TRUE(WriteFile(Path("registry.reg"), hive));
    }

    // A file of the test's own, with its folders.
    QString MakeFile(const QString& relative, const QByteArray& bytes = "x") {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

private:
    QTemporaryDir dir_;
    std::pair<QByteArray, QByteArray> saved_;
};

} // namespace zorv::test
