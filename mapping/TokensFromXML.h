// Token extraction: the map file names, for every template token, alternative recipes of
// XPath expressions and literal texts; evaluated on the HR-XML file they give the token
// values that the template filling puts in place of the [[name]] markers.
#pragma once

#include "TokenTree.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace zorv {

// The map file the program uses: "ZorvQarn.xml" in the executable's folder.
QString MapFilePath();

// Fills the token arrays from the HR-XML file through the map at MapFilePath(). Entry k of
// the one-based arrays is list[k-1]; they are resized to NTokens as tokens are stored.
// A map that does not load is reported ("Error parsing Map XML file. ") and leaves NTokens 0.
// Errors while the map is walked (a bad expression, no HR-XML document to evaluate an
// expression on) are thrown as ZorvError; the tokens stored before stay in the arrays.
void GetTokensFromXML(const QString& XMLFileName, std::int32_t& NTokens, QStringList& TokenNames,
                      QStringList& TokenValues);

// The same with another map file.
void GetTokensFromXMLWithMap(const QString& XMLFileName, const QString& MapFileName,
                             std::int32_t& NTokens, QStringList& TokenNames,
                             QStringList& TokenValues);

// The list tokens of the map (tokens with an Items or Lines child; the flat arrays above
// leave them out), in map order, evaluated on the HR-XML file. Quiet: a map or HR-XML file
// that does not load gives no lists (the flat extraction reports it). A bad expression is
// thrown as ZorvError.
std::vector<TokenList> GetTokenListsFromXML(const QString& XMLFileName,
                                            const QString& MapFileName = MapFilePath());

} // namespace zorv
