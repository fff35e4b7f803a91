// The token list as text, one token a line: name TAB value. Backslashes, tabs and line
// breaks inside names and values are written as \\, \t, \r and \n, so every line holds
// exactly one token. `qarn tokens` writes this format and `qarn fill --tokens` reads it.
#pragma once

#include <QString>
#include <QStringList>

namespace zorv {

QString EncodeTokenField(const QString& text);
QString EncodeTokenLines(const QStringList& names, const QStringList& values);

// Reads the lines back. Returns false with a message naming the line when one is malformed
// (no TAB, or an unknown escape); a final line break is optional, empty lines are skipped.
bool DecodeTokenLines(const QString& text, QStringList& names, QStringList& values,
                      QString* error = nullptr);

} // namespace zorv
