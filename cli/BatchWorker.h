// qarn batch's worker: a child process of the batch that fills one resume after another with
// its own parser server, its own temporary folder and (with --pdf) its own office. Workers are
// processes rather than threads because the fill path keeps process-wide state (the word
// processor runtime's running application, the message handler) that threads would share.
//
// The batch sends one job line per resume on the worker's standard input and reads one
// result line per job on its standard output (JSON objects, one a line).
#pragma once

#include <QByteArray>
#include <QString>

namespace zorv::cli {

struct BatchJob {
    QString input;
    QString output;
};

struct BatchResult {
    QString status; // "ok", "failed" or "skipped"
    QString message;
    QString fullName, email, phone;
    double seconds = 0;
};

// A failed result with its message.
BatchResult FailedResult(const QString& message);

struct BatchFillOptions {
    QString resumeTemplate;
    bool pdf = false;
    bool keepHRXML = false;
    bool redact = false;
    int timeoutSeconds = 60;
};

QByteArray EncodeJob(const BatchJob& job);
bool DecodeJob(const QByteArray& line, BatchJob& job);
QByteArray EncodeResult(const BatchResult& result);
bool DecodeResult(const QByteArray& line, BatchResult& result);

// The worker's loop: a job per line of standard input until it closes. Returns the exit status.
int RunBatchWorker(const BatchFillOptions& options);

} // namespace zorv::cli
