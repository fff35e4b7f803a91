// Small helpers for WordprocessingML elements in a libxml2 tree (internal to the engine).
#pragma once

#include "XmlText.h"

#include <QByteArray>
#include <QString>
#include <libxml/tree.h>

namespace zorv::wordengine {

// An element of the WordprocessingML main namespace (transitional or strict).
bool IsW(const xmlNode* n);
// Its local name is `name` (the namespace is checked by IsW).
inline bool Is(const xmlNode* n, const char* name) {
    return xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(name));
}
// An element (of any namespace) with that local name.
bool LocalIs(const xmlNode* n, const char* name);
// The value of the attribute <name>, whatever its namespace; empty when absent.
QByteArray PlainAttr(const xmlNode* n, const char* name);
// The text content of an element's text and CDATA children.
QString TextOf(const xmlNode* element);
// Unlinks and frees a node.
void RemoveNode(xmlNode* n);
// The first child element of the main namespace with that local name, or nullptr.
xmlNode* Child(const xmlNode* parent, const char* name);
// The value of the attribute w:<name> (or <name> without namespace); empty when absent.
QByteArray Attr(const xmlNode* n, const char* name);
// Sets w:<name> on the element.
void SetAttr(xmlNode* n, const char* name, const QByteArray& value);
// A new element w:<name> in the namespace of `like`, not yet linked.
xmlNode* NewWElement(const xmlNode* like, const char* name);
using input::XmlSafeText;
// A deep copy of `element` for a place in the same namespace scope (the copy reuses the
// document's namespace declarations instead of repeating them), not yet linked.
xmlNode* CopyInScope(const xmlNode* element);
// Replaces the element's content by literal text (made XML-safe), keeping leading and trailing
// spaces.
void SetElementText(xmlNode* element, const QString& text);
// The child w:<name> of `parent`, created at its place in the schema's child order when
// missing; `order` lists the sibling names in that order.
xmlNode* EnsureChildInOrder(xmlNode* parent, const char* name, const char* const* order);

} // namespace zorv::wordengine
