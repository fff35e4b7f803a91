// Private to the engine: the markers of a template story turned into single characters.
// Each distinct known marker ("[[#Positions]]", "[[Title]]"...) is replaced, through the
// story's find and replace (so markers split by formatting are found), by one private-use
// character that the story does not hold; block markers then get runs of their own. The
// expansion reads the tree through these characters.
#pragma once

#include "EditableDocument.h"

#include <QSet>
#include <QString>
#include <map>
#include <vector>

struct _xmlNode;

namespace zorv::wordengine {

enum class MarkKind { Field, Repeat, Keep, Close, Redact };

struct Mark {
    MarkKind kind;
    QString name;
    QString text; // the marker as the template wrote it
};

bool IsOpening(const Mark& m);

// The records a marker is looked up in, the outermost first: the tokens, then the items
// of the enclosing blocks.
using Scope = std::vector<const TokenRecord*>;
const QString* FindField(const QString& name, const Scope& scope);

struct Copies {
    bool known = false;
    // One entry per copy: the item that opens a scope, or nullptr to keep the scope.
    std::vector<const TokenRecord*> items;
};
// How often the block that `m` opens is put in, whatever its shape.
Copies CopiesOf(const Mark& m, const Scope& scope);

class MarkTable {
public:
    // Replaces the known markers of the story; false when it holds none. A tree story
    // still needs its Sync.
    bool Prepare(EditableStory& story, const QSet<QString>& names);
    // Puts every block marker below `container` in a run of its own.
    void IsolateBlockMarks(_xmlNode* container) const;

    // The mark a character stands for, or nullptr.
    const Mark* Of(QChar c) const;
    // The block mark that is the whole (trimmed) text of `text`, or nullptr.
    const Mark* SoleBlockMark(const QString& text) const;
    // The opening mark of the block that `text` (a table row's) is, trimmed: it starts with
    // the opening marker and ends with its closing one; or nullptr.
    const Mark* Enclosing(const QString& text) const;

private:
    std::map<char16_t, Mark> marks_;
};

// The text elements (w:t) of a paragraph's runs, as the story reads them: through
// hyperlinks, content controls and the like, not into text boxes or deleted text.
void InlineTexts(_xmlNode* parent, std::vector<_xmlNode*>& out);
// The paragraphs of a block container, tables and content controls included.
void BlockParagraphs(_xmlNode* container, std::vector<_xmlNode*>& out);
// The concatenated text of InlineTexts of every paragraph below `node` (itself a p, tr...).
QString TextBelow(_xmlNode* node);
// The element children of a node.
std::vector<_xmlNode*> ElementChildren(_xmlNode* parent);
// A deep copy of `node` linked just before `before`.
_xmlNode* CopyBefore(_xmlNode* node, _xmlNode* before);

} // namespace zorv::wordengine
