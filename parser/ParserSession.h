// A long-lived parser server for our own commands (`qarn parse`, `qarn batch`): one ZorvPr
// kept across resumes, one action at a time, each waited for until the server's own Done
// event arrives (no fixed waiting slices). A try that runs past its time limit, or whose
// server dies, fails at once and ends this session's server only (never a parser process of
// anyone else); the next action starts a new one. The window's Create run and `qarn create`
// keep using clsProcessResume.
#pragma once

#include "ParserPrograms.h"
#include "ProcessResumeInterface.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QEventLoop;

namespace zorv {

class ParserObject;

// "Convert", "Parse" or "Extract".
bool IsParserAction(const QString& What);

// The host settings every try hands to the server, read from the settings file.
struct HostParserSettings {
    bool UseFullParser = false;
    bool ParseContactInfoOnly = false;
    QString ResumeCountry;
};

// Throws ErrTypeMismatch for "UseFullParser" or "ParseContactInfoOnly" that is not a number.
HostParserSettings ReadHostParserSettings();

// One try's configuration calls, Prepare to DebugMode, in the protocol's order.
void SendTrySetup(ParserObject& parser, const ProcessResumeProperties& props,
                  const HostParserSettings& host);

class ParserSession : public IProcessResume {
public:
    // Reads the host settings (throws as ReadHostParserSettings does). The server starts
    // with the first action.
    explicit ParserSession(ParserPrograms programs = {});
    ~ParserSession() override;
    ParserSession(const ParserSession&) = delete;
    ParserSession& operator=(const ParserSession&) = delete;

    // Runs "Convert", "Parse" or "Extract" once, within TimeOutSeconds (NTries is not used:
    // one try). On success the result lands in ResumeContent or XMLResume; on failure ErrMsg
    // says why.
    bool ProcessResume(const QString& What) override;

    // Receives the server's Message events (OCR progress) while an action runs.
    std::function<void(const QString&)> OnParserMessage;

    // The running server's process, or 0.
    std::int64_t ServerProcessId() const;
    // How many servers this session has started.
    int ServersStarted() const { return started_; }

private:
    bool RunTry(const QString& What);
    void EndServer();

    HostParserSettings host_;
    ParserPrograms programs_;
    std::shared_ptr<ParserObject> server_;
    int started_ = 0;
    QEventLoop* waiting_ = nullptr; // the wait for the running try's Done
    bool doneReceived_ = false;
    bool doneOK_ = false;
    QString doneMsg_;
};

} // namespace zorv
