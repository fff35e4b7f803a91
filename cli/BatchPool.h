// qarn batch's workers: child processes of qarn ("qarn batch --worker ..."), each given one
// resume at a time. A worker that dies or runs past the watchdog's limit fails its resume and
// is replaced; the other workers go on.
#pragma once

#include "BatchPlan.h"
#include "BatchWorker.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace zorv::cli {

// Runs every job on up to `workers` processes started with `workerArguments`, and calls
// `finished` with each job's index and result as it ends. A job that takes more than
// `watchdogSeconds` ends its worker. Returns when every job has ended.
void RunBatchPool(const std::vector<BatchItem>& jobs, int workers,
                  const QStringList& workerArguments, int watchdogSeconds,
                  const std::function<void(std::size_t, const BatchResult&)>& finished);

} // namespace zorv::cli
