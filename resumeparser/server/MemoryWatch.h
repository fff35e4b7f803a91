// A memory ceiling for the parser server. Address-space limits break the sanitizers the
// tests run under, so a thread reads the process's resident size a few times a second while
// an action runs and calls a handler once it passes the limit.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace zorv::rp {

// Resident size the server may reach during an action, in bytes: ZORV_PR_MEMORY_LIMIT_MB
// (a positive number of MiB) or 2 GiB.
std::int64_t ServerMemoryLimit();

// The resident size of this process in bytes; 0 when it cannot be read.
std::int64_t ResidentBytes();

// Watches from construction to destruction. `overLimit` runs on the watch's thread, at most
// once; it is expected not to return (the server ends there).
class MemoryWatch {
public:
    MemoryWatch(std::int64_t limitBytes, std::function<void()> overLimit);
    ~MemoryWatch();
    MemoryWatch(const MemoryWatch&) = delete;
    MemoryWatch& operator=(const MemoryWatch&) = delete;

private:
    void Run();

    std::int64_t limit_;
    std::function<void()> overLimit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace zorv::rp
