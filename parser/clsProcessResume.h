// The resume processing client: holds the settings of one conversion, owns one parser
// object (a ZorvPr process) and runs one parser action at a time as a blocking call that
// turns the event loop while it waits. Failed and timed-out tries are repeated with a new
// parser object, up to NTries tries.
#pragma once

#include "ParserPrograms.h"
#include "ParserSession.h"
#include "ProcessResumeInterface.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace zorv {

class ParserObject;

class clsProcessResume : public IProcessResume {
public:
    // Reads the host settings and creates the parser object. Throws ErrTypeMismatch for a
    // setting that is not a number, ErrCannotCreateComponent when ZorvPr does not start.
    explicit clsProcessResume(ParserPrograms programs = {});
    ~clsProcessResume() override;
    clsProcessResume(const clsProcessResume&) = delete;
    clsProcessResume& operator=(const clsProcessResume&) = delete;

    // Runs "Convert", "Parse" or "Extract"; any other name returns false at once.
    bool ProcessResume(const QString& What) override;

    // The parser object's property PropName as a string ("True"/"False" for Booleans).
    QString GetProp(const QString& PropName);

    // Counts a failed try and either gives up or starts the next one. For the Done handler
    // and the time-out callback.
    void RetryAction(const QString& What, bool Recreate);

    // For the time-out callback: the running try is given up; nothing it still reports
    // is taken.
    void AbandonTry();
    // Ends the running action as failed, with the reason in ErrMsg.
    void EndActionFailed(const QString& reason);

    // What it starts, for the time-out callback.
    const ParserPrograms& Programs() const { return programs_; }

    // The parser object's process, for tests and diagnostics; 0 when there is none.
    std::int64_t ParserProcessId() const;

    // Receives the server's Message events as they arrive (a slow action's progress, such
    // as "OCR: page 1 of 2"); unset, they are dropped.
    std::function<void(const QString&)> OnParserMessage;

private:
    void RunAction(const QString& What);
    void objPR_Done(const QString& What, bool OK, const QString& Msg);
    void objPR_Message(const QString& Text);
    std::shared_ptr<ParserObject> CreateParser();
    void ReleaseParser();

    QString CurrentAction;
    std::int32_t TryCount = 0;
    bool ActionDone = false;
    bool ActionOK = false;
    HostParserSettings HostSettings;
    std::shared_ptr<ParserObject> objPR;
    ParserPrograms programs_;
};

} // namespace zorv
