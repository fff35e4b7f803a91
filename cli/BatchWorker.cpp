#include "BatchWorker.h"

#include "AtomicWrite.h"

#include "BatchPlan.h"
#include "CreatePipeline.h"
#include "FuncLib.h"
#include "LoadStartupValues.h"
#include "Messages.h"
#include "OfficeConverter.h"
#include "ParserProtocol.h"
#include "ParserSession.h"
#include "PrivateFiles.h"
#include "ReplaceTokensInterface.h"
#include "Settings.h"
#include "UnhandledError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>
#include <string>

namespace zorv::cli {
namespace {

// A message as one line of the report.
QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

QString TokenValue(const QStringList& names, const QStringList& values, const QString& name) {
    const qsizetype k = names.indexOf(name);
    return k < 0 ? QString() : values.value(k);
}

// Returns "" or the failure's message.
QString FillTemplateCopy(const CreateCollaborators& product, const QString& copy,
                         TokenValues tokens, bool redact) {
    std::unique_ptr<IReplaceTokens> replaceTokens;
    const bool filled = tokens.nTokens > 0 || !tokens.lists.empty();
    const bool saved = ReplaceTokensInCopy(product, copy, std::move(tokens), redact, replaceTokens);
    return filled && !saved ? QStringLiteral("The output resume could not be filled.") : QString();
}

// One worker's state across files: the host values, one parser server, one office and a
// private folder for the parser's files.
class BatchFiller {
public:
    explicit BatchFiller(const BatchFillOptions& options)
        : options_(options), startup_(LoadStartupValues()), product_(ProductCollaborators()),
          work_(GetTempDir() + TaggedTemplate(kBatchFolderPrefix)) {
        country_ = GetSetting(SettingsAppName, QStringLiteral("OptionsMyRecord"),
                              QStringLiteral("ResumeCountry"), QString());
        if (options.pdf)
            office_ = std::make_unique<OfficeConverter>();
    }

    BatchResult Fill(const BatchJob& job) {
        QElapsedTimer clock;
        clock.start();
        messages_.clear();
        BatchResult result;
        QString error;
        {
            ScopedMessageHandler capture(
                [this](const MessageRequest& m) { messages_ << OneLine(m.text); });
            if (const std::optional<CaughtError> e =
                    CatchError([&] { error = FillOne(job, result); }))
                error = e->kind == CaughtError::Kind::Zorv
                            ? OneLine(UnhandledErrorText(QStringLiteral("Error processing resume."),
                                                         e->number, e->description))
                            : QStringLiteral("Error processing resume: ") + e->description;
        }
        if (error.isEmpty() && !messages_.isEmpty())
            error = messages_.first();
        result.status = error.isEmpty() ? QStringLiteral("ok") : QStringLiteral("failed");
        result.message = error;
        result.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        return result;
    }

private:
    // Returns "" on success or the failure's message.
    QString FillOne(const BatchJob& job, BatchResult& result) {
        if (!work_.isValid())
            return QStringLiteral("No private temporary folder could be made.");
        const QString tempXML = work_.filePath(QStringLiteral("resume-%1.xml").arg(++count_));
        const QString hrXML = HRXMLPath(tempXML);
        const struct Cleanup {
            QString path;
            ~Cleanup() { QFile::remove(path); }
        } cleanup{hrXML};

        ConfigureCreateTry(parser_, startup_, job.input, tempXML, country_);
        parser_.TimeOutSeconds = options_.timeoutSeconds;
        if (!parser_.ProcessResume(protocol::calls::kConvert))
            return QStringLiteral("The resume could not be converted: ") + parser_.ErrMsg;
        if (!parser_.ProcessResume(protocol::calls::kParse))
            return QStringLiteral("The resume could not be parsed: ") + parser_.ErrMsg;

        TokenValues tokens;
        product_.GetTokensFromXML(hrXML, tokens.nTokens, tokens.names, tokens.values);
        if (product_.GetTokenListsFromXML)
            tokens.lists = product_.GetTokenListsFromXML(hrXML);
        if (!messages_.isEmpty())
            return messages_.first();
        result.fullName = TokenValue(tokens.names, tokens.values, QStringLiteral("FullName"));
        result.email = TokenValue(tokens.names, tokens.values, QStringLiteral("Email"));
        result.phone = TokenValue(tokens.names, tokens.values, QStringLiteral("Phone"));
        return WriteOutputs(job, hrXML, std::move(tokens));
    }

