#include "ParserServer.h"

#include "ResumeFile.h"

#include "MemoryWatch.h"
#include "ParserProtocol.h"
#include "ServerActions.h"
#include "ServerMain.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonValue>
#include <unistd.h>

namespace zorv::rp {
namespace {

namespace keys = protocol::keys;
namespace calls = protocol::calls;
namespace props = protocol::props;
namespace codes = protocol::codes;

struct StringProperty {
    QLatin1String name;
    QString ParserSettings::*member;
};
struct BoolProperty {
    QLatin1String name;
    bool ParserSettings::*member;
};

const StringProperty kStringProperties[] = {
    {props::kTableName, &ParserSettings::TableName},
    {props::kSingularName, &ParserSettings::SingularName},
    {props::kResumeFileName, &ParserSettings::ResumeFileName},
    {props::kXMLResumeFileName, &ParserSettings::XMLResumeFileName},
    {props::kResumeContent, &ParserSettings::ResumeContent},
    {props::kDatabaseName, &ParserSettings::DatabaseName},
    {props::kDataPath, &ParserSettings::DataPath},
    {props::kCustomizePath, &ParserSettings::CustomizePath},
    {props::kResumeCountry, &ParserSettings::ResumeCountry},
};
const BoolProperty kBoolProperties[] = {
    {props::kPutResumeContentInXML, &ParserSettings::PutResumeContentInXML},
    {props::kCleanupPhoneNumbers, &ParserSettings::CleanupPhoneNumbers},
    {props::kUseFullParser, &ParserSettings::UseFullParser},
    {props::kParseContactInfoOnly, &ParserSettings::ParseContactInfoOnly},
    {props::kDebugMode, &ParserSettings::DebugMode},
};

QJsonObject Ok(const QJsonValue& value = QJsonValue()) {
    QJsonObject reply{{keys::kOk, true}};
    if (!value.isUndefined() && !value.isNull())
        reply.insert(keys::kValue, value);
    return reply;
}

// Codes tell the client which error to raise: no such member, type mismatch, anything else
// the parser refuses.
QJsonObject Error(const QString& message, int code = codes::kRefused) {
    return QJsonObject{{keys::kOk, false}, {keys::kError, message}, {keys::kCode, code}};
}

// A property set to a value of the wrong type: `takes` names the right one ("a string").
QJsonObject TypeMismatch(const QString& name, const QString& takes) {
    return Error(QStringLiteral("Type mismatch: ") + name + QStringLiteral(" takes ") + takes +
                     QLatin1Char('.'),
                 codes::kTypeMismatch);
}

// The exit status of a server that ended an action over its memory limit.
constexpr int kExitOverMemory = 3;

} // namespace

ParserServer::ParserServer(std::function<bool(const QByteArray&)> send) : send_(std::move(send)) {}

ParserServer::~ParserServer() {
    // A worker stuck in a converter cannot be stopped; the process ends without it.
    if (worker_.joinable()) {
        if (Busy())
            worker_.detach();
        else
            worker_.join();
    }
}

bool ParserServer::Busy() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return busy_;
}

void ParserServer::SendReady() {
    SendEvent(QJsonObject{{keys::kEvent, protocol::events::kReady},
                          {keys::kProtocol, protocol::kVersion}});
}

void ParserServer::SendEvent(const QJsonObject& event) {
    send_(QJsonDocument(event).toJson(QJsonDocument::Compact));
}

void ParserServer::SendMessage(const QString& text) {
    SendEvent(QJsonObject{{keys::kEvent, protocol::events::kMessage}, {keys::kText, text}});
}

void ParserServer::RejectOverlongLine() {
    QJsonObject reply = Error(QStringLiteral("The request line is too long."));
    reply.insert(keys::kId, -1);
    send_(QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

void ParserServer::HandleLine(const QByteArray& line) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &parseError);
    QJsonObject reply;
    QJsonValue id = -1;
    if (!doc.isObject()) {
        reply =
            Error(QStringLiteral("The request is not a JSON object: ") + parseError.errorString());
    } else {
        const QJsonObject request = doc.object();
        id = request.value(keys::kId);
        reply = Dispatch(request.value(keys::kCall).toString(), request);
    }
    reply.insert(keys::kId, id);
    send_(QJsonDocument(reply).toJson(QJsonDocument::Compact));
    // An action starts only once its reply is out, so that its Done always follows it.
    LaunchPendingAction();
}

QJsonObject ParserServer::Dispatch(const QString& call, const QJsonObject& request) {
    if (call == calls::kSet)
        return SetProperty(request.value(keys::kName).toString(), request.value(keys::kValue));
    if (call == calls::kGet)
        return GetProperty(request.value(keys::kName).toString());
    if (protocol::IsAction(call))
        return StartAction(call);

    const std::lock_guard<std::mutex> lock(mutex_);
    if (call == calls::kPrepare) {
        // A new try starts from the parser's defaults; a running action keeps its own copy.
        settings_ = ParserSettings{};
        xmlResume_.clear();
        doneReceived_ = false;
        log_.SetEnabled(false);
        return Ok();
    }
    if (call == calls::kFinishSetup) {
        log_.Write(QStringLiteral("setup: file \"%1\", XML file \"%2\", content %3 characters, "
                                  "full parser %4, contact only %5, country \"%6\"")
                       .arg(settings_.ResumeFileName, settings_.XMLResumeFileName)
                       .arg(settings_.ResumeContent.size())
                       .arg(settings_.UseFullParser)
                       .arg(settings_.ParseContactInfoOnly)
                       .arg(settings_.ResumeCountry));
        return Ok();
    }
    if (call == calls::kStartDebug) {
        log_.Start();
        return Ok();
    }
    return Error(QStringLiteral("Unknown call: ") + call, codes::kNoSuchMember);
}

