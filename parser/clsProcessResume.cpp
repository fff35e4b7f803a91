#include "clsProcessResume.h"

#include "ParserErrors.h"
#include "ParserObject.h"
#include "Settings.h"
#include "Wait.h"
#include "modProcessResume.h"

#include <cmath>
#include <new>

namespace zorv {
namespace {

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

bool IsAction(const QString& What) {
    return What == QLatin1String("Convert") || What == QLatin1String("Parse") ||
           What == QLatin1String("Extract");
}

} // namespace

clsProcessResume::clsProcessResume() {
    TimeOutSeconds = 60;
    NTries = 2;
    UseFullParser = NumericSetting(QStringLiteral("UseFullParser")) == 1;
    ParseContactInfoOnlySetting = NumericSetting(QStringLiteral("ParseContactInfoOnly")) == 1;
    ResumeCountrySetting =
        GetSetting(kHostApp, kHostSection, QStringLiteral("ResumeCountry"), QString());
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
    return ParserObject::Create(std::move(events));
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
    if (!IsAction(What))
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
    pr.Call(QStringLiteral("Prepare"));
    pr.SetProperty(QStringLiteral("TableName"), TableName);
    pr.SetProperty(QStringLiteral("SingularName"), SingularName);
    pr.SetProperty(QStringLiteral("ResumeFileName"), ResumeFileName);
    pr.SetProperty(QStringLiteral("XMLResumeFileName"), XMLResumeFileName);
    pr.SetProperty(QStringLiteral("ResumeContent"), ResumeContent);
    pr.SetProperty(QStringLiteral("PutResumeContentInXML"), PutResumeContentInXML);
    pr.SetProperty(QStringLiteral("CleanupPhoneNumbers"), CleanupPhoneNumbers);
    pr.SetProperty(QStringLiteral("DatabaseName"), DatabaseName);
    pr.SetProperty(QStringLiteral("DataPath"), DataPath);
    pr.SetProperty(QStringLiteral("CustomizePath"), CustomizePath);
    pr.SetProperty(QStringLiteral("UseFullParser"),
                   UseFullParser && TableName == QLatin1String("Consultants"));
    pr.SetProperty(QStringLiteral("ParseContactInfoOnly"), ParseContactInfoOnlySetting);
    pr.SetProperty(QStringLiteral("ResumeCountry"), ResumeCountrySetting);
    pr.Call(QStringLiteral("FinishSetup"));
    if (DebugMode)
        pr.Call(QStringLiteral("StartDebug"));
    pr.SetProperty(QStringLiteral("DebugMode"), DebugMode);
    if (!IsAction(What))
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
            objPR->SetProperty(QStringLiteral("DoneReceived"), true);
            if (What == QLatin1String("Convert"))
                ResumeContent = objPR->GetProperty(QStringLiteral("ResumeContent")).toString();
            else
                XMLResume = objPR->GetProperty(QStringLiteral("XMLResume")).toString();
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
        objPR->SetProperty(QStringLiteral("DoneReceived"), true);
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
    try {
        if (Recreate) {
            ReleaseParser();
            objPR = CreateParser();
        }
        RunAction(CurrentAction);
    } catch (const ZorvError& e) {
        EndActionFailed(e.Description());
    } catch (const std::bad_alloc&) {
        EndActionFailed(QStringLiteral("Out of memory."));
    } catch (const std::exception& e) {
        EndActionFailed(QString::fromUtf8(e.what()));
    }
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
