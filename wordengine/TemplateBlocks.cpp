#include "TemplateBlocks.h"

#include "CloneIds.h"
#include "RunXml.h"
#include "Story.h"
#include "TemplateMarks.h"

#include <libxml/tree.h>

namespace zorv::wordengine {
namespace {

constexpr size_t kNoMatch = size_t(-1);

// A paragraph that holds a section break keeps it: only its content goes.
void RemoveBlock(xmlNode* p) {
    xmlNode* pPr = Child(p, "pPr");
    if (!pPr || !Child(pPr, "sectPr")) {
        RemoveNode(p);
        return;
    }
    for (xmlNode* c : ElementChildren(p))
        if (c != pPr)
            RemoveNode(c);
}

// A cell ends with a paragraph; a story holds at least one.
void EnsureParagraph(xmlNode* container) {
    xmlNode* last = nullptr;
    bool hasParagraph = false;
    for (xmlNode* c = container->children; c; c = c->next)
        if (IsW(c) && (Is(c, "p") || Is(c, "tbl") || Is(c, "sdt"))) {
            last = c;
            hasParagraph = hasParagraph || Is(c, "p");
        }
    const bool cell = Is(container, "tc");
    if ((cell && last && Is(last, "p")) || (!cell && hasParagraph))
        return;
    xmlNode* p = NewWElement(container, "p");
    xmlNode* sect = Child(container, "sectPr");
    sect ? xmlAddPrevSibling(sect, p) : xmlAddChild(container, p);
}

class Expander {
public:
    Expander(const MarkTable& marks, CloneIds& ids) : marks_(marks), ids_(ids) {}

    void Blocks(const std::vector<xmlNode*>& nodes, Scope& scope);

private:
    const Mark* SoleMark(xmlNode* node) const { return marks_.SoleBlockMark(TextBelow(node)); }
    const Mark* RunMark(xmlNode* run) const;
    const Mark* RowMark(xmlNode* tr) const;
    size_t Matching(const std::vector<xmlNode*>& nodes, size_t open, bool runs) const;
    template <class ExpandCopies>
    void Repeat(const std::vector<xmlNode*>& nodes, size_t open, size_t close, const Copies& copies,
                Scope& scope, ExpandCopies&& expand);
    void Inline(const std::vector<xmlNode*>& nodes, Scope& scope);
    void Table(xmlNode* tbl, Scope& scope);
    void RepeatRow(xmlNode* tr, const Mark& m, const Copies& copies, Scope& scope);
    void Cell(xmlNode* tc, Scope& scope) {
        Blocks(ElementChildren(tc), scope);
        EnsureParagraph(tc);
    }
    void FillText(xmlNode* t, const Scope& scope);

