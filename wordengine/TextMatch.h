// Where a find text occurs in a paragraph's text, with Word's case and whole-word rules;
// shared by the engine's stories of every format.
#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace zorv::wordengine {

// Letters, digits and '_' make words.
bool IsWordChar(QChar c);

// The find text prepared once for many paragraphs.
struct TextNeedle {
    TextNeedle(const QString& find, bool matchCase, bool matchWholeWord);
    QString text;     // case-folded unless matchCase
    bool matchCase;   // compare exact code units
    bool wordBounded; // whole word asked for and the find text starts and ends a word
};

// Start positions of the non-overlapping occurrences of `needle` in `text` within [lo, hi),
// left to right. `allowed(start, end)` may refuse an occurrence (one that takes in an object);
// the search then goes on from the next character.
std::vector<int> FindOccurrences(const QString& text, const TextNeedle& needle, qsizetype lo,
                                 qsizetype hi,
                                 const std::function<bool(qsizetype, qsizetype)>& allowed = {});

} // namespace zorv::wordengine
