#include "XmlDocument.h"

#include "XmlErrors.h"
#include "XmlInput.h"
#include "ZorvError.h"

#include <QFile>
#include <QFileInfo>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace zorv::xml {
namespace {

struct XPathContextFree {
    void operator()(xmlXPathContext* c) const { xmlXPathFreeContext(c); }
};
struct XPathCompFree {
    void operator()(xmlXPathCompExpr* c) const { xmlXPathFreeCompExpr(c); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject* o) const { xmlXPathFreeObject(o); }
};
struct XmlCharFree {
    void operator()(xmlChar* s) const { xmlFree(s); }
};

using input::XmlDocPtr;
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XPathObjectFree>;

QString FromXml(const xmlChar* s) {
    return s ? QString::fromUtf8(reinterpret_cast<const char*>(s)) : QString();
}

bool IsXmlSpace(xmlChar c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsWhiteSpaceOnly(const xmlChar* s) {
    if (!s)
        return true;
    for (; *s; ++s) {
        if (!IsXmlSpace(*s))
            return false;
    }
    return true;
}

// Shapes a freshly parsed tree into the node model map authors rely on, in one pass:
// - white space between elements (indentation) is dropped, and so is an element's whole
//   content when it is white space across lines (<HRXMLMap>, a line break, </HRXMLMap>);
//   white space on one line that is an element's whole content stays, so that
//   <Append> </Append> gives a space;
// - elements written without a prefix in the default namespace of the document element lose
//   that namespace, so that an unprefixed name in an expression matches them as well as
//   elements in no namespace.
void ShapeTree(xmlDoc* doc) {
    xmlNode* root = xmlDocGetRootElement(doc);
    if (!root)
        return;
    const xmlNs* defaultNs = xmlSearchNs(doc, root, nullptr);
    const xmlChar* defaultUri = defaultNs ? defaultNs->href : nullptr;

    xmlNode* n = root;
    while (n) {
        if (n->type == XML_TEXT_NODE && IsWhiteSpaceOnly(n->content) &&
            (n->prev || n->next || xmlStrchr(n->content, '\n'))) {
            xmlNode* next = input::NextInTree(n, root, false);
            xmlUnlinkNode(n);
            xmlFreeNode(n);
            n = next;
            continue;
        }
        if (n->type == XML_ELEMENT_NODE && defaultUri && n->ns && !n->ns->prefix &&
            xmlStrEqual(n->ns->href, defaultUri))
            n->ns = nullptr;
        // Entity references share their content with the entity; it is not ours to change.
        n = input::NextInTree(n, root, n->type == XML_ELEMENT_NODE);
    }
}

ParseError ReadError(const QString& path, xmlParserErrors code, const QString& reason) {
    return ParseError{reason, static_cast<std::int32_t>(code), path, 0};
}

// Reads the whole file, refusing folders, special files and anything past the size cap.
bool ReadCapped(const QString& path, QByteArray& bytes, ParseError& error) {
    const QFileInfo info(path);
    if (!info.exists()) {
        error = ReadError(path, XML_IO_ENOENT, QStringLiteral("The file does not exist."));
        return false;
    }
    if (info.isDir()) {
        error =
            ReadError(path, XML_IO_EISDIR, QStringLiteral("The path names a folder, not a file."));
        return false;
    }
    if (!info.isFile()) {
        error = ReadError(path, XML_IO_UNKNOWN,
                          QStringLiteral("The path does not name a regular file."));
        return false;
    }
    const QString tooLarge =
        QStringLiteral("The file is larger than %1 MiB, the limit for XML files.")
            .arg(Document::kMaxFileSize / (1024 * 1024));
    if (info.size() > Document::kMaxFileSize) {
        error = ReadError(path, XML_IO_EFBIG, tooLarge);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = ReadError(path, XML_IO_EACCES,
                          QStringLiteral("The file cannot be read: %1").arg(file.errorString()));
        return false;
    }
    // The size may have changed since it was looked at: the cap holds for what is read.
    // Read in pieces: a single read of the cap would allocate all of it up front.
    bytes.clear();
    bytes.reserve(info.size());
    char chunk[64 * 1024];
    qint64 got = 0;
    while ((got = file.read(chunk, sizeof chunk)) > 0) {
        if (bytes.size() + got > Document::kMaxFileSize) {
            error = ReadError(path, XML_IO_EFBIG, tooLarge);
            return false;
        }
        bytes.append(chunk, got);
    }
    if (got < 0) {
        error = ReadError(path, XML_IO_UNKNOWN,
                          QStringLiteral("The file cannot be read: %1").arg(file.errorString()));
        return false;
    }
    return true;
}

void IgnoreXPathError(void*, xmlError*) {}

[[noreturn]] void ThrowXPathError(const xmlXPathContext& ctx, const QString& expression) {
    const xmlError& e = ctx.lastError;
    const QString what = e.message ? input::OneLine(QString::fromUtf8(e.message))
                                   : QStringLiteral("The expression cannot be evaluated");
    const std::int32_t number =
        e.code != 0 ? e.code : static_cast<std::int32_t>(XML_XPATH_EXPR_ERROR);
    throw ZorvError(number, QStringLiteral("%1 in the expression \"%2\"").arg(what, expression));
}

} // namespace

struct Document::Impl {
    XmlDocPtr doc;
    ParseError error;
    // Made on the first selection; it must go before the document it points into.
    std::unique_ptr<xmlXPathContext, XPathContextFree> xpath;

