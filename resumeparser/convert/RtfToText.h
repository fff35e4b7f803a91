// RTF documents to text with our own reader: groups, control words, destinations (headers,
// footers, field results, shape text kept; font tables, pictures, field instructions and
// unknown \* destinations dropped), \uN with its \ucN fallbacks, \'hh bytes in the code
// page of \ansicpg or of the current font, table cells separated by tabs.
#pragma once

#include "ResumeParserCore.h"

#include <QByteArrayView>

namespace zorv::rp::convert {

ActionResult RtfToText(QByteArrayView bytes);

} // namespace zorv::rp::convert
