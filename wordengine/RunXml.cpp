// WordprocessingML element helpers.
#include "RunXml.h"

#include <cstring>

namespace zorv::wordengine {
namespace {
const char kWMain[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char kWStrict[] = "http://purl.oclc.org/ooxml/wordprocessingml/main";
} // namespace

bool IsW(const xmlNode* n) {
    if (n->type != XML_ELEMENT_NODE || !n->ns || !n->ns->href)
        return false;
    const char* href = reinterpret_cast<const char*>(n->ns->href);
    return std::strcmp(href, kWMain) == 0 || std::strcmp(href, kWStrict) == 0;
}

bool LocalIs(const xmlNode* n, const char* name) {
    return n->type == XML_ELEMENT_NODE &&
           xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(name));
}

QByteArray PlainAttr(const xmlNode* n, const char* name) {
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
    QByteArray out = v ? QByteArray(reinterpret_cast<const char*>(v)) : QByteArray();
    xmlFree(v);
    return out;
}

QString TextOf(const xmlNode* element) {
    QString s;
    for (const xmlNode* c = element->children; c; c = c->next)
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            s += QString::fromUtf8(reinterpret_cast<const char*>(c->content));
    return s;
}

void RemoveNode(xmlNode* n) {
    xmlUnlinkNode(n);
    xmlFreeNode(n);
}

xmlNode* Child(const xmlNode* parent, const char* name) {
    for (xmlNode* c = parent->children; c; c = c->next)
        if (IsW(c) && Is(c, name))
            return c;
    return nullptr;
}

QByteArray Attr(const xmlNode* n, const char* name) {
    for (xmlAttr* a = n->properties; a; a = a->next) {
        if (!xmlStrEqual(a->name, reinterpret_cast<const xmlChar*>(name)))
            continue;
        QByteArray v;
        for (xmlNode* c = a->children; c; c = c->next)
            if (c->content)
                v += reinterpret_cast<const char*>(c->content);
        return v;
    }
    return {};
}

void SetAttr(xmlNode* n, const char* name, const QByteArray& value) {
    xmlSetNsProp(n, n->ns, reinterpret_cast<const xmlChar*>(name),
                 reinterpret_cast<const xmlChar*>(value.constData()));
}

xmlNode* NewWElement(const xmlNode* like, const char* name) {
    return xmlNewDocNode(like->doc, like->ns, reinterpret_cast<const xmlChar*>(name), nullptr);
}

xmlNode* CopyInScope(const xmlNode* element) {
    xmlNode* copy = xmlNewDocNode(element->doc, element->ns, element->name, nullptr);
    for (const xmlAttr* a = element->properties; a; a = a->next) {
        xmlChar* v = xmlNodeListGetString(element->doc, a->children, 1);
        xmlSetNsProp(copy, a->ns, a->name, v);
        xmlFree(v);
    }
    for (const xmlNode* c = element->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE)
            xmlAddChild(copy, CopyInScope(c));
        else if (c->type == XML_TEXT_NODE)
            xmlAddChild(copy, xmlNewDocText(element->doc, c->content));
    }
    return copy;
}

void SetElementText(xmlNode* element, const QString& raw) {
    const QString text = XmlSafeText(raw);
    xmlNodeSetContent(element, nullptr);
    const QByteArray utf8 = text.toUtf8();
    xmlNodeAddContentLen(element, reinterpret_cast<const xmlChar*>(utf8.constData()),
                         int(utf8.size()));
    if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()))
        xmlNodeSetSpacePreserve(element, 1);
}

xmlNode* EnsureChildInOrder(xmlNode* parent, const char* name, const char* const* order) {
    if (xmlNode* existing = Child(parent, name))
        return existing;
    int rank = 0;
    while (order[rank] && std::strcmp(order[rank], name) != 0)
        ++rank;
    xmlNode* created = NewWElement(parent, name);
    // Before the first child that comes later in the order.
    for (xmlNode* c = parent->children; c; c = c->next) {
        if (!IsW(c))
            continue;
        for (int r = rank + 1; order[r]; ++r)
            if (Is(c, order[r]))
                return xmlAddPrevSibling(c, created);
    }
    return xmlAddChild(parent, created);
}

} // namespace zorv::wordengine
