// libxml2 behind the converters: owned documents, hardened parsing of XML parts and HTML
// pages (no network, no external entities or DTDs, no entity substitution, no output).
// Private to the converters: this header includes libxml2.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <libxml/tree.h>
#include <memory>

namespace zorv::rp::convert {

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

// Parses an XML part; null when it is not well-formed.
XmlDocPtr ParseXmlPart(QByteArrayView bytes);

// Parses an HTML page in the given encoding (empty: what the page declares).
XmlDocPtr ParseHtmlPage(QByteArrayView bytes, const QByteArray& encoding);

// True when the element has this local name in a namespace whose URI ends with nsSuffix.
bool IsElement(const xmlNode* node, const char* localName, const char* nsSuffix);

// The value of an attribute by local name (any namespace), or "".
QString AttributeValue(const xmlNode* node, const char* localName);

// Deepest element nesting the converters walk; deeper documents are refused.
inline constexpr int kMaxXmlDepth = 400;

} // namespace zorv::rp::convert
