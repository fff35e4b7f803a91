// Template blocks in one story (the main text, a header or a footer):
//   [[#Name]] ... [[/Name]]  repeated once per item of the list Name;
//   [[?Name]] ... [[/Name]]  kept once when Name has a non-blank value or an item;
//   [[!Redact]]              removed (the caller has redacted the values);
//   [[Field]]                the current item's field first, then the outer scopes'.
// A block's shape follows its markers: each alone in its own paragraph (the paragraphs
// between repeat), the opening one first and the closing one last in a table row (the row
// repeats), or both in one paragraph (the runs between repeat). Markers may be split by
// formatting; unknown names and unmatched markers stay as they are. Values are inserted
// once and never read as markers again.
#pragma once

#include "TokenTree.h"

#include <QSet>
#include <QString>

struct _xmlNode;

namespace zorv::wordengine {

class CloneIds;
class Story;

// The names a template may use with `values`: flat tokens, lists and their fields.
QSet<QString> TemplateNames(const TokenRecord& values);

// Expands the blocks of `story`, whose tree container is `container` (w:body, w:hdr or
// w:ftr), and fills its markers. Returns whether the story held a marker it knew.
bool FillTemplateStory(Story& story, _xmlNode* container, const TokenRecord& values,
                       const QSet<QString>& names, CloneIds& ids);

} // namespace zorv::wordengine
