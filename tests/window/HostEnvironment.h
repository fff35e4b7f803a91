// A private world for one test: per-user settings, data and temporary folders in a folder of
// its own, and a registry hive of the test's own (empty unless the test writes one).
#pragma once

#include "RegFuncs.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace zorv::test {

class HostEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* name : kVariables)
            saved_.push_back(qgetenv(name));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path("data")));
        QDir().mkpath(Path("tmp"));
        qputenv("TMPDIR", QFile::encodeName(Path("tmp")));
        SetRegistryHivePath(Path("registry.reg"));
    }
    void TearDown() override {
        SetRegistryHivePath(QString());
        for (std::size_t i = 0; i < std::size(kVariables); ++i) {
            if (saved_[i].isNull())
                qunsetenv(kVariables[i]);
            else
                qputenv(kVariables[i], saved_[i]);
        }
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
    static constexpr const char* kVariables[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "TMPDIR"};
    QTemporaryDir dir_;
    std::vector<QByteArray> saved_;
};

} // namespace zorv::test
