// qarn batch: many resumes into one template, as Create does for one, by parallel workers
// that each keep their own parser server. Outputs appear atomically and existing ones are
// skipped, so an interrupted batch resumes where it stopped.
#include "Commands.h"

#include "BatchPlan.h"
#include "BatchPool.h"
#include "BatchReport.h"
#include "BatchWorker.h"
#include "FuncLib.h"
#include "OfficeConverter.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace zorv::cli {
namespace {

// The watchdog's margin over the parser's own limits (start-up, map, fill).
constexpr int kWatchdogMarginSeconds = 60;
constexpr int kDefaultTimeoutSeconds = 60;
constexpr int kMaxTimeoutSeconds = 86400;
constexpr int kMaxWorkers = 256;

void Fail(const QString& text) {
    PrintError("batch", text);
}

struct BatchOptions {
    BatchFillOptions fill;
    QString outDir, report, shard;
    bool recursive = false, force = false, quiet = false, worker = false;
    int workers = 1;
    QStringList inputs;
};

// A whole number in [low, high] from an option's text; false for anything else.
bool WholeNumber(const QString& text, int low, int high, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}

std::optional<int> ReadOptions(const QStringList& arguments, BatchOptions& o) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fills TEMPLATE from every resume INPUT (files, and the resume files of folders) as "
        "Create does, giving <name>_QX.<template extension> beside each resume or in DIR. "
        "Existing outputs are skipped unless --force."));
    parser.addPositionalArgument(QStringLiteral("TEMPLATE"), QStringLiteral("The Word template."));
    parser.addPositionalArgument(QStringLiteral("INPUT"),
                                 QStringLiteral("Resume files and folders."),
                                 QStringLiteral("INPUT..."));
    const QCommandLineOption out({QStringLiteral("o"), QStringLiteral("output")},
                                 QStringLiteral("Write the outputs to DIR."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption recursive({QStringLiteral("r"), QStringLiteral("recursive")},
                                       QStringLiteral("Take the resumes of subfolders too."));
    const QCommandLineOption jobs({QStringLiteral("j"), QStringLiteral("jobs")},
                                  QStringLiteral("N workers (default: the number of cores)."),
                                  QStringLiteral("N"));
    const QCommandLineOption report(
        QStringLiteral("report"),
        QStringLiteral("Write a report of every file to FILE (CSV, or JSON for *.json)."),
        QStringLiteral("FILE"));
    const QCommandLineOption redact(
        QStringLiteral("redact"),
        QStringLiteral("Leave the candidate's contact details out of every output."));
    const QCommandLineOption pdf(QStringLiteral("pdf"),
                                 QStringLiteral("Also write <name>_QX.pdf through LibreOffice."));
    const QCommandLineOption keep(QStringLiteral("keep-hrxml"),
                                  QStringLiteral("Keep each resume's HR-XML beside its output."));
    const QCommandLineOption shard(QStringLiteral("shard"),
                                   QStringLiteral("Only the K-th of N slices of the inputs."),
                                   QStringLiteral("K/N"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Redo outputs that exist."));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("Give up a resume's parse after SECONDS (default 60)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("No progress."));
    QCommandLineOption worker(QStringLiteral("worker"));
    worker.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions(
        {out, recursive, jobs, report, redact, pdf, keep, shard, force, timeout, quiet, worker});
    if (const auto status = ParseArguments(parser, arguments, "batch"))
        return status;

    const QStringList args = parser.positionalArguments();
    o.worker = parser.isSet(worker);
    if (args.size() < (o.worker ? 1 : 2)) {
        Fail(QStringLiteral("expected TEMPLATE and at least one INPUT; see qarn batch --help"));
        return 2;
    }
    o.fill.resumeTemplate = QFileInfo(args[0]).absoluteFilePath();
    o.inputs = args.mid(1);
    o.fill.pdf = parser.isSet(pdf);
    o.fill.keepHRXML = parser.isSet(keep);
    o.fill.redact = parser.isSet(redact);
    o.outDir = parser.value(out);
    o.report = parser.value(report);
    o.shard = parser.value(shard);
    o.recursive = parser.isSet(recursive);
    o.force = parser.isSet(force);
    o.quiet = parser.isSet(quiet);
    o.workers = std::max(1, QThread::idealThreadCount());
    if (parser.isSet(jobs) && !WholeNumber(parser.value(jobs), 1, kMaxWorkers, o.workers)) {
        Fail(QStringLiteral("-j needs a number of workers from 1 to %1").arg(kMaxWorkers));
        return 2;
    }
    o.fill.timeoutSeconds = kDefaultTimeoutSeconds;
    if (parser.isSet(timeout) &&
        !WholeNumber(parser.value(timeout), 1, kMaxTimeoutSeconds, o.fill.timeoutSeconds)) {
        Fail(QStringLiteral("--timeout needs a number of seconds from 1 to %1")
                 .arg(kMaxTimeoutSeconds));
        return 2;
    }
    return std::nullopt;
}

QStringList WorkerArguments(const BatchOptions& o) {
    QStringList args{QStringLiteral("batch"), QStringLiteral("--worker"),
                     QStringLiteral("--timeout"), QString::number(o.fill.timeoutSeconds)};
    if (o.fill.pdf)
        args << QStringLiteral("--pdf");
    if (o.fill.keepHRXML)
        args << QStringLiteral("--keep-hrxml");
    if (o.fill.redact)
        args << QStringLiteral("--redact");
    return args << QStringLiteral("--") << o.fill.resumeTemplate;
}

// The inputs of this shard with their output names; nullopt after a usage message.
std::optional<std::vector<BatchItem>> Plan(const BatchOptions& o) {
    int k = 1, n = 1;
    if (!o.shard.isEmpty() && !ParseShard(o.shard, k, n)) {
        Fail(QStringLiteral("--shard needs K/N with 1 <= K <= N, not \"%1\"").arg(o.shard));
        return std::nullopt;
    }
    QStringList missing;
    const QStringList resumes =
        CollectResumes(o.inputs, o.recursive, o.fill.resumeTemplate, missing);
    if (!missing.isEmpty()) {
        Fail(QStringLiteral("not found: %1").arg(missing.join(QStringLiteral(", "))));
        return std::nullopt;
    }
    return ShardSlice(NameOutputs(resumes, o.outDir, GetFileExt(o.fill.resumeTemplate)), k, n);
}

int RunBatch(const BatchOptions& o, const std::vector<BatchItem>& items) {
    std::vector<BatchRecord> records(items.size());
    BatchProgress progress(items.size(), o.quiet);
    std::vector<BatchItem> jobs;
    std::vector<std::size_t> jobRecord;
    for (std::size_t i = 0; i < items.size(); ++i) {
        records[i].item = items[i];
        if (!o.force && QFileInfo::exists(items[i].output)) {
            records[i].result.status = QStringLiteral("skipped");
            records[i].result.message = QStringLiteral("The output exists.");
            progress.Finished(records[i]);
        } else {
            jobs.push_back(items[i]);
            jobRecord.push_back(i);
        }
    }
    const int watchdog = 2 * o.fill.timeoutSeconds + kWatchdogMarginSeconds +
                         (o.fill.pdf ? 2 * kOfficeTimeLimitMs / 1000 : 0);
    RunBatchPool(jobs, o.workers, WorkerArguments(o), watchdog,
                 [&](std::size_t job, const BatchResult& result) {
                     BatchRecord& record = records[jobRecord[job]];
                     record.result = result;
                     progress.Finished(record);
                 });
    progress.Summary();
    bool anyFailed = false;
    for (const BatchRecord& r : records)
        anyFailed = anyFailed || r.result.status == QLatin1String("failed");
    QString error;
    if (!o.report.isEmpty() && !WriteBatchReport(o.report, records, error)) {
        Fail(QStringLiteral("cannot write the report %1: %2").arg(o.report, error));
        return 1;
    }
    return anyFailed ? 1 : 0;
}

int CmdBatch(const QStringList& arguments) {
    BatchOptions o;
    if (const auto status = ReadOptions(arguments, o))
        return *status;
    if (o.worker)
        return RunBatchWorker(o.fill);
    if (!QFileInfo(o.fill.resumeTemplate).isFile()) {
        Fail(QStringLiteral("template not found: %1").arg(o.fill.resumeTemplate));
        return 1;
    }
    const auto items = Plan(o);
    if (!items)
        return 2;
    if (!o.outDir.isEmpty() && !QDir().mkpath(o.outDir)) {
        Fail(QStringLiteral("cannot create the folder %1").arg(o.outDir));
        return 1;
    }
    return RunBatch(o, *items);
}

const RegisterCommand kBatch({15, "batch", "Create the output resumes of many resumes at once",
                              CmdBatch});

} // namespace
} // namespace zorv::cli
