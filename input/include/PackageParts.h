// Part names and relationships of an OOXML package (OPC), resolved one way for every reader.
#pragma once

#include <QString>
#include <vector>

struct _xmlDoc;

namespace zorv::input {

struct Relationship {
    QString id;
    QString type;
    QString target; // internal: a part name ("" when it climbs out of the package); else as written
    bool external = false;
};

// The relationships of a parsed .rels part that belongs to `sourcePart` ("" for the
// package's own "_rels/.rels"), in document order.
std::vector<Relationship> ReadRelationships(const _xmlDoc* rels, const QString& sourcePart);

// The name of the .rels part of `part`: "word/document.xml" -> "word/_rels/document.xml.rels",
// "" (the package itself) -> "_rels/.rels".
QString RelsNameOf(const QString& part);

// `target` of a relationship of part `source` as a part name; "" when it climbs out of the
// package or names something outside it (a scheme, a backslash).
QString ResolvePartTarget(const QString& source, const QString& target);

} // namespace zorv::input
