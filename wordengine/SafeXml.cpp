// Parsing package parts through the input layer, and serialising them.
#include "SafeXml.h"

#include "WordEngine.h"
#include "ZorvError.h"

#include <libxml/tree.h>

#include <string>

namespace zorv::wordengine {

XmlDocPtr ParseXmlPart(const QByteArray& bytes, const QString& partName) {
    // Package parts never carry a document type declaration: the package format forbids it.
    input::XmlProblem problem;
    XmlDocPtr doc = input::ReadXml(bytes, {partName, true}, &problem);
    if (!doc)
        throw ZorvError(EngBadXml, QStringLiteral("The document is damaged or unsafe: the part "
                                                  "%1 cannot be read (%2).")
                                       .arg(partName, problem.message));
    if (!xmlDocGetRootElement(doc.get()))
        throw ZorvError(
            EngBadXml,
            QStringLiteral("The document is damaged: the part %1 is empty.").arg(partName));
    return doc;
}

namespace {

// A direct writer for the node kinds package parts hold (elements with namespaces,
// attributes, text, CDATA, comments, processing instructions): one pass into one buffer.
// libxml2's own saver costs several times more per byte through its many small writes,
// and a fill serialises every changed story.
class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    void Node(const xmlNode* n) {
        switch (n->type) {
        case XML_ELEMENT_NODE:
            Element(n);
            break;
        case XML_TEXT_NODE:
            Escaped(n->content, false);
            break;
        case XML_CDATA_SECTION_NODE:
            out_ += "<![CDATA[";
            Raw(n->content);
            out_ += "]]>";
            break;
        case XML_COMMENT_NODE:
            out_ += "<!--";
            Raw(n->content);
            out_ += "-->";
            break;
        case XML_PI_NODE:
            out_ += "<?";
            Raw(n->name);
            if (n->content && *n->content) {
                out_ += ' ';
                Raw(n->content);
            }
            out_ += "?>";
            break;
        case XML_ENTITY_REF_NODE:
            out_ += '&';
            Raw(n->name);
            out_ += ';';
            break;
        default:
            break;
        }
    }

private:
    void Raw(const xmlChar* s) {
        if (s)
            out_ += reinterpret_cast<const char*>(s);
    }
    void Name(const xmlNs* ns, const xmlChar* name) {
        if (ns && ns->prefix) {
            Raw(ns->prefix);
            out_ += ':';
        }
        Raw(name);
    }
    void Escaped(const xmlChar* s, bool attribute) {
        if (!s)
            return;
        const char* run = reinterpret_cast<const char*>(s);
        const char* p = run;
        for (;; ++p) {
            const char c = *p;
            const char* rep = nullptr;
            switch (c) {
            case '\0':
                out_.append(run, p - run);
                return;
            case '&':
                rep = "&amp;";
                break;
            case '<':
                rep = "&lt;";
                break;
            case '>':
                rep = "&gt;";
                break;
            case '\r':
                rep = "&#13;";
                break;
            case '"':
                rep = attribute ? "&quot;" : nullptr;
                break;
            case '\n':
                rep = attribute ? "&#10;" : nullptr;
                break;
            case '\t':
                rep = attribute ? "&#9;" : nullptr;
                break;
            default:
                break;
            }
            if (rep) {
                out_.append(run, p - run);
                out_ += rep;
                run = p + 1;
            }
        }
    }
    void Element(const xmlNode* n) {
        out_ += '<';
        Name(n->ns, n->name);
        for (const xmlNs* ns = n->nsDef; ns; ns = ns->next) {
            out_ += " xmlns";
            if (ns->prefix) {
                out_ += ':';
                Raw(ns->prefix);
            }
            out_ += "=\"";
            Escaped(ns->href, true);
            out_ += '"';
        }
        for (const xmlAttr* a = n->properties; a; a = a->next) {
            out_ += ' ';
            Name(a->ns, a->name);
            out_ += "=\"";
            for (const xmlNode* c = a->children; c; c = c->next)
                if (c->type == XML_TEXT_NODE)
                    Escaped(c->content, true);
            out_ += '"';
        }
        if (!n->children) {
            out_ += "/>";
            return;
        }
        out_ += '>';
        for (const xmlNode* c = n->children; c; c = c->next)
            Node(c);
        out_ += "</";
        Name(n->ns, n->name);
        out_ += '>';
    }

    std::string& out_;
};

} // namespace

QByteArray SerializeXml(_xmlDoc* doc) {
    std::string out;
    out.reserve(64 * 1024);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"";
    if (doc->standalone == 1)
        out += " standalone=\"yes\"";
    else if (doc->standalone == 0)
        out += " standalone=\"no\"";
    out += "?>\n";
    Writer writer(out);
    for (const xmlNode* n = doc->children; n; n = n->next)
        if (n->type != XML_DTD_NODE) {
            writer.Node(n);
            if (n->type != XML_ELEMENT_NODE)
                out += '\n';
        }
    return QByteArray(out.data(), qsizetype(out.size()));
}

} // namespace zorv::wordengine