    const MarkTable& marks_;
    CloneIds& ids_;
};

const Mark* Expander::RunMark(xmlNode* run) const {
    xmlNode* t = Child(run, "t");
    if (!t || t->next || TextOf(t).size() != 1)
        return nullptr;
    return marks_.SoleBlockMark(TextOf(t));
}

// The closing marker that matches the opening one at `open`, among siblings that are
// marker paragraphs (or marker runs), nested blocks of the same name counted.
size_t Expander::Matching(const std::vector<xmlNode*>& nodes, size_t open, bool runs) const {
    const QString& name = (runs ? RunMark(nodes[open]) : SoleMark(nodes[open]))->name;
    int depth = 0;
    for (size_t k = open + 1; k < nodes.size(); ++k) {
        if (!IsW(nodes[k]) || !Is(nodes[k], runs ? "r" : "p"))
            continue;
        const Mark* m = runs ? RunMark(nodes[k]) : SoleMark(nodes[k]);
        if (!m || m->name != name)
            continue;
        if (IsOpening(*m))
            ++depth;
        else if (m->kind == MarkKind::Close && depth-- == 0)
            return k;
    }
    return kNoMatch;
}

// Copies the siblings between the two markers once per copy (each copy expanded in its
// item's scope), then removes the originals and the markers.
template <class ExpandCopies>
void Expander::Repeat(const std::vector<xmlNode*>& nodes, size_t open, size_t close,
                      const Copies& copies, Scope& scope, ExpandCopies&& expand) {
    const std::vector<xmlNode*> inner(nodes.begin() + std::ptrdiff_t(open) + 1,
                                      nodes.begin() + std::ptrdiff_t(close));
    bool first = true;
    for (const TokenRecord* item : copies.items) {
        std::vector<xmlNode*> made;
        for (xmlNode* n : inner) {
            made.push_back(CopyBefore(n, nodes[close]));
            if (!first) // the first copy takes the place of the original, ids and all
                ids_.Renew(made.back());
        }
        first = false;
        if (item)
            scope.push_back(item);
        expand(made);
        if (item)
            scope.pop_back();
    }
    for (xmlNode* n : inner)
        RemoveNode(n);
}

void Expander::Blocks(const std::vector<xmlNode*>& nodes, Scope& scope) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        xmlNode* n = nodes[i];
        if (!IsW(n))
            continue;
        if (Is(n, "p")) {
            const Mark* m = SoleMark(n);
            if (m && m->kind == MarkKind::Redact) {
                RemoveBlock(n);
                continue;
            }
            const Copies copies = m && IsOpening(*m) ? CopiesOf(*m, scope) : Copies{};
            const size_t close = copies.known ? Matching(nodes, i, false) : kNoMatch;
            if (close != kNoMatch) {
                Repeat(nodes, i, close, copies, scope,
                       [&](const std::vector<xmlNode*>& made) { Blocks(made, scope); });
                RemoveBlock(n);
                RemoveBlock(nodes[close]);
                i = close;
                continue;
            }
            Inline(ElementChildren(n), scope);
        } else if (Is(n, "tbl")) {
            Table(n, scope);
        } else if (Is(n, "sdt")) {
            if (xmlNode* content = Child(n, "sdtContent"))
                Blocks(ElementChildren(content), scope);
        } else if (Is(n, "customXml")) {
            Blocks(ElementChildren(n), scope);
        }
    }
}

void Expander::Inline(const std::vector<xmlNode*>& nodes, Scope& scope) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        xmlNode* n = nodes[i];
        if (!IsW(n))
            continue;
        if (!Is(n, "r")) {
            if (Is(n, "sdt")) {
                if (xmlNode* content = Child(n, "sdtContent"))
                    Inline(ElementChildren(content), scope);
            } else if (!Is(n, "del") && !Is(n, "moveFrom") && !Is(n, "pPr")) {
                Inline(ElementChildren(n), scope);
            }
            continue;
        }
        const Mark* m = RunMark(n);
        if (!m) {
            for (xmlNode* t : ElementChildren(n))
                if (IsW(t) && Is(t, "t"))
                    FillText(t, scope);
            continue;
        }
        const Copies copies = IsOpening(*m) ? CopiesOf(*m, scope) : Copies{};
        const size_t close = copies.known ? Matching(nodes, i, true) : kNoMatch;
        if (close != kNoMatch) {
            Repeat(nodes, i, close, copies, scope,
                   [&](const std::vector<xmlNode*>& made) { Inline(made, scope); });
            RemoveNode(n);
            RemoveNode(nodes[close]);
            i = close;
        } else if (m->kind == MarkKind::Redact) {
            RemoveNode(n);
        } else { // unknown here or unmatched: the marker stays as written
            SetElementText(Child(n, "t"), m->text);
        }
    }
}

const Mark* Expander::RowMark(xmlNode* tr) const {
    return marks_.Enclosing(TextBelow(tr));
}

void Expander::Table(xmlNode* tbl, Scope& scope) {
    for (xmlNode* row : ElementChildren(tbl)) {
        if (!IsW(row))
            continue;
        if (Is(row, "tr")) {
            const Mark* m = RowMark(row);
            const Copies copies = m ? CopiesOf(*m, scope) : Copies{};
            if (copies.known) {
                RepeatRow(row, *m, copies, scope);
                continue;
            }
            for (xmlNode* tc : ElementChildren(row))
                if (IsW(tc) && Is(tc, "tc"))
                    Cell(tc, scope);
        } else if (Is(row, "sdt")) {
            if (xmlNode* content = Child(row, "sdtContent"))
                Table(content, scope);
        } else if (Is(row, "customXml")) {
            Table(row, scope);
        }
    }
    if (Is(tbl, "tbl") && !Child(tbl, "tr") && tbl->parent) {
        xmlNode* parent = tbl->parent;
        RemoveNode(tbl); // a table without rows is not a table
        if (IsW(parent) && Is(parent, "tc"))
            EnsureParagraph(parent);
    }
}

