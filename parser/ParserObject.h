// The client's handle on one parser object: one ZorvPr process, started when the object is
// created and ended when it is released. Calls block until the server answers; the Done and
// Message events are delivered later through the event loop, never inside a call. Errors
// are ZorvError with the numbers of ParserErrors.h.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <memory>

namespace zorv {

struct CaughtError;

struct ParserEvents {
    std::function<void(const QString& What, bool OK, const QString& Msg)> Done;
    std::function<void(const QString& Text)> Message;
};

class ParserObject : public std::enable_shared_from_this<ParserObject> {
public:
    // Starts the server `program` and waits for its greeting. Throws
    // ErrCannotCreateComponent.
    static std::shared_ptr<ParserObject> Create(ParserEvents events, const QString& program);
    ~ParserObject();
    ParserObject(const ParserObject&) = delete;
    ParserObject& operator=(const ParserObject&) = delete;

    // A call without arguments: Prepare, FinishSetup, StartDebug, Convert, Parse, Extract.
    void Call(const QString& name);
    void SetProperty(const QString& name, const QString& value);
    void SetProperty(const QString& name, bool value);
    // A string or Boolean property, by name.
    QVariant GetProperty(const QString& name);

    // The running action's try has been given up (timed out): none of its events, nor a
    // report of the process's end, is delivered any more.
    void AbandonTry();

    // Ends the process and everything it started. No event is delivered afterwards, also
    // when the release happens inside one of this object's own event handlers. Safe to
    // call twice; the destructor calls it.
    void Release();

    std::int64_t ProcessId() const;

    struct Key { // only Create makes parser objects
    private:
        Key() = default;
        friend class ParserObject;
    };
    ParserObject(Key, ParserEvents events);

private:
    struct Private;
    QVariant Request(const QString& call, const QString& name, const QVariant& value,
                     bool isAction);
    void ReadLines();
    void HandleLine(const QByteArray& line);
    void OnFinished(int exitCode, bool crashed);
    void Post(const QString& what, bool ok, const QString& msg, bool isDone);
    void ReportHandlerError(const QString& action, const CaughtError& error);

    std::unique_ptr<Private> d_;
};

} // namespace zorv
