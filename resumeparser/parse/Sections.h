// The resume text as lines, cut into sections at their headings ("Experience",
// "Berufserfahrung", "FORMATION :", ...). Lines before the first heading form the "header".
#pragma once

#include "ResumeParserCore.h"
#include "WordLists.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zorv::rp {

struct Section {
    QString kind;    // "header", or a kind of headings.txt
    QString heading; // as written
    QStringList lines;
};

// The text's lines: line ends of every kind, no control characters, trimmed, no blank lines.
QStringList TextLines(const QString& content);

// The sections in text order; the first is always the header (possibly empty). The layout,
// when given, adds headings in unknown words set like the document's known ones ("other").
std::vector<Section> SplitSections(const QStringList& lines, const WordLists& lists,
                                   const DocumentLayout* layout = nullptr);

// The kind of heading the line is ("" for none); rest receives text after "Heading:".
QString HeadingKind(const QString& line, const WordLists& lists, QString* rest = nullptr);

// True when the line starts with a bullet sign.
bool IsBulletLine(const QString& line);
// The line without its bullet sign.
QString StripBullet(const QString& line);

// The pieces of a line that a layout separates: tabs, " | ", bullets used as separators,
// runs of three spaces or more.
QStringList LineChunks(const QString& line);

} // namespace zorv::rp
