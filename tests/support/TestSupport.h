// Shared test helpers: recorded messages, a private temporary folder, small file helpers.
#pragma once

#include "Messages.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace zorv::test {

// Records every message shown while it lives, instead of printing it.
class MessageRecorder {
public:
    MessageRecorder() : scope_([this](const MessageRequest& m) { messages.push_back(m); }) {}
    std::vector<MessageRequest> messages;
    QStringList Texts() const {
        QStringList out;
        for (const auto& m : messages)
            out << m.text;
        return out;
    }

private:
    ScopedMessageHandler scope_;
};

inline QString DataPath(const QString& relative) {
    return QStringLiteral(ZORV_TEST_DATA_DIR "/") + relative;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The private temporary folder the programs use under a test's TMPDIR, with its separator.
inline QString PrivateTempDir(const QString& tmpdir) {
    return tmpdir + QStringLiteral("/ZorvQarn-%1/").arg(::geteuid());
}

// A small file system of its own (tmpfs), to fill up: for disk-full cases. Mounting needs
// root; Mounted() is false otherwise and the test skips.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes = 64) {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        mounted_ = dir_.isValid() && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(),
                                             "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }
    // Remounts it read-only: unwritable even for root.
    bool MakeReadOnly() const {
        return mounted_ && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                                   MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // Fills what space is left with one file.
    void Fill() const {
        QFile filler(Path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    // The names in the folder, the filler left out.
    QStringList Names() const {
        QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("filler"));
        return names;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

// One run of the built qarn program.
struct QarnResult {
    int status = -1; // exit code, or -1 when it crashed or did not finish
    qint64 pid = 0;
    QString out, err;
};

inline QarnResult RunQarn(const QStringList& args, const QByteArray& input = {},
                          int timeoutMs = 600000) {
    QProcess p;
    p.start(QStringLiteral(ZORV_BIN_DIR "/qarn"), args);
    QarnResult r;
    if (!p.waitForStarted())
        return r;
    r.pid = p.processId();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(timeoutMs);
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace zorv::test
