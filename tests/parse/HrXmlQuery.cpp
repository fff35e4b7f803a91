// libxml2 behind the HR-XML test helpers: documents, XPath and the cached schema.
#include "HrXmlQuery.h"

#include "XmlInput.h"

#include <QFileInfo>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <mutex>

namespace zorv::test {

namespace {

struct XPathContextFree {
    void operator()(xmlXPathContext* c) const { xmlXPathFreeContext(c); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject* o) const { xmlXPathFreeObject(o); }
};
struct SchemaParserFree {
    void operator()(xmlSchemaParserCtxt* c) const { xmlSchemaFreeParserCtxt(c); }
};
struct SchemaFree {
    void operator()(xmlSchema* s) const { xmlSchemaFree(s); }
};
struct ValidCtxtFree {
    void operator()(xmlSchemaValidCtxt* c) const { xmlSchemaFreeValidCtxt(c); }
};
struct XmlCharFree {
    void operator()(xmlChar* c) const { xmlFree(c); }
};

using input::XmlDocPtr;

// Through the input layer, as every document of ours is read.
XmlDocPtr ReadDoc(const QString& xml) {
    return input::ReadXml(xml.toUtf8(), input::XmlReadOptions{QStringLiteral("hrxml.xml")});
}

QString NodeText(xmlNode* node) {
    std::unique_ptr<xmlChar, XmlCharFree> text(xmlNodeGetContent(node));
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text.get())) : QString();
}

void CollectErrors(void* context, const xmlError* error) {
    auto* out = static_cast<QString*>(context);
    if (error && error->message)
        *out +=
            QStringLiteral("line %1: %2").arg(error->line).arg(QString::fromUtf8(error->message));
}

} // namespace

struct HrXmlDoc::Impl {
    XmlDocPtr doc;
    std::unique_ptr<xmlXPathContext, XPathContextFree> ctx;

    QStringList Eval(const QString& xpath, xmlNode* context) const {
        QStringList out;
        if (!ctx)
            return out;
        ctx->node = context ? context : xmlDocGetRootElement(doc.get());
        const QByteArray expr = xpath.toUtf8();
        std::unique_ptr<xmlXPathObject, XPathObjectFree> result(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expr.constData()), ctx.get()));
        if (!result || !result->nodesetval)
            return out;
        for (int i = 0; i < result->nodesetval->nodeNr; ++i)
            out << NodeText(result->nodesetval->nodeTab[i]);
        return out;
    }
};

HrXmlDoc::HrXmlDoc(const QString& xml) : impl_(std::make_unique<Impl>()) {
    impl_->doc = ReadDoc(xml);
    if (!impl_->doc)
        return;
    impl_->ctx.reset(xmlXPathNewContext(impl_->doc.get()));
    xmlXPathRegisterNs(impl_->ctx.get(), BAD_CAST "h", BAD_CAST "http://ns.hr-xml.org/2007-04-15");
}

HrXmlDoc::~HrXmlDoc() = default;

bool HrXmlDoc::IsWellFormed() const {
    return impl_->doc != nullptr;
}

QStringList HrXmlDoc::Values(const QString& xpath) const {
    return impl_->Eval(xpath, nullptr);
}

QStringList HrXmlDoc::ValuesPer(const QString& contextXpath, const QString& xpath) const {
    QStringList out;
    if (!impl_->ctx)
        return out;
    impl_->ctx->node = xmlDocGetRootElement(impl_->doc.get());
    const QByteArray expr = contextXpath.toUtf8();
    std::unique_ptr<xmlXPathObject, XPathObjectFree> contexts(xmlXPathEvalExpression(
        reinterpret_cast<const xmlChar*>(expr.constData()), impl_->ctx.get()));
    if (!contexts || !contexts->nodesetval)
        return out;
    for (int i = 0; i < contexts->nodesetval->nodeNr; ++i) {
        const QStringList values = impl_->Eval(xpath, contexts->nodesetval->nodeTab[i]);
        out << (values.isEmpty() ? QString() : values.front());
    }
    return out;
}

QString HrXmlSchemaPath() {
    const QString path = QStringLiteral(ZORV_HRXML_SCHEMA);
    return QFileInfo::exists(path) ? path : QString();
}

namespace {

struct Schema {
    std::unique_ptr<xmlSchema, SchemaFree> schema;
    QString problem; // why there is none
};

Schema LoadSchema() {
    Schema loaded;
    const QString path = HrXmlSchemaPath();
    if (path.isEmpty())
        return loaded;
    const QByteArray file = path.toUtf8();
    std::unique_ptr<xmlSchemaParserCtxt, SchemaParserFree> parser(
        xmlSchemaNewParserCtxt(file.constData()));
    if (!parser)
        loaded.problem = QStringLiteral("the schema cannot be read");
    else if (loaded.schema.reset(xmlSchemaParse(parser.get())); !loaded.schema)
        loaded.problem = QStringLiteral("the schema does not parse");
    return loaded;
}

// The schema and the files it includes are read before main: the input layer's deny-all
// entity loader, installed by the first document any test reads, would refuse them.
const Schema kSchema = LoadSchema();

} // namespace

QString HrXmlSchemaErrors(const QString& xml) {
    if (!kSchema.schema)
        return kSchema.problem.isEmpty() ? QStringLiteral("the schema is missing")
                                         : kSchema.problem;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const XmlDocPtr doc = ReadDoc(xml);
    if (!doc)
        return QStringLiteral("not well-formed XML");
    std::unique_ptr<xmlSchemaValidCtxt, ValidCtxtFree> valid(
        xmlSchemaNewValidCtxt(kSchema.schema.get()));
    QString errors;
    xmlSchemaSetValidStructuredErrors(
        valid.get(), reinterpret_cast<xmlStructuredErrorFunc>(CollectErrors), &errors);
    const int rc = xmlSchemaValidateDoc(valid.get(), doc.get());
    if (rc != 0 && errors.isEmpty())
        errors = QStringLiteral("invalid (code %1)").arg(rc);
    return errors;
}

} // namespace zorv::test
