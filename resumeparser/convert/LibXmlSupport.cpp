// Hardened, silent libxml2 parsing for the converters.
#include "LibXmlSupport.h"

#include <cstring>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <limits>
#include <mutex>

namespace zorv::rp::convert {

namespace {

void IgnoreGenericError(void*, const char*, ...) {}
void IgnoreStructuredError(void*, xmlErrorPtr) {}

xmlParserInputPtr DenyExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

// libxml2 2.9 has no per-parse switch against external entities: the loader is global.
// Nothing in this process has a reason to load one.
void InstallDenyAllLoader() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(DenyExternalEntity);
    });
}

// Keeps libxml2's error reports off standard error while a parse runs on this thread.
class SilentErrors {
public:
    SilentErrors()
        : genericCtx_(xmlGenericErrorContext), generic_(xmlGenericError),
          structuredCtx_(xmlStructuredErrorContext), structured_(xmlStructuredError) {
        xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
        xmlSetStructuredErrorFunc(nullptr, IgnoreStructuredError);
    }
    ~SilentErrors() {
        xmlSetGenericErrorFunc(genericCtx_, generic_);
        xmlSetStructuredErrorFunc(structuredCtx_, structured_);
    }
    SilentErrors(const SilentErrors&) = delete;
    SilentErrors& operator=(const SilentErrors&) = delete;

private:
    void* genericCtx_;
    xmlGenericErrorFunc generic_;
    void* structuredCtx_;
    xmlStructuredErrorFunc structured_;
};

bool EndsWith(const xmlChar* text, const char* suffix) {
    if (!text)
        return false;
    const size_t n = std::strlen(reinterpret_cast<const char*>(text));
    const size_t m = std::strlen(suffix);
    return n >= m && std::strcmp(reinterpret_cast<const char*>(text) + n - m, suffix) == 0;
}

} // namespace

XmlDocPtr ParseXmlPart(QByteArrayView bytes) {
    InstallDenyAllLoader();
    SilentErrors silent;
    if (bytes.size() > std::numeric_limits<int>::max())
        return {};
    // No XML_PARSE_NOENT (entities stay references), no DTD loading, no "huge" limits.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    return XmlDocPtr(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "part.xml", nullptr, options));
}

XmlDocPtr ParseHtmlPage(QByteArrayView bytes, const QByteArray& encoding) {
    InstallDenyAllLoader();
    SilentErrors silent;
    if (bytes.size() > std::numeric_limits<int>::max())
        return {};
    const int options = HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                        HTML_PARSE_RECOVER | HTML_PARSE_NOIMPLIED;
    return XmlDocPtr(htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "page.html",
                                    encoding.isEmpty() ? nullptr : encoding.constData(), options));
}

bool IsElement(const xmlNode* node, const char* localName, const char* nsSuffix) {
    return node && node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), localName) == 0 && node->ns &&
           EndsWith(node->ns->href, nsSuffix);
}

QString AttributeValue(const xmlNode* node, const char* localName) {
    for (const xmlAttr* a = node ? node->properties : nullptr; a; a = a->next) {
        if (std::strcmp(reinterpret_cast<const char*>(a->name), localName) != 0)
            continue;
        QString value;
        for (const xmlNode* c = a->children; c; c = c->next) {
            if (c->content)
                value += QString::fromUtf8(reinterpret_cast<const char*>(c->content));
        }
        return value;
    }
    return {};
}

} // namespace zorv::rp::convert