    XPathObjectPtr Evaluate(const QString& expression, xmlNode* context = nullptr);
};

XPathObjectPtr Document::Impl::Evaluate(const QString& expression, xmlNode* context) {
    if (!doc)
        throw ZorvError(ErrObjectNotSet,
                        QStringLiteral("Object variable not set: there is no document to select "
                                       "\"%1\" from.")
                            .arg(expression));
    input::XmlErrorScope scope;
    if (!xpath) {
        xpath.reset(xmlXPathNewContext(doc.get()));
        if (!xpath)
            throw ZorvError(XML_ERR_NO_MEMORY, QStringLiteral("Out of memory."));
        xpath->error = IgnoreXPathError; // the failure is read back from lastError
    }
    xmlResetError(&xpath->lastError);
    xpath->node = context ? context : reinterpret_cast<xmlNode*>(doc.get());

    const QByteArray utf8 = expression.toUtf8();
    std::unique_ptr<xmlXPathCompExpr, XPathCompFree> compiled(
        xmlXPathCtxtCompile(xpath.get(), reinterpret_cast<const xmlChar*>(utf8.constData())));
    if (!compiled)
        ThrowXPathError(*xpath, expression);
    XPathObjectPtr result(xmlXPathCompiledEval(compiled.get(), xpath.get()));
    if (!result || xpath->lastError.code != XML_ERR_OK)
        ThrowXPathError(*xpath, expression);
    if (result->type != XPATH_NODESET)
        throw ZorvError(
            ErrTypeMismatch,
            QStringLiteral("The expression \"%1\" does not select nodes.").arg(expression));
    return result;
}

Document::Document() : impl_(std::make_unique<Impl>()) {}
Document::~Document() = default;

bool Document::Load(const QString& path) {
    impl_->xpath.reset();
    impl_->doc.reset();
    impl_->error = ParseError{};

    QByteArray bytes;
    if (!ReadCapped(path, bytes, impl_->error))
        return false;

    input::XmlProblem problem;
    XmlDocPtr doc = input::ReadXml(bytes, {path, false}, &problem);
    if (!doc) {
        impl_->error = ParseError{problem.message, problem.code, path, problem.line};
        return false;
    }
    ShapeTree(doc.get());
    impl_->doc = std::move(doc);
    return true;
}

const ParseError& Document::LastParseError() const {
    return impl_->error;
}

Node Document::DocumentElement() const {
    return Node(impl_->doc ? xmlDocGetRootElement(impl_->doc.get()) : nullptr);
}

namespace {

// Namespace nodes in a result are copies that die with it; no Node may point at one.
xmlNode* Checked(xmlNode* n, const QString& expression) {
    if (n->type == XML_NAMESPACE_DECL)
        throw ZorvError(
            ErrTypeMismatch,
            QStringLiteral("The expression \"%1\" selects a namespace node.").arg(expression));
    return n;
}

} // namespace

std::vector<Node> Document::SelectNodes(const QString& expression) const {
    return SelectNodes(expression, Node());
}

Node Document::SelectSingleNode(const QString& expression) const {
    return SelectSingleNode(expression, Node());
}

std::vector<Node> Document::SelectNodes(const QString& expression, const Node& context) const {
    const XPathObjectPtr result =
        impl_->Evaluate(expression, static_cast<xmlNode*>(context.handle_));
    std::vector<Node> nodes;
    xmlNodeSet* set = result->nodesetval;
    if (!set || set->nodeNr == 0)
        return nodes;
    xmlXPathNodeSetSort(set);
    nodes.reserve(static_cast<std::size_t>(set->nodeNr));
    for (int i = 0; i < set->nodeNr; ++i)
        nodes.push_back(Node(Checked(set->nodeTab[i], expression)));
    return nodes;
}

Node Document::SelectSingleNode(const QString& expression, const Node& context) const {
    const XPathObjectPtr result =
        impl_->Evaluate(expression, static_cast<xmlNode*>(context.handle_));
    const xmlNodeSet* set = result->nodesetval;
    if (!set || set->nodeNr == 0)
        return Node();
    // The earliest in document order, without sorting the whole set.
    xmlNode* first = set->nodeTab[0];
    for (int i = 1; i < set->nodeNr; ++i) {
        if (xmlXPathCmpNodes(first, set->nodeTab[i]) < 0)
            first = set->nodeTab[i];
    }
    return Node(Checked(first, expression));
}

QString Node::NodeName() const {
    const auto* n = static_cast<const xmlNode*>(handle_);
    if (!n)
        return QString();
    switch (n->type) {
    case XML_TEXT_NODE:
        return QStringLiteral("#text");
    case XML_CDATA_SECTION_NODE:
        return QStringLiteral("#cdata-section");
    case XML_COMMENT_NODE:
        return QStringLiteral("#comment");
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return QStringLiteral("#document");
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        if (n->ns && n->ns->prefix)
            return FromXml(n->ns->prefix) + QLatin1Char(':') + FromXml(n->name);
        return FromXml(n->name);
    default:
        return FromXml(n->name);
    }
}

QString Node::Text() const {
    auto* n = static_cast<xmlNode*>(handle_);
    if (!n)
        return QString();
    std::unique_ptr<xmlChar, XmlCharFree> content(xmlNodeGetContent(n));
    return FromXml(content.get());
}

std::optional<QString> Node::Attribute(const QString& name) const {
    auto* n = static_cast<xmlNode*>(handle_);
    if (!n || n->type != XML_ELEMENT_NODE)
        return std::nullopt;
    const QByteArray utf8 = name.toUtf8();
    std::unique_ptr<xmlChar, XmlCharFree> value(
        xmlGetNoNsProp(n, reinterpret_cast<const xmlChar*>(utf8.constData())));
    if (!value)
        return std::nullopt;
    return FromXml(value.get());
}

std::vector<Node> Node::ChildNodes() const {
    std::vector<Node> children;
    const auto* n = static_cast<const xmlNode*>(handle_);
    // Attributes and entity references hold no children of their own in this model.
    if (!n || (n->type != XML_ELEMENT_NODE && n->type != XML_DOCUMENT_NODE))
        return children;
    for (xmlNode* c = n->children; c; c = c->next)
        children.push_back(Node(c));
    return children;
}

} // namespace zorv::xml
