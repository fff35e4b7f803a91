// Private to mapping/: the libxml2 state every call into the library runs under.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace zorv::xml {

// While one lives on a thread: libxml2 prints nothing (errors are collected instead), and
// any attempt of the parser to open another resource (external DTD or entity, XInclude)
// is refused. Outside such a scope libxml2 behaves as its other users set it up.
class LibXmlScope {
public:
    struct Error {
        std::int32_t code = 0;
        std::int32_t line = 0;
        QString message;
    };

    LibXmlScope();
    ~LibXmlScope();
    LibXmlScope(const LibXmlScope&) = delete;
    LibXmlScope& operator=(const LibXmlScope&) = delete;

    // The first error (not warning) reported in this scope, or null.
    const Error* FirstError() const { return first_ ? &*first_ : nullptr; }

    // Used by the error callback.
    void Record(std::int32_t code, std::int32_t line, const char* message, bool isError);

private:
    using AnyFunction = void (*)();
    std::optional<Error> first_;
    AnyFunction savedStructured_;
    void* savedStructuredContext_;
    AnyFunction savedGeneric_;
    void* savedGenericContext_;
};

} // namespace zorv::xml
