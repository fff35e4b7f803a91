// One parser object as the ZorvPr process serves it: its properties, the calls of a try,
// and the actions, which run on a worker thread so that calls are answered meanwhile.
// The wire format is described in PROTOCOL.md.
#pragma once

#include "DebugLog.h"
#include "ResumeParserCore.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace zorv::rp {

class ParserServer {
public:
    // `send` writes one line to the client; it is called from the main and worker threads.
    explicit ParserServer(std::function<bool(const QByteArray&)> send);
    virtual ~ParserServer();
    ParserServer(const ParserServer&) = delete;
    ParserServer& operator=(const ParserServer&) = delete;

    // Sends the Ready event that opens the conversation.
    void SendReady();
    // Handles one request line and sends its reply (actions reply before they run).
    void HandleLine(const QByteArray& line);
    // Replies to a request line that was too long to read.
    void RejectOverlongLine();
    // True while an action runs.
    bool Busy();

protected:
    // The work of one action, on the worker thread. The default runs the real parser.
    virtual ActionResult DoAction(const QString& what, const ParserSettings& settings);

    // A Message event to the client.
    void SendMessage(const QString& text);

private:
    QJsonObject Dispatch(const QString& call, const QJsonObject& request);
    QJsonObject SetProperty(const QString& name, const QJsonValue& value);
    QJsonObject GetProperty(const QString& name);
    QJsonObject StartAction(const QString& what);
    void LaunchPendingAction();
    void RunAction(const QString& what, ParserSettings settings);
    void SendEvent(const QJsonObject& event);
    // Fails the running action for want of memory and ends the process.
    [[noreturn]] void EndOverMemory(const QString& what, const ParserSettings& settings,
                                    std::int64_t limit, const QElapsedTimer& clock);

    std::function<bool(const QByteArray&)> send_;
    std::mutex mutex_; // guards everything below
    ParserSettings settings_;
    QString xmlResume_;
    // The last Convert's text and layout: a Parse of that very text reads the layout too.
    // Kept across Prepare, which starts a new try of the same client's document.
    QString convertedText_;
    std::shared_ptr<const DocumentLayout> convertedLayout_;
    bool doneReceived_ = false;
    bool busy_ = false;
    DebugLog log_;
    std::thread worker_;
    struct PendingAction {
        QString what;
        ParserSettings settings;
    };
    std::optional<PendingAction> pending_; // accepted, waiting for its reply to go out
};

} // namespace zorv::rp
