#include "ParserSession.h"

#include "ParserErrors.h"
#include "ParserObject.h"
#include "ParserProtocol.h"
#include "Settings.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <limits>

namespace zorv {
namespace {

namespace calls = protocol::calls;
namespace props = protocol::props;

const QString kHostApp = QStringLiteral("ZorvOne");
const QString kHostSection = QStringLiteral("OptionsMyRecord");

// A host setting read as a number; one that is not a number is a type mismatch.
double NumericSetting(const QString& key) {
    const QString text = GetSetting(kHostApp, kHostSection, key, QStringLiteral("0"));
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw ZorvError(ErrTypeMismatch, QStringLiteral("Type mismatch: the setting ") + key +
                                             QStringLiteral(" is not a number (\"") + text +
                                             QStringLiteral("\")."));
    return value;
}

std::chrono::milliseconds TimeLimit(std::int32_t seconds) {
    constexpr std::int64_t kMaxMs = std::numeric_limits<int>::max();
    const std::int64_t ms = std::int64_t{std::max(seconds, 0)} * 1000;
    return std::chrono::milliseconds(std::min(ms, kMaxMs));
}

} // namespace

bool IsParserAction(const QString& What) {
    return protocol::IsAction(What);
}

HostParserSettings ReadHostParserSettings() {
    HostParserSettings host;
    host.UseFullParser = NumericSetting(QStringLiteral("UseFullParser")) == 1;
    host.ParseContactInfoOnly = NumericSetting(QStringLiteral("ParseContactInfoOnly")) == 1;
    host.ResumeCountry =
        GetSetting(kHostApp, kHostSection, QStringLiteral("ResumeCountry"), QString());
    return host;
}

void SendTrySetup(ParserObject& pr, const ProcessResumeProperties& p,
                  const HostParserSettings& host) {
    pr.Call(calls::kPrepare);
    pr.SetProperty(props::kTableName, p.TableName);
    pr.SetProperty(props::kSingularName, p.SingularName);
    pr.SetProperty(props::kResumeFileName, p.ResumeFileName);
    pr.SetProperty(props::kXMLResumeFileName, p.XMLResumeFileName);
    pr.SetProperty(props::kResumeContent, p.ResumeContent);
    pr.SetProperty(props::kPutResumeContentInXML, p.PutResumeContentInXML);
    pr.SetProperty(props::kCleanupPhoneNumbers, p.CleanupPhoneNumbers);
    pr.SetProperty(props::kDatabaseName, p.DatabaseName);
    pr.SetProperty(props::kDataPath, p.DataPath);
    pr.SetProperty(props::kCustomizePath, p.CustomizePath);
    pr.SetProperty(props::kUseFullParser,
                   p.UseFullParser && p.TableName == QLatin1String("Consultants"));
    pr.SetProperty(props::kParseContactInfoOnly, host.ParseContactInfoOnly);
    pr.SetProperty(props::kResumeCountry, host.ResumeCountry);
    pr.Call(calls::kFinishSetup);
    if (p.DebugMode)
        pr.Call(calls::kStartDebug);
    pr.SetProperty(props::kDebugMode, p.DebugMode);
}

ParserSession::ParserSession(ParserPrograms programs)
    : host_(ReadHostParserSettings()), programs_(std::move(programs)) {
    UseFullParser = host_.UseFullParser;
}

ParserSession::~ParserSession() {
    EndServer();
}

std::int64_t ParserSession::ServerProcessId() const {
    return server_ ? server_->ProcessId() : 0;
}

void ParserSession::EndServer() {
    if (server_)
        server_->Release();
    server_.reset();
}

bool ParserSession::ProcessResume(const QString& What) {
    if (!IsParserAction(What))
        return false;
    try {
        return RunTry(What);
    } catch (const ZorvError& e) {
        // A call that failed leaves the server in an unknown state: the next try gets a new one.
        ErrMsg = e.Description();
        EndServer();
        return false;
    }
}

bool ParserSession::RunTry(const QString& What) {
    if (!server_) {
        ParserEvents events;
        events.Done = [this](const QString&, bool OK, const QString& Msg) {
            doneReceived_ = true;
            doneOK_ = OK;
            doneMsg_ = Msg;
            if (waiting_)
                waiting_->quit();
        };
        events.Message = [this](const QString& text) {
            if (OnParserMessage)
                OnParserMessage(text);
        };
        server_ = ParserObject::Create(std::move(events), programs_.Server());
        ++started_;
    }
    SendTrySetup(*server_, *this, host_);
    doneReceived_ = false;
    server_->Call(What);

    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(TimeLimit(TimeOutSeconds));
    waiting_ = &loop;
    if (!doneReceived_) // a Done already queued is delivered by the loop too
        loop.exec();
    waiting_ = nullptr;

    if (!doneReceived_) {
        ErrMsg = QStringLiteral("The resume parser did not finish %1 within %2 seconds.")
                     .arg(What)
                     .arg(TimeOutSeconds);
        EndServer(); // ours only; the next try starts a new one
        return false;
    }
    if (!doneOK_) {
        ErrMsg = doneMsg_;
        try {
            server_->SetProperty(props::kDoneReceived, true);
        } catch (const ZorvError&) {
            EndServer(); // it died with the try: the next try starts a new one
        }
        return false;
    }
    server_->SetProperty(props::kDoneReceived, true);
    if (What == calls::kConvert)
        ResumeContent = server_->GetProperty(props::kResumeContent).toString();
    else
        XMLResume = server_->GetProperty(props::kXMLResume).toString();
    ErrMsg.clear();
    return true;
}

} // namespace zorv
