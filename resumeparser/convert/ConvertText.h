// Helpers every converter shares: results, failure messages and the final tidy-up of text.
#pragma once

#include "ResumeFile.h"
#include "ResumeParserCore.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zorv::rp::convert {

// Largest resume file accepted, in bytes.
using zorv::kMaxResumeBytes;

// Deepest element nesting the converters walk; deeper documents are refused.
inline constexpr int kMaxXmlDepth = 400;

ActionResult Failed(const QString& message);
// A success when the tidied text holds something, otherwise a "no text" failure.
ActionResult Succeeded(const QString& rawText, const QString& noTextMessage);
// The same, with the text's layout on a success.
ActionResult Succeeded(const QString& rawText, const QString& noTextMessage,
                       std::shared_ptr<const DocumentLayout> layout);

// Appends one table row. A row of short cells (two lines at most each) becomes one line of
// tab-separated cells; a row with a longer cell is a layout table (a sidebar beside the
// main column), whose cells are read one after the other, line by line. A date or label
// cell before a long last cell goes on that cell's first line.
void AppendTableRow(std::vector<QStringList> cells, QStringList* out);

// Line ends to "\n", control and format characters removed, no-break spaces to spaces,
// spaces trimmed at both ends of each line (trailing tabs too), at most one blank line
// in a row, none at either end.
QString TidyText(const QString& text);

} // namespace zorv::rp::convert
