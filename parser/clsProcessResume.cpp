#include "clsProcessResume.h"

#include "ParserErrors.h"
#include "ParserObject.h"
#include "ParserProtocol.h"
#include "ParserSession.h"
#include "Wait.h"
#include "modProcessResume.h"

namespace zorv {
clsProcessResume::clsProcessResume(ParserPrograms programs) : programs_(std::move(programs)) {
    TimeOutSeconds = 60;
    NTries = 2;
    HostSettings = ReadHostParserSettings();
    UseFullParser = HostSettings.UseFullParser;
    objPR = CreateParser();
}

clsProcessResume::~clsProcessResume() {
    ReleaseParser();
    StopTimeOutTimer();
    if (CurrentProcessResume == this)
        CurrentProcessResume = nullptr;
}

std::shared_ptr<ParserObject> clsProcessResume::CreateParser() {
    ParserEvents events;
    events.Done = [this](const QString& What, bool OK, const QString& Msg) {
        objPR_Done(What, OK, Msg);
    };
    events.Message = [this](const QString& Text) { objPR_Message(Text); };
    return ParserObject::Create(std::move(events), programs_.Server());
}

void clsProcessResume::ReleaseParser() {
    if (objPR)
        objPR->Release();
    objPR.reset();
}

std::int64_t clsProcessResume::ParserProcessId() const {
    return objPR ? objPR->ProcessId() : 0;
}

bool clsProcessResume::ProcessResume(const QString& What) {
    if (!IsParserAction(What))
        return false;
    // The time-out callback finds the running object through one variable.
    if (CurrentProcessResume)
        throw ZorvError(ErrInvalidCall, QStringLiteral("A resume is already being processed."));
    CurrentProcessResume = this;
    CurrentAction = What;
    ActionDone = false;
    TryCount = 1;
    try {
        RunAction(What);
    } catch (...) {
        StopTimeOutTimer();
        CurrentProcessResume = nullptr;
        throw;
    }
    while (!ActionDone)
        WaitSeconds(1.0f);
    const bool result = ActionOK;
    StopTimeOutTimer();
    CurrentProcessResume = nullptr;
    return result;
}

QString clsProcessResume::GetProp(const QString& PropName) {
    if (!objPR)
        throw ZorvError(ErrObjectNotSet, QStringLiteral("There is no resume parser object."));
    const QVariant value = objPR->GetProperty(PropName);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

void clsProcessResume::RunAction(const QString& What) {
    if (!objPR)
        throw ZorvError(ErrObjectNotSet, QStringLiteral("There is no resume parser object."));
    ParserObject& pr = *objPR;
    SendTrySetup(pr, *this, HostSettings);
    if (!IsParserAction(What))
        return;
    // "Extract" is guarded like the others: a parser that never reports would otherwise
    // keep ProcessResume waiting for ever.
    StartTimeOutTimer(TimeOutSeconds, What);
    pr.Call(What);
}

void clsProcessResume::objPR_Done(const QString& What, bool OK, const QString& Msg) {
    StopTimeOutTimer();
    // A report that arrives when no action of this object runs has no try to end.
    if (CurrentProcessResume != this || ActionDone)
        return;
    if (OK) {
        try {
            objPR->SetProperty(protocol::props::kDoneReceived, true);
            if (What == protocol::calls::kConvert)
                ResumeContent = objPR->GetProperty(protocol::props::kResumeContent).toString();
            else
                XMLResume = objPR->GetProperty(protocol::props::kXMLResume).toString();
        } catch (const ZorvError& e) {
            // The result could not be fetched: this try failed after all.
            ErrMsg = e.Description();
            RetryAction(CurrentAction, true);
            return;
        }
        ActionOK = true;
        ActionDone = true;
        ErrMsg.clear();
        return;
    }
    try {
        objPR->SetProperty(protocol::props::kDoneReceived, true);
    } catch (const ZorvError&) {
        // The parser is gone (it may have died): the retry replaces it anyway.
    }
    ErrMsg = Msg;
    RetryAction(CurrentAction, true);
}

void clsProcessResume::objPR_Message(const QString& Text) {
    if (OnParserMessage)
        OnParserMessage(Text);
}

void clsProcessResume::RetryAction(const QString& /*What: the next try repeats CurrentAction*/,
                                   bool Recreate) {
    ++TryCount;
    if (TryCount > NTries) {
        ActionOK = false;
        ActionDone = true;
        return;
    }
    WaitSeconds(3.0f);
    if (const std::optional<CaughtError> error = CatchError([&] {
            if (Recreate) {
                ReleaseParser();
                objPR = CreateParser();
            }
            RunAction(CurrentAction);
        }))
        EndActionFailed(error->description);
}

void clsProcessResume::AbandonTry() {
    if (objPR)
        objPR->AbandonTry();
}

void clsProcessResume::EndActionFailed(const QString& reason) {
    StopTimeOutTimer();
    ErrMsg = reason;
    ActionOK = false;
    ActionDone = true;
}

} // namespace zorv
