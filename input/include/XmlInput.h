// Untrusted XML and HTML through libxml2, the one way the whole tree parses them:
// - nothing outside the bytes is ever read: no network, no external DTD or entity, no
//   XInclude (a deny-all entity loader is installed for the whole process);
// - libxml2's own limits stay on (never the "huge" option);
// - internal entities are kept as references and expand when text is read, under a cap on
//   the text all references of a document expand to;
// - errors are collected, never printed.
// Callers that walk the tree include libxml2 themselves; this header does not.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>

struct _xmlDoc;
struct _xmlNode;

namespace zorv::input {

struct XmlDocDeleter {
    void operator()(_xmlDoc* doc) const;
};
// The one owner of a parsed document.
using XmlDocPtr = std::unique_ptr<_xmlDoc, XmlDocDeleter>;

// Why a read failed.
struct XmlProblem {
    std::int32_t code = 0; // libxml2's error number
    std::int32_t line = 0; // 0 when not known
    QString message;       // one line, in libxml2's words or ours
};

// The text that all entity references of one document may expand to, together.
inline constexpr qint64 kMaxEntityExpansion = 1024 * 1024;

struct XmlReadOptions {
    QString url;                // the document's name for libxml2 (may be empty)
    bool refuseDoctype = false; // package parts: any document type declaration is refused
};

// Parses XML. Null, with `problem` filled when given, when it is not well-formed, carries a
// refused document type declaration, or its entities expand past kMaxEntityExpansion.
XmlDocPtr ReadXml(QByteArrayView bytes, const XmlReadOptions& options,
                  XmlProblem* problem = nullptr);

// Parses an HTML page, recovering from its errors; `encoding` empty: what the page declares.
XmlDocPtr ReadHtml(QByteArrayView bytes, const QByteArray& encoding);

// True when the node is an element of this local name, in a namespace whose URI ends with
// `nsSuffix` ("" accepts any namespace, or none).
bool IsElement(const _xmlNode* node, const char* localName, const char* nsSuffix = "");

// The next node in document order below `top`, not descending into `n` when `descend` is
// false; null past the last.
_xmlNode* NextInTree(_xmlNode* n, const _xmlNode* top, bool descend);

// The value of an attribute by local name (any namespace), or "".
QString AttributeValue(const _xmlNode* node, const char* localName);

} // namespace zorv::input
