// OPC part-name arithmetic and the relationship reader.
#include "PackageParts.h"

#include "XmlInput.h"

#include <QStringList>
#include <libxml/tree.h>

namespace zorv::input {

std::vector<Relationship> ReadRelationships(const _xmlDoc* rels, const QString& sourcePart) {
    std::vector<Relationship> out;
    const xmlNode* root = rels ? xmlDocGetRootElement(const_cast<xmlDoc*>(rels)) : nullptr;
    for (const xmlNode* n = root ? root->children : nullptr; n; n = n->next) {
        if (!IsElement(n, "Relationship"))
            continue;
        Relationship r;
        r.id = AttributeValue(n, "Id");
        r.type = AttributeValue(n, "Type");
        r.external = AttributeValue(n, "TargetMode").compare(u"External", Qt::CaseInsensitive) == 0;
        const QString target = AttributeValue(n, "Target");
        r.target = r.external ? target : ResolvePartTarget(sourcePart, target);
        out.push_back(std::move(r));
    }
    return out;
}

QString RelsNameOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString ResolvePartTarget(const QString& source, const QString& target) {
    if (target.isEmpty() || target.contains(u':') || target.contains(u'\\'))
        return {};
    QStringList parts;
    if (!target.startsWith(u'/')) {
        parts = source.split(u'/');
        parts.removeLast(); // the source part's own name
    }
    for (const QString& seg : target.split(u'/', Qt::SkipEmptyParts)) {
        if (seg == u".")
            continue;
        if (seg == u"..") {
            if (parts.isEmpty())
                return {};
            parts.removeLast();
            continue;
        }
        parts << seg;
    }
    return parts.join(u'/');
}

} // namespace zorv::input
