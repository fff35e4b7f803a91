// qarn batch's progress on standard error and its report file.
#pragma once

#include "BatchPlan.h"
#include "BatchWorker.h"

#include <QElapsedTimer>
#include <QString>
#include <cstddef>
#include <vector>

namespace zorv::cli {

struct BatchRecord {
    BatchItem item;
    BatchResult result;
};

// On a terminal one live line, redrawn per finished file ("12/40, 1 failed, 8.2 files/s,
// 0:03 left"); elsewhere one line per finished file; nothing when quiet.
class BatchProgress {
public:
    BatchProgress(std::size_t total, bool quiet);
    void Finished(const BatchRecord& record);
    // The closing summary (also when quiet).
    void Summary();

private:
    std::size_t total_;
    bool quiet_;
    bool terminal_;
    std::size_t done_ = 0, failed_ = 0, skipped_ = 0;
    QElapsedTimer clock_;
};

// Writes the report: JSON when `path` ends in ".json", else CSV with a header row. False with
// `error` set when it cannot be written (an earlier file at `path` then stays as it was).
bool WriteBatchReport(const QString& path, const std::vector<BatchRecord>& records, QString& error);

} // namespace zorv::cli
