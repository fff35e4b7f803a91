#include "BatchReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cstdio>
#include <unistd.h>

namespace zorv::cli {
namespace {

constexpr int kSecondsPerMinute = 60;
constexpr double kMsPerSecond = 1000.0;

QString Clock(double seconds) {
    const long long s = static_cast<long long>(seconds + 0.5);
    return QStringLiteral("%1:%2")
        .arg(s / kSecondsPerMinute)
        .arg(s % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

QString CsvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Seconds(double seconds) {
    return QString::number(seconds, 'f', 3);
}

QByteArray Csv(const std::vector<BatchRecord>& records) {
    QString text = QStringLiteral("input,status,output,message,seconds,FullName,Email,Phone\r\n");
    for (const BatchRecord& r : records) {
        const QStringList fields{r.item.input,
                                 r.result.status,
                                 r.item.output,
                                 r.result.message,
                                 Seconds(r.result.seconds),
                                 r.result.fullName,
                                 r.result.email,
                                 r.result.phone};
        QStringList quoted;
        for (const QString& f : fields)
            quoted << CsvField(f);
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray Json(const std::vector<BatchRecord>& records) {
    QJsonArray rows;
    for (const BatchRecord& r : records)
        rows.append(QJsonObject{{"input", r.item.input},
                                {"status", r.result.status},
                                {"output", r.item.output},
                                {"message", r.result.message},
                                {"seconds", r.result.seconds},
                                {"FullName", r.result.fullName},
                                {"Email", r.result.email},
                                {"Phone", r.result.phone}});
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
}

} // namespace

BatchProgress::BatchProgress(std::size_t total, bool quiet)
    : total_(total), quiet_(quiet), terminal_(::isatty(STDERR_FILENO) == 1) {
    clock_.start();
}

void BatchProgress::Finished(const BatchRecord& record) {
    ++done_;
    if (record.result.status == QLatin1String("failed"))
        ++failed_;
    else if (record.result.status == QLatin1String("skipped"))
        ++skipped_;
    if (quiet_)
        return;
    if (!terminal_) {
        const QString detail =
            record.result.message.isEmpty() ? record.item.output : record.result.message;
        std::fprintf(stderr, "%zu/%zu %s %s: %s\n", done_, total_, qPrintable(record.result.status),
                     qPrintable(record.item.input), qPrintable(detail));
        std::fflush(stderr);
        return;
    }
    const double elapsed = static_cast<double>(clock_.elapsed()) / kMsPerSecond;
    const std::size_t worked = done_ - skipped_;
    const double rate = elapsed > 0 ? static_cast<double>(worked) / elapsed : 0;
    const QString left =
        rate > 0 ? Clock(static_cast<double>(total_ - done_) / rate) : QStringLiteral("-:--");
    // \r and "erase to the end of the line": the line is redrawn in place.
    std::fprintf(stderr, "\r%zu/%zu, %zu failed, %.1f files/s, %s left\x1b[K", done_, total_,
                 failed_, rate, qPrintable(left));
    std::fflush(stderr);
}

void BatchProgress::Summary() {
    const double elapsed = static_cast<double>(clock_.elapsed()) / kMsPerSecond;
    if (terminal_ && !quiet_ && done_ > 0)
        std::fputc('\n', stderr);
    const std::size_t worked = done_ - skipped_;
    std::fprintf(
        stderr, "qarn batch: %zu files: %zu ok, %zu skipped, %zu failed in %.1f s (%.1f files/s)\n",
        total_, done_ - failed_ - skipped_, skipped_, failed_, elapsed,
        elapsed > 0 ? static_cast<double>(worked) / elapsed : 0.0);
    std::fflush(stderr);
}

bool WriteBatchReport(const QString& path, const std::vector<BatchRecord>& records,
                      QString& error) {
    const QByteArray bytes =
        path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive) ? Json(records) : Csv(records);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace zorv::cli
