// Finding a text in a paragraph: memchr on the first byte, then a full compare.
#include "TextMatch.h"

#include <cstring>

namespace zorv::wordengine {
namespace {

// Finds `needle` in `hay` from `from`: memchr on the first byte of the first code unit,
// then a full compare; markers are rare, so this scans at memory speed.
qsizetype FastFind(const QChar* hay, qsizetype n, const QChar* needle, qsizetype m,
                   qsizetype from) {
    if (m == 0 || n - from < m)
        return -1;
    const auto* base = reinterpret_cast<const unsigned char*>(hay);
    const unsigned char first = reinterpret_cast<const unsigned char*>(needle)[0];
    const unsigned char* p = base + 2 * from;
    const unsigned char* end = base + 2 * (n - m) + 1;
    while (p < end) {
        const auto* q = static_cast<const unsigned char*>(std::memchr(p, first, size_t(end - p)));
        if (!q)
            return -1;
        const qsizetype off = q - base;
        if ((off & 1) == 0) {
            const qsizetype i = off / 2;
            if (hay[i] == needle[0] && std::memcmp(hay + i, needle, size_t(m) * 2) == 0)
                return i;
        }
        p = q + 1;
    }
    return -1;
}

} // namespace

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

TextNeedle::TextNeedle(const QString& find, bool matchCase_, bool matchWholeWord)
    : text(matchCase_ ? find : find.toCaseFolded()), matchCase(matchCase_),
      wordBounded(matchWholeWord && !find.isEmpty() && IsWordChar(find.front()) &&
                  IsWordChar(find.back())) {}

std::vector<int> FindOccurrences(const QString& text, const TextNeedle& needle, qsizetype lo,
                                 qsizetype hi,
                                 const std::function<bool(qsizetype, qsizetype)>& allowed) {
    std::vector<int> starts;
    const qsizetype m = needle.text.size();
    if (m == 0 || hi - lo < m)
        return starts;
    const QString folded = needle.matchCase ? QString() : text.toCaseFolded();
    const QString& hay = needle.matchCase ? text : folded;
    qsizetype at = lo;
    while ((at = FastFind(hay.constData(), hi, needle.text.constData(), m, at)) >= 0) {
        const qsizetype after = at + m;
        bool ok = !needle.wordBounded || ((at == 0 || !IsWordChar(hay.at(at - 1))) &&
                                          (after >= hay.size() || !IsWordChar(hay.at(after))));
        if (ok && allowed)
            ok = allowed(at, after);
        if (ok) {
            starts.push_back(int(at));
            at = after;
        } else {
            at += 1;
        }
    }
    return starts;
}

} // namespace zorv::wordengine
