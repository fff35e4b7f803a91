// Loading of the HR-XML file the parser wrote, for the token extraction.
#pragma once

#include "XmlDocument.h"

#include <QString>
#include <memory>

namespace zorv {

// The loaded document, or null. A file that is not there (or is not a regular file) gives
// null silently; a file that does not parse, or whose load throws, gives null after the
// "Error parsing XML file. " message. Nothing is thrown.
std::unique_ptr<xml::Document> GetXMLDocObject(const QString& XMLFileName);

// The five lines of a parse-error message: title, File, Number, Description, Line.
QString ParseErrorMessage(const QString& title, const xml::ParseError& error);

} // namespace zorv