    // Fills a hidden copy in the output folder and gives it the final name only when it is
    // complete and on disk, after the files kept beside it.
    QString WriteOutputs(const BatchJob& job, const QString& hrXML, TokenValues tokens) {
        OutputWorkingCopy copy(job.output);
        QString cause;
        if (!copy.CopyFrom(options_.resumeTemplate, &cause))
            return cause;
        const QString fillError =
            FillTemplateCopy(product_, copy.Path(), std::move(tokens), options_.redact);
        if (!messages_.isEmpty())
            return messages_.first();
        if (!fillError.isEmpty())
            return fillError;
        if (office_) {
            const QString error = WritePdf(copy.Path(), PdfPathFor(job.output));
            if (!error.isEmpty())
                return error;
        }
        if (options_.keepHRXML && !CopyFileReplace(hrXML, HRXMLCopyPathFor(job.output)))
            return QStringLiteral("Cannot write %1.").arg(HRXMLCopyPathFor(job.output));
        if (!copy.Commit(&cause))
            return cause;
        return {};
    }

    QString WritePdf(const QString& filled, const QString& pdf) {
        const QString folder = office_->NewWorkFolder();
        const OfficeConverter::Result r =
            office_->Convert(filled, QStringLiteral("pdf"), QStringLiteral("pdf"), folder);
        if (r.status != OfficeConverter::Status::Converted)
            return OfficeFailureText(r.status, QStringLiteral("the output resume to PDF"));
        const bool copied = CopyFileReplace(r.outputPath, pdf);
        QFile::remove(r.outputPath);
        return copied ? QString() : QStringLiteral("Cannot write %1.").arg(pdf);
    }

    BatchFillOptions options_;
    StartupValues startup_;
    CreateCollaborators product_;
    ParserSession parser_;
    QTemporaryDir work_;
    std::unique_ptr<OfficeConverter> office_;
    QString country_;
    QStringList messages_;
    int count_ = 0;
};

QJsonObject ParseLine(const QByteArray& line, bool& ok) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    ok = error.error == QJsonParseError::NoError && doc.isObject();
    return doc.object();
}

} // namespace

BatchResult FailedResult(const QString& message) {
    BatchResult r;
    r.status = QStringLiteral("failed");
    r.message = message;
    return r;
}

QByteArray EncodeJob(const BatchJob& job) {
    return QJsonDocument(QJsonObject{{"input", job.input}, {"output", job.output}})
               .toJson(QJsonDocument::Compact) +
           '\n';
}

bool DecodeJob(const QByteArray& line, BatchJob& job) {
    bool ok = false;
    const QJsonObject o = ParseLine(line, ok);
    job.input = o.value("input").toString();
    job.output = o.value("output").toString();
    return ok && !job.input.isEmpty() && !job.output.isEmpty();
}

QByteArray EncodeResult(const BatchResult& r) {
    return QJsonDocument(QJsonObject{{"status", r.status},
                                     {"message", r.message},
                                     {"FullName", r.fullName},
                                     {"Email", r.email},
                                     {"Phone", r.phone},
                                     {"seconds", r.seconds}})
               .toJson(QJsonDocument::Compact) +
           '\n';
}

bool DecodeResult(const QByteArray& line, BatchResult& r) {
    bool ok = false;
    const QJsonObject o = ParseLine(line, ok);
    r.status = o.value("status").toString();
    r.message = o.value("message").toString();
    r.fullName = o.value("FullName").toString();
    r.email = o.value("Email").toString();
    r.phone = o.value("Phone").toString();
    r.seconds = o.value("seconds").toDouble();
    return ok && !r.status.isEmpty();
}

int RunBatchWorker(const BatchFillOptions& options) {
    std::unique_ptr<BatchFiller> filler;
    QString startError;
    try {
        filler = std::make_unique<BatchFiller>(options);
    } catch (const ZorvError& e) {
        startError = OneLine(UnhandledErrorText(kStartFailed, e.Number(), e.Description()));
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        BatchJob job;
        if (!DecodeJob(QByteArray::fromStdString(line), job))
            continue;
        const BatchResult result = filler ? filler->Fill(job) : FailedResult(startError);
        const QByteArray out = EncodeResult(result);
        if (std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout) !=
                static_cast<size_t>(out.size()) ||
            std::fflush(stdout) != 0)
            return 1;
    }
    return 0;
}

} // namespace zorv::cli
