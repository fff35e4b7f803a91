#include "LibXmlScope.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <mutex>

namespace zorv::xml {
namespace {

thread_local int tScopeDepth = 0;
xmlExternalEntityLoader gOtherLoader = nullptr;

xmlParserInputPtr DenyingLoader(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
    if (tScopeDepth > 0)
        return nullptr;
    return gOtherLoader ? gOtherLoader(url, id, ctxt) : nullptr;
}

void InitialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        gOtherLoader = xmlGetExternalEntityLoader();
        xmlSetExternalEntityLoader(DenyingLoader);
    });
}

void OnStructuredError(void* scope, xmlErrorPtr e) {
    if (scope && e)
        static_cast<LibXmlScope*>(scope)->Record(e->code, e->line, e->message,
                                                 e->level >= XML_ERR_ERROR);
}

void OnGenericError(void*, const char*, ...) {}

} // namespace

LibXmlScope::LibXmlScope()
    : savedStructured_(reinterpret_cast<AnyFunction>(xmlStructuredError)),
      savedStructuredContext_(xmlStructuredErrorContext),
      savedGeneric_(reinterpret_cast<AnyFunction>(xmlGenericError)),
      savedGenericContext_(xmlGenericErrorContext) {
    InitialiseOnce();
    ++tScopeDepth;
    xmlSetStructuredErrorFunc(this, OnStructuredError);
    xmlSetGenericErrorFunc(nullptr, OnGenericError);
}

LibXmlScope::~LibXmlScope() {
    xmlSetGenericErrorFunc(savedGenericContext_,
                           reinterpret_cast<xmlGenericErrorFunc>(savedGeneric_));
    xmlSetStructuredErrorFunc(savedStructuredContext_,
                              reinterpret_cast<xmlStructuredErrorFunc>(savedStructured_));
    --tScopeDepth;
}

void LibXmlScope::Record(std::int32_t code, std::int32_t line, const char* message, bool isError) {
    if (!isError || first_)
        return;
    first_ = Error{code, line, message ? QString::fromUtf8(message) : QString()};
}

} // namespace zorv::xml
