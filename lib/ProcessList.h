// The running processes as a list of identifiers and executable names, and ending one of
// them at once. POSIX reads the process list in /proc; Windows takes a Toolhelp snapshot.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace zorv {

struct ProcessEntry {
    std::int64_t pid = 0;
    QString exeName;            // the executable's file name, without its folder
    std::int64_t parentPid = 0; // 0 when not known
    std::int64_t ownerUid = -1; // the real user; -1 when not known (Windows)
};

// Every process visible to this one, the calling process included.
std::vector<ProcessEntry> ProcessSnapshot();

// The identifier of the calling process.
std::int64_t CurrentProcessId();

// True when a process with this identifier runs.
bool ProcessRuns(std::int64_t pid);

// What tells a running process from a later one that got its identifier: the time it
// started, as /proc gives it; "" when it does not run or this system does not tell.
QString ProcessStartTag(std::int64_t pid);

// The user the calling process runs as; -1 where users are not numbers (Windows).
std::int64_t CurrentUserId();

// Ends the process at once (SIGKILL; TerminateProcess with exit code 0 on Windows).
// Returns false when it could not be ended (gone already, no right to).
bool TerminateProcessNow(std::int64_t pid);

} // namespace zorv
