// Safe parsing and serialising of package parts with libxml2.
#include "SafeXml.h"

#include "WordEngine.h"
#include "ZorvError.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <mutex>

namespace zorv::wordengine {
namespace {

xmlParserInputPtr DenyExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

void InstallSafeDefaults() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(DenyExternalEntity);
    });
}

struct ParserCtxtDeleter {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};

struct BufferDeleter {
    void operator()(xmlBuffer* b) const { xmlBufferFree(b); }
};

} // namespace

void XmlDocDeleter::operator()(_xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

XmlDocPtr ParseXmlPart(const QByteArray& bytes, const QString& partName) {
    InstallSafeDefaults();
    std::unique_ptr<xmlParserCtxt, ParserCtxtDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt)
        throw ZorvError(EngBadXml, QStringLiteral("Out of memory while reading %1.").arg(partName));
    // NOERROR/NOWARNING: library code never prints; the error is read back below.
    const int options = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;
    XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), bytes.constData(), int(bytes.size()), nullptr,
                                    nullptr, options));
    if (!doc || !ctxt->wellFormed) {
        const xmlError* err = xmlCtxtGetLastError(ctxt.get());
        QString why = err && err->message ? QString::fromUtf8(err->message).trimmed()
                                          : QStringLiteral("not well-formed");
        throw ZorvError(EngBadXml, QStringLiteral("The document is damaged: the part %1 is not "
                                                  "valid XML (%2).")
                                       .arg(partName, why));
    }
    if (doc->intSubset || doc->extSubset)
        throw ZorvError(EngBadXml, QStringLiteral("The document is unsafe: the part %1 carries a "
                                                  "document type declaration.")
                                       .arg(partName));
    if (!xmlDocGetRootElement(doc.get()))
        throw ZorvError(
            EngBadXml,
            QStringLiteral("The document is damaged: the part %1 is empty.").arg(partName));
    return doc;
}

QByteArray SerializeXml(_xmlDoc* doc) {
    std::unique_ptr<xmlBuffer, BufferDeleter> buf(xmlBufferCreate());
    if (!buf)
        throw ZorvError(EngSaveFailed, QStringLiteral("Out of memory while saving the document."));
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buf.get(), "UTF-8", 0);
    if (!save)
        throw ZorvError(EngSaveFailed, QStringLiteral("Out of memory while saving the document."));
    xmlSaveDoc(save, doc);
    xmlSaveClose(save);
    return QByteArray(reinterpret_cast<const char*>(xmlBufferContent(buf.get())),
                      xmlBufferLength(buf.get()));
}

} // namespace zorv::wordengine
