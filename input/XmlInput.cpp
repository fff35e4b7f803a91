// Parsing untrusted XML and HTML under the one policy, and the entity expansion cap.
#include "XmlInput.h"

#include "XmlErrors.h"
#include "XmlPolicy.h"

#include <QHash>
#include <cstring>
#include <libxml/HTMLparser.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <limits>

namespace zorv::input {
namespace {

struct ParserCtxtFree {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};

// Entities nest no deeper than this in any sane document; libxml2 refuses loops itself.
constexpr int kMaxEntityNesting = 40;

// What the entity references of a document expand to, counted without expanding them: each
// entity's size is counted once and remembered. Stops counting once past the cap.
class ExpansionCounter {
public:
    explicit ExpansionCounter(xmlDoc* doc) : doc_(doc) {}

    qint64 Document() {
        // The declarations themselves expand nothing until something refers to them.
        for (xmlNode* n = doc_->children; n && total_ <= kMaxEntityExpansion; n = n->next)
            if (n->type != XML_DTD_NODE)
                total_ += References(n);
        return total_;
    }

private:
    // Text that the entity references under `n` (attributes included) expand to.
    qint64 References(const xmlNode* n) {
        qint64 sum = 0;
        const xmlNode* top = n;
        while (n && sum <= kMaxEntityExpansion) {
            if (n->type == XML_ENTITY_REF_NODE)
                sum += EntitySize(xmlGetDocEntity(doc_, n->name), 0);
            if (n->type == XML_ELEMENT_NODE)
                for (const xmlAttr* a = n->properties; a; a = a->next)
                    for (const xmlNode* c = a->children; c; c = c->next)
                        if (c->type == XML_ENTITY_REF_NODE)
                            sum += EntitySize(xmlGetDocEntity(doc_, c->name), 0);
            // Never into an entity reference's content: the entity's own size counts.
            n = NextInTree(const_cast<xmlNode*>(n), top, n->type != XML_ENTITY_REF_NODE);
        }
        return sum;
    }

    // The text one reference to the entity gives, its own references expanded.
    qint64 EntitySize(xmlEntity* entity, int nesting) {
        if (!entity || nesting > kMaxEntityNesting)
            return 0;
        if (const auto it = sizes_.constFind(entity); it != sizes_.constEnd())
            return *it;
        sizes_.insert(entity, 0); // a loop counts nothing; libxml2 reports it
        qint64 size = 0;
        if (entity->children) {
            // Stopping past the cap keeps every sum far from overflowing, however deep.
            for (const xmlNode* c = entity->children; c && size <= kMaxEntityExpansion; c = c->next)
                size += TextSize(c, nesting + 1);
        } else {
            size = entity->length;
        }
        sizes_.insert(entity, size);
        return size;
    }

    qint64 TextSize(const xmlNode* n, int nesting) {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE)
            return n->content ? qint64(std::strlen(reinterpret_cast<const char*>(n->content))) : 0;
        if (n->type == XML_ENTITY_REF_NODE)
            return EntitySize(xmlGetDocEntity(doc_, n->name), nesting);
        qint64 size = 0;
        if (n->type == XML_ELEMENT_NODE)
            for (const xmlNode* c = n->children; c && size <= kMaxEntityExpansion; c = c->next)
                size += TextSize(c, nesting);
        return size;
    }

    xmlDoc* doc_;
    qint64 total_ = 0;
    QHash<const void*, qint64> sizes_;
};

XmlProblem Problem(const XmlErrorScope& scope, xmlParserCtxt* ctxt) {
    if (const XmlProblem* first = scope.FirstError(); first && !first->message.isEmpty())
        return *first;
    if (const xmlError* last = xmlCtxtGetLastError(ctxt); last && last->message)
        return {last->code, last->line, OneLine(QString::fromUtf8(last->message))};
    return {XML_ERR_INTERNAL_ERROR, 0, QStringLiteral("The document is not well-formed.")};
}

XmlDocPtr Refuse(XmlProblem* problem, XmlProblem why) {
    if (problem)
        *problem = std::move(why);
    return {};
}

} // namespace

