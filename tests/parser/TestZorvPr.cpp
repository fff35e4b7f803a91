// TestZorvPr: the parser server with faults on cue, for the supervision tests. Its name ends
// in "ZorvPr", so ending parser processes by name reaches it as it reaches the real one.
//
// ZORVPR_TEST_FAULTS lists one behaviour per started process, comma-separated (the last one
// repeats); ZORVPR_TEST_COUNTER names the file that counts the processes started, and
// ZORVPR_TEST_PIDS a file to which each process appends its identifier. Behaviours:
//   ok      the real parser          fake    canned results, HR-XML file written
//   fail    Done with OK false       hang    never reports
//   exit    ends with exit code 3    signal  ends by SIGKILL
//   late    fake, after 1.5 seconds
//   child   starts a child that prints to standard output and sleeps, then fake
#include "ServerActions.h"
#include "ServerMain.h"

#include "FuncLib.h"

#include <QFile>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace zorv;
using namespace zorv::rp;

namespace {

// This process's number among those started under the same counter file.
int TakeProcessNumber() {
    const QByteArray path = qgetenv("ZORVPR_TEST_COUNTER");
    if (path.isEmpty())
        return 0;
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return 0;
    ::flock(fd, LOCK_EX);
    char buffer[32] = {};
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    const int number = n > 0 ? std::atoi(buffer) : 0;
    const QByteArray next = QByteArray::number(number + 1);
    ::lseek(fd, 0, SEEK_SET);
    if (::ftruncate(fd, 0) == 0 && ::write(fd, next.constData(), next.size()) < 0)
        ::perror("TestZorvPr counter");
    ::close(fd); // also unlocks
    return number;
}

void RecordPid(const QByteArray& tag, pid_t pid) {
    const QByteArray path = qgetenv("ZORVPR_TEST_PIDS");
    if (path.isEmpty())
        return;
    QFile f(QString::fromLocal8Bit(path));
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(tag + ' ' + QByteArray::number(pid) + '\n');
}

ActionResult Fake(const QString& what, const ParserSettings& s) {
    if (what == QLatin1String("Convert"))
        return {true, QStringLiteral("Fake content of ") + GetFileName(s.ResumeFileName),
                QString()};
    const QString xml = QStringLiteral("<Resume><fake what=\"%1\"/></Resume>").arg(what);
    if (what == QLatin1String("Parse")) {
        QString error;
        if (!WriteHRXMLFile(HRXMLFileFor(s.XMLResumeFileName), xml, error))
            return {false, QString(), error};
    }
    return {true, xml, QString()};
}

class FaultyServer : public ParserServer {
public:
    FaultyServer(std::function<bool(const QByteArray&)> send, QString fault, int number)
        : ParserServer(std::move(send)), fault_(std::move(fault)), number_(number) {}

protected:
    ActionResult DoAction(const QString& what, const ParserSettings& s) override {
        if (fault_ == QLatin1String("ok"))
            return ParserServer::DoAction(what, s);
        if (fault_ == QLatin1String("fail"))
            return {false, QString(), QStringLiteral("Injected failure %1").arg(number_)};
        if (fault_ == QLatin1String("hang")) {
            for (;;)
                std::this_thread::sleep_for(std::chrono::hours(1));
        }
        if (fault_ == QLatin1String("exit"))
            ::_exit(3);
        if (fault_ == QLatin1String("signal"))
            ::kill(::getpid(), SIGKILL);
        if (fault_ == QLatin1String("late"))
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        if (fault_ == QLatin1String("child"))
            StartNoisyChild();
        return Fake(what, s);
    }

private:
    static void StartNoisyChild() {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl("/bin/sh", "sh", "-c", "echo noise; exec sleep 1000",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        RecordPid("child", child);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }

    QString fault_;
    int number_;
};

} // namespace

int main(int argc, char** argv) {
    const int number = TakeProcessNumber();
    RecordPid("server", ::getpid());
    const QStringList faults =
        QString::fromLocal8Bit(qgetenv("ZORVPR_TEST_FAULTS")).split(QLatin1Char(','));
    const QString fault = faults.value(std::min<qsizetype>(number, faults.size() - 1)).trimmed();
    return ServeStandardStreams(argc, argv, [&](auto send) {
        return std::make_unique<FaultyServer>(
            std::move(send), fault.isEmpty() ? QStringLiteral("fake") : fault, number);
    });
}
