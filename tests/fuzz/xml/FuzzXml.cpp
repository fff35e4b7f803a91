// Fuzz target for the XML layer: the same bytes as a file (entities allowed, under the cap),
// as a package part, and as an HTML page; what parses has its text read in full (every
// entity expanded) and its relationships resolved.
#include "PackageParts.h"
#include "XmlInput.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <libxml/tree.h>

namespace {

void ReadAllText(const zorv::input::XmlDocPtr& doc) {
    if (!doc)
        return;
    xmlChar* text = xmlNodeGetContent(xmlDocGetRootElement(doc.get()));
    xmlFree(text);
    zorv::input::ReadRelationships(doc.get(), QStringLiteral("word/document.xml"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const bool packagePart : {false, true}) {
        zorv::input::XmlProblem problem;
        const auto doc = zorv::input::ReadXml(bytes, {QString(), packagePart}, &problem);
        if (!doc && problem.message.isEmpty())
            __builtin_trap(); // every failure must say why
        ReadAllText(doc);
    }
    ReadAllText(zorv::input::ReadHtml(bytes, {}));
    return 0;
}