void XmlDocDeleter::operator()(_xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

XmlDocPtr ReadXml(QByteArrayView bytes, const XmlReadOptions& options, XmlProblem* problem) {
    XmlErrorScope scope;
    if (bytes.size() > std::numeric_limits<int>::max())
        return Refuse(problem, {XML_ERR_INTERNAL_ERROR, 0,
                                QStringLiteral("The document is too "
                                               "large.")});
    std::unique_ptr<xmlParserCtxt, ParserCtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt)
        return Refuse(problem, {XML_ERR_NO_MEMORY, 0, QStringLiteral("Out of memory.")});
    // Never NOENT, DTDLOAD, DTDATTR, XINCLUDE or HUGE: entities stay references, nothing
    // outside the bytes is read, and libxml2's depth and size limits hold.
    const int flags = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
    const QByteArray url = options.url.toUtf8();
    XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), bytes.data(), int(bytes.size()),
                                    url.isEmpty() ? nullptr : url.constData(), nullptr, flags));
    if (!doc || !ctxt->wellFormed || scope.FirstError())
        return Refuse(problem, Problem(scope, ctxt.get()));
    if (options.refuseDoctype && (doc->intSubset || doc->extSubset))
        return Refuse(problem, {XML_ERR_INTERNAL_ERROR, 0,
                                QStringLiteral("It carries a document type declaration, which "
                                               "is not allowed here.")});
    if (doc->intSubset && ExpansionCounter(doc.get()).Document() > kMaxEntityExpansion)
        return Refuse(problem, {XML_ERR_ENTITY_LOOP, 0,
                                QStringLiteral("Its entity references expand to more than %1 "
                                               "KiB of text, the limit for entities.")
                                    .arg(kMaxEntityExpansion / 1024)});
    return doc;
}

XmlDocPtr ReadHtml(QByteArrayView bytes, const QByteArray& encoding) {
    XmlErrorScope scope;
    if (bytes.size() > std::numeric_limits<int>::max())
        return {};
    const int options = HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                        HTML_PARSE_RECOVER | HTML_PARSE_NOIMPLIED;
    return XmlDocPtr(htmlReadMemory(bytes.data(), int(bytes.size()), "page.html",
                                    encoding.isEmpty() ? nullptr : encoding.constData(), options));
}

namespace {

bool EndsWith(const xmlChar* text, const char* suffix) {
    const size_t m = std::strlen(suffix);
    if (m == 0)
        return true;
    if (!text)
        return false;
    const size_t n = std::strlen(reinterpret_cast<const char*>(text));
    return n >= m && std::strcmp(reinterpret_cast<const char*>(text) + n - m, suffix) == 0;
}

} // namespace

bool IsElement(const _xmlNode* node, const char* localName, const char* nsSuffix) {
    return node && node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), localName) == 0 &&
           (!*nsSuffix || (node->ns && EndsWith(node->ns->href, nsSuffix)));
}

_xmlNode* NextInTree(_xmlNode* n, const _xmlNode* top, bool descend) {
    if (descend && n->children)
        return n->children;
    while (n && n != top) {
        if (n->next)
            return n->next;
        n = n->parent;
    }
    return nullptr;
}

QString AttributeValue(const _xmlNode* node, const char* localName) {
    for (const xmlAttr* a = node ? node->properties : nullptr; a; a = a->next) {
        if (std::strcmp(reinterpret_cast<const char*>(a->name), localName) != 0)
            continue;
        QString value;
        for (const xmlNode* c = a->children; c; c = c->next)
            if (c->content)
                value += QString::fromUtf8(reinterpret_cast<const char*>(c->content));
        return value;
    }
    return {};
}

} // namespace zorv::input
