#include "MemoryWatch.h"

#include "ResumeFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <chrono>
#include <unistd.h>

namespace zorv::rp {
namespace {

constexpr std::int64_t kDefaultLimitMiB = 2048;
// Often enough that a runaway allocation passes the limit by little before it is seen.
constexpr auto kSampleInterval = std::chrono::milliseconds(100);

} // namespace

std::int64_t ServerMemoryLimit() {
    bool ok = false;
    const std::int64_t mib = qEnvironmentVariable("ZORV_PR_MEMORY_LIMIT_MB").toLongLong(&ok);
    return (ok && mib > 0 ? mib : kDefaultLimitMiB) * kBytesPerMiB;
}

std::int64_t ResidentBytes() {
    // The second field of statm is the resident size in pages.
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readLine().simplified().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields[1].toLongLong() * static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
}

MemoryWatch::MemoryWatch(std::int64_t limitBytes, std::function<void()> overLimit)
    : limit_(limitBytes), overLimit_(std::move(overLimit)), thread_([this] { Run(); }) {}

MemoryWatch::~MemoryWatch() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void MemoryWatch::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, kSampleInterval, [this] { return stop_; })) {
        if (ResidentBytes() > limit_) {
            lock.unlock();
            overLimit_();
            return;
        }
    }
}

} // namespace zorv::rp
