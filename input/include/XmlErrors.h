// libxml2's errors collected instead of printed, for calls into the library beyond
// ReadXml (XPath evaluation).
#pragma once

#include "XmlInput.h"

#include <optional>

namespace zorv::input {

// While one lives on a thread, libxml2 prints nothing on that thread: the first error (not
// warning) is kept here. Scopes nest; the outer handlers come back when one ends.
class XmlErrorScope {
public:
    XmlErrorScope();
    ~XmlErrorScope();
    XmlErrorScope(const XmlErrorScope&) = delete;
    XmlErrorScope& operator=(const XmlErrorScope&) = delete;

    // The first error reported in this scope, or null.
    const XmlProblem* FirstError() const { return first_ ? &*first_ : nullptr; }

    // Used by the error callback.
    void Record(std::int32_t code, std::int32_t line, const char* message, bool isError);

private:
    using AnyFunction = void (*)();
    std::optional<XmlProblem> first_;
    AnyFunction savedStructured_;
    void* savedStructuredContext_;
    AnyFunction savedGeneric_;
    void* savedGenericContext_;
};

// libxml2 ends its messages with a line break and sometimes adds a second line; a message
// of ours is one line.
QString OneLine(QString text);

} // namespace zorv::input
