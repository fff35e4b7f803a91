// WordPerfect documents to text over libwpd: headers first, then the body, then footers;
// table cells separated by tabs, text boxes and footnotes where they are anchored.
#pragma once

#include "ResumeParserCore.h"

#include <QByteArray>

namespace zorv::rp::convert {

ActionResult WpdToText(const QByteArray& bytes);

} // namespace zorv::rp::convert
