// Dropping what XML 1.0 cannot hold.
#include "XmlText.h"

namespace zorv::input {
namespace {

bool IsAllowedControl(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\r';
}

// True for what may need dropping; a surrogate is checked with its neighbour afterwards.
bool NeedsCleaning(char16_t c) {
    return (c < 0x20 && !IsAllowedControl(c)) || QChar::isSurrogate(c) || c >= 0xFFFE;
}

} // namespace

QString XmlSafeText(const QString& text) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* end = p + text.size();
    while (p != end && !NeedsCleaning(*p))
        ++p;
    if (p == end)
        return text; // the common case
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                out.append(text.at(i)).append(text.at(i + 1));
                ++i;
            }
            continue;
        }
        if (!NeedsCleaning(c))
            out.append(QChar(c));
    }
    return out;
}

} // namespace zorv::input
