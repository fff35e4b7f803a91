// Private to the engine: template blocks in one Rich Text story, whose known markers are
// already single stand-in characters (MarkTable::Prepare, then the file read again so that
// each stand-in has bytes of its own). Paragraph blocks (each marker alone in its
// paragraph), table rows (\trowd ... \row, starting with the opening marker and ending with
// the closing one) and inline blocks (both markers in one paragraph) are expanded and every
// field filled, as splices of the file's bytes; a block whose content does not close its
// own groups stays as written.
#pragma once

#include "RtfStory.h"
#include "TemplateMarks.h"

#include <QByteArray>
#include <vector>

namespace zorv::wordengine {

void FillRtfBlocks(const QByteArray& source, const RtfStory& story, const MarkTable& marks,
                   const TokenRecord& values, std::vector<RtfSplice>& out);

} // namespace zorv::wordengine
