// The one filter for text on its way into XML.
#pragma once

#include <QString>

namespace zorv::input {

// The text without the characters XML 1.0 cannot hold: controls other than TAB, LF and CR,
// U+FFFE, U+FFFF, and surrogates that are not part of a pair. Shared, not copied, when
// there is nothing to drop.
QString XmlSafeText(const QString& text);

} // namespace zorv::input
