// The only place that installs a libxml2 external entity loader.
#include "XmlPolicy.h"

#include <libxml/parser.h>
#include <mutex>

namespace zorv::input {
namespace {

xmlParserInputPtr DenyExternalResource(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

} // namespace

void EnsureXmlPolicy() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(DenyExternalResource);
    });
}

} // namespace zorv::input