// Each copy of the row loses the block's two markers (and the paragraphs that held only
// them, where the cell keeps another).
void Expander::RepeatRow(xmlNode* tr, const Mark& m, const Copies& copies, Scope& scope) {
    bool first = true;
    for (const TokenRecord* item : copies.items) {
        xmlNode* copy = CopyBefore(tr, tr);
        if (!first)
            ids_.Renew(copy);
        first = false;
        std::vector<xmlNode*> paragraphs;
        BlockParagraphs(copy, paragraphs);
        std::vector<xmlNode*> texts;
        for (xmlNode* p : paragraphs)
            InlineTexts(p, texts);
        xmlNode* openRun = nullptr;
        xmlNode* closeRun = nullptr;
        for (xmlNode* t : texts) {
            const Mark* mark = RunMark(t->parent);
            if (!mark || mark->name != m.name)
                continue;
            if (!openRun && IsOpening(*mark))
                openRun = t->parent;
            else if (mark->kind == MarkKind::Close)
                closeRun = t->parent;
        }
        std::vector<xmlNode*> ends;
        for (xmlNode* run : {openRun, closeRun})
            if (run)
                ends.push_back(run);
        for (xmlNode* run : ends) {
            xmlNode* p = run->parent;
            RemoveNode(run);
            if (IsW(p) && Is(p, "p") && TextBelow(p).trimmed().isEmpty() && !Child(p, "r") &&
                p->parent && ElementChildren(p->parent).size() > 2)
                RemoveBlock(p);
        }
        if (item)
            scope.push_back(item);
        for (xmlNode* tc : ElementChildren(copy))
            if (IsW(tc) && Is(tc, "tc"))
                Cell(tc, scope);
        if (item)
            scope.pop_back();
    }
    RemoveNode(tr);
}

// Puts the values of the field marks in `t` in place: text stays in text elements, tabs
// and line breaks become w:tab and w:br in the same run, so they keep its formatting.
void Expander::FillText(xmlNode* t, const Scope& scope) {
    const QString text = TextOf(t);
    bool any = false;
    for (const QChar c : text)
        any = any || marks_.Of(c);
    if (!any)
        return;
    QString plain;
    xmlNode* at = t;
    auto flush = [&] {
        if (plain.isEmpty())
            return;
        xmlNode* piece = NewWElement(t, "t");
        SetElementText(piece, plain);
        at = xmlAddNextSibling(at, piece);
        plain.clear();
    };
    for (const QChar c : text) {
        const Mark* m = marks_.Of(c);
        if (!m) {
            plain += c;
            continue;
        }
        const QString* value = m->kind == MarkKind::Field ? FindField(m->name, scope) : nullptr;
        if (m->kind == MarkKind::Redact)
            continue;
        if (!value) {
            plain += m->text;
            continue;
        }
        for (const Story::Piece& piece : Story::Pieces(*value)) {
            if (piece.kind == Story::Kind::Text) {
                plain += piece.text;
                continue;
            }
            flush();
            at = xmlAddNextSibling(at,
                                   NewWElement(t, piece.kind == Story::Kind::Tab ? "tab" : "br"));
        }
    }
    flush();
    RemoveNode(t);
}

} // namespace

QSet<QString> TemplateNames(const TokenRecord& values) {
    QSet<QString> names(values.names.begin(), values.names.end());
    for (const QString& name : NamesInLists(values.lists))
        names.insert(name);
    return names;
}

bool FillTemplateStory(Story& story, xmlNode* container, const TokenRecord& values,
                       const QSet<QString>& names, CloneIds& ids) {
    if (!container)
        return false;
    MarkTable marks;
    if (!marks.Prepare(story, names))
        return false;
    story.Sync();
    marks.IsolateBlockMarks(container);
    Expander expander(marks, ids);
    Scope scope{&values};
    expander.Blocks(ElementChildren(container), scope);
    EnsureParagraph(container);
    story.Rebuild();
    return true;
}

} // namespace zorv::wordengine
