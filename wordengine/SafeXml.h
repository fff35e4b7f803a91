// libxml2 behind small RAII handles, parsed the one safe way for untrusted package parts:
// no network, no DTD loading, no entity substitution, a deny-all external entity loader,
// the built-in size and depth limits kept, and any document type declaration refused.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

struct _xmlDoc;
struct _xmlNode;

namespace zorv::wordengine {

struct XmlDocDeleter {
    void operator()(_xmlDoc* doc) const;
};
using XmlDocPtr = std::unique_ptr<_xmlDoc, XmlDocDeleter>;

// Parses one part; throws ZorvError(EngBadXml) naming the part when it is not sound XML.
XmlDocPtr ParseXmlPart(const QByteArray& bytes, const QString& partName);

// The document as bytes with its XML declaration, in UTF-8.
QByteArray SerializeXml(_xmlDoc* doc);

} // namespace zorv::wordengine
