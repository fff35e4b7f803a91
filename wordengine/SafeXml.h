// Package parts in and out of libxml2: parsed through the input layer's one policy (any
// document type declaration refused, as the package format wants), written back directly.
#pragma once

#include "XmlInput.h"

#include <QByteArray>
#include <QString>

namespace zorv::wordengine {

using input::XmlDocPtr;

// Parses one part; throws ZorvError(EngBadXml) naming the part when it is not sound XML.
XmlDocPtr ParseXmlPart(const QByteArray& bytes, const QString& partName);

// The document as bytes with its XML declaration, in UTF-8.
QByteArray SerializeXml(_xmlDoc* doc);

} // namespace zorv::wordengine
