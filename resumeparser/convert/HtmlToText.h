// HTML pages to text: scripts, styles and the head dropped, block elements as lines,
// table cells separated by tabs.
#pragma once

#include "ResumeParserCore.h"

#include <QByteArrayView>

namespace zorv::rp::convert {

ActionResult HtmlToText(QByteArrayView bytes);

} // namespace zorv::rp::convert