QJsonObject ParserServer::SetProperty(const QString& name, const QJsonValue& value) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& p : kStringProperties) {
        if (name == p.name) {
            if (!value.isString())
                return TypeMismatch(name, QStringLiteral("a string"));
            settings_.*p.member = value.toString();
            return Ok();
        }
    }
    for (const auto& p : kBoolProperties) {
        if (name == p.name) {
            if (!value.isBool())
                return TypeMismatch(name, QStringLiteral("a Boolean"));
            settings_.*p.member = value.toBool();
            if (p.member == &ParserSettings::DebugMode)
                log_.SetEnabled(settings_.DebugMode);
            return Ok();
        }
    }
    if (name == props::kDoneReceived) {
        if (!value.isBool())
            return TypeMismatch(name, QStringLiteral("a Boolean"));
        doneReceived_ = value.toBool();
        return Ok();
    }
    if (name == props::kXMLResume)
        return Error(name + QStringLiteral(" is read-only."));
    return Error(QStringLiteral("Unknown property: ") + name, codes::kNoSuchMember);
}

QJsonObject ParserServer::GetProperty(const QString& name) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& p : kStringProperties) {
        if (name == p.name)
            return Ok(QJsonValue(settings_.*p.member));
    }
    for (const auto& p : kBoolProperties) {
        if (name == p.name)
            return Ok(QJsonValue(settings_.*p.member));
    }
    if (name == props::kXMLResume)
        return Ok(QJsonValue(xmlResume_));
    if (name == props::kDoneReceived)
        return Ok(QJsonValue(doneReceived_));
    return Error(QStringLiteral("Unknown property: ") + name, codes::kNoSuchMember);
}

QJsonObject ParserServer::StartAction(const QString& what) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (busy_)
        return Error(QStringLiteral("An action is still running."));
    busy_ = true;
    doneReceived_ = false;
    pending_ = PendingAction{what, settings_};
    if (what != calls::kConvert && convertedLayout_ && settings_.ResumeContent == convertedText_)
        pending_->settings.Layout = convertedLayout_;
    log_.Write(what + QStringLiteral(" started"));
    return Ok();
}

void ParserServer::LaunchPendingAction() {
    std::optional<PendingAction> pending;
    pending.swap(pending_);
    if (!pending)
        return;
    if (worker_.joinable())
        worker_.join(); // the previous action has ended: busy_ was false
    worker_ = std::thread([this, p = std::move(*pending)] { RunAction(p.what, p.settings); });
}

void ParserServer::RunAction(const QString& what, ParserSettings settings) {
    QElapsedTimer clock;
    clock.start();
    SendMessage(what + QStringLiteral(" started"));
    ActionResult result;
    {
        const std::int64_t limit = ServerMemoryLimit();
        const MemoryWatch watch(limit, [&] { EndOverMemory(what, settings, limit, clock); });
        result = DoAction(what, settings);
    }
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (result.ok) {
            if (what == calls::kConvert) {
                settings_.ResumeContent = result.text;
                convertedText_ = result.text;
                convertedLayout_ = result.layout;
            } else
                xmlResume_ = result.text;
        }
        busy_ = false;
        log_.Write(
            QStringLiteral("%1 %2 in %3 s, %4 characters%5")
                .arg(what, result.ok ? QStringLiteral("succeeded") : QStringLiteral("failed"))
                .arg(seconds, 0, 'f', 3)
                .arg(result.text.size())
                .arg(result.ok ? QString() : QStringLiteral(": ") + result.message));
    }
    SendEvent(QJsonObject{{keys::kEvent, protocol::events::kDone},
                          {keys::kWhat, what},
                          {keys::kDoneOk, result.ok},
                          {keys::kMsg, result.ok ? QString() : result.message},
                          {keys::kSeconds, seconds}});
}

void ParserServer::EndOverMemory(const QString& what, const ParserSettings& settings,
                                 std::int64_t limit, const QElapsedTimer& clock) {
    // The action cannot be stopped where it is: its Done goes out now and the process ends,
    // so that the client's try fails with this reason and its next try gets a new server.
    const QString message =
        QStringLiteral("The resume needs more memory than the parser allows (over %1 MiB): %2")
            .arg(limit / kBytesPerMiB)
            .arg(settings.ResumeFileName);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        log_.Write(what + QStringLiteral(" failed: ") + message);
    }
    SendEvent(QJsonObject{{keys::kEvent, protocol::events::kDone},
                          {keys::kWhat, what},
                          {keys::kDoneOk, false},
                          {keys::kMsg, message},
                          {keys::kSeconds, static_cast<double>(clock.nsecsElapsed()) / 1e9}});
    EndChildren();
    ::_exit(kExitOverMemory);
}

ActionResult ParserServer::DoAction(const QString& what, const ParserSettings& settings) {
    return RunServerAction(what, settings, [this](const QString& text) { SendMessage(text); });
}

} // namespace zorv::rp
