// Private to mapping/: one recipe of the map (an XPaths element) evaluated on the HR-XML
// document, from the document or from a list item's node, and the value shaping that flat
// tokens and list fields share.
#pragma once

#include "XmlDocument.h"

#include <QString>
#include <QStringList>

namespace zorv::mapping {

// An earlier alternative has given the token its value when this is false.
bool ValueStillBlank(const QString& value);

// Line breaks become spaces so that a value stays on its line in the template; a lone CR
// and tabs stay, and the value is not trimmed.
QString Normalised(QString value);

// Appends what one recipe gives: its XPath results and Append texts in order. Relative
// expressions start at `context` (a null node: the document). An XPath with `join` takes
// every node it selects, and one with format="date" formats its text as a date.
void AppendRecipe(const xml::Node& xpaths, const xml::Document* hrxml, const xml::Node& context,
                  QString& value);

// The first non-blank value of the alternatives (XPaths children) of `token`, normalised.
QString FirstRecipeValue(const xml::Node& token, const xml::Document* hrxml,
                         const xml::Node& context);

// "2021-03" as "March 2021" (with `months`, twelve names), "2015" as it is, a present date
// ("Present", "current", "now") as `present`, "notKnown" as nothing, anything else trimmed.
QString FormattedDate(const QString& text, const QStringList& months, const QString& present);

// The non-blank lines of a text, without a leading bullet ("-", "•", "*", "–", "▪").
QStringList BulletLines(const QString& text);

} // namespace zorv::mapping
