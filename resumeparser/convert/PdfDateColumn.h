// A narrow column of dates set close beside the entries' text (no gutter wide enough for a
// column of its own), its dates often wrapped over two to four short lines: each date block
// is joined into one piece and set, cut off by a tab, at the head of its entry's first line.
#pragma once

#include "PdfLayout.h"

#include <vector>

namespace zorv::rp::convert {

// rows: the page's raw lines in order, each sorted left to right. Rows of a date column
// found on the page are rewritten in place; other pages are left as they are.
void JoinDateColumn(std::vector<std::vector<PdfWord>>* rows, double pageWidth);

} // namespace zorv::rp::convert
