#include "TemplateMarks.h"

#include "RunXml.h"
#include "Story.h"

#include <QRegularExpression>
#include <libxml/tree.h>
#include <new>

namespace zorv::wordengine {
namespace {

// The private-use characters that stand for markers.
constexpr char16_t kFirstStandIn = 0xE000, kLastStandIn = 0xF8FF;

bool IsBlockKind(MarkKind kind) {
    return kind != MarkKind::Field;
}

std::optional<Mark> MarkFrom(const QString& prefix, const QString& name, const QString& text,
                             const QSet<QString>& names) {
    if (prefix == u"!")
        return name == u"Redact" ? std::optional<Mark>(Mark{MarkKind::Redact, name, text})
                                 : std::nullopt;
    if (!names.contains(name))
        return std::nullopt;
    const MarkKind kind = prefix == u"#"   ? MarkKind::Repeat
                          : prefix == u"?" ? MarkKind::Keep
                          : prefix == u"/" ? MarkKind::Close
                                           : MarkKind::Field;
    return Mark{kind, name, text};
}

bool InlineContainer(const xmlNode* n) {
    return Is(n, "hyperlink") || Is(n, "smartTag") || Is(n, "ins") || Is(n, "moveTo") ||
           Is(n, "fldSimple") || Is(n, "customXml") || Is(n, "dir") || Is(n, "bdo");
}

// Splits the run of `t` so that every block mark in its text stands alone in a run.
void IsolateIn(xmlNode* t, const MarkTable& table) {
    const QString text = TextOf(t);
    std::vector<QString> pieces{QString()};
    for (const QChar c : text) {
        const Mark* m = table.Of(c);
        if (m && IsBlockKind(m->kind)) {
            pieces.push_back(QString(c));
            pieces.push_back(QString());
        } else {
            pieces.back() += c;
        }
    }
    if (pieces.size() == 1)
        return;
    xmlNode* run = t->parent;
    xmlNode* rPr = Child(run, "rPr");
    auto newRun = [&] {
        xmlNode* r = NewWElement(run, "r");
        if (rPr)
            xmlAddChild(r, CopyInScope(rPr));
        return r;
    };
    // The run keeps what precedes t; the pieces follow in runs of their own, then a run
    // with whatever came after t.
    xmlNode* at = run;
    for (const QString& piece : pieces) {
        if (piece.isEmpty())
            continue;
        xmlNode* r = newRun();
        SetElementText(xmlAddChild(r, NewWElement(run, "t")), piece);
        at = xmlAddNextSibling(at, r);
    }
    if (t->next) {
        xmlNode* rest = newRun();
        for (xmlNode* c = t->next; c;) {
            xmlNode* next = c->next;
            xmlUnlinkNode(c);
            xmlAddChild(rest, c);
            c = next;
        }
        xmlAddNextSibling(at, rest);
    }
    RemoveNode(t);
    bool empty = true;
    for (xmlNode* c = run->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE && !(IsW(c) && Is(c, "rPr")))
            empty = false;
    if (empty)
        RemoveNode(run);
}

} // namespace

bool IsOpening(const Mark& m) {
    return m.kind == MarkKind::Repeat || m.kind == MarkKind::Keep;
}

namespace {

const TokenList* FindList(const QString& name, const Scope& scope) {
    for (auto it = scope.rbegin(); it != scope.rend(); ++it)
        if (const TokenList* list = (*it)->List(name))
            return list;
    return nullptr;
}

} // namespace

const QString* FindField(const QString& name, const Scope& scope) {
    for (auto it = scope.rbegin(); it != scope.rend(); ++it)
        if (const QString* value = (*it)->Field(name))
            return value;
    return nullptr;
}

Copies CopiesOf(const Mark& m, const Scope& scope) {
    Copies c;
    const TokenList* list = FindList(m.name, scope);
    if (m.kind == MarkKind::Repeat) {
        c.known = list != nullptr;
        if (list)
            for (const TokenRecord& item : list->items)
                c.items.push_back(&item);
        return c;
    }
    const QString* value = list ? nullptr : FindField(m.name, scope);
    c.known = list || value;
    if ((list && !list->items.empty()) || (value && !value->trimmed().isEmpty()))
        c.items.push_back(nullptr);
    return c;
}

bool MarkTable::Prepare(EditableStory& story, const QSet<QString>& names) {
    static const QRegularExpression marker(
        QStringLiteral(R"(\[\[([#?/!]?)([^\[\]\x00-\x1f]+)\]\])"));
    const QString text = story.Text();
    std::map<QString, QChar> standIns;
    char16_t next = kFirstStandIn;
    for (auto it = marker.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (standIns.count(m.captured()))
            continue;
        const std::optional<Mark> mark =
            MarkFrom(m.captured(1), m.captured(2), m.captured(), names);
        if (!mark)
            continue;
        while (next <= kLastStandIn && text.contains(QChar(next)))
            ++next;
        if (next > kLastStandIn)
            break; // thousands of distinct markers: the rest stay as they are
        standIns[m.captured()] = QChar(next);
        marks_[next] = *mark;
        ++next;
    }
    for (const auto& [markerText, standIn] : standIns)
        story.ReplaceAll(markerText, QString(standIn), true, false);
    return !standIns.empty();
}

void MarkTable::IsolateBlockMarks(xmlNode* container) const {
    std::vector<xmlNode*> paragraphs;
    BlockParagraphs(container, paragraphs);
    for (xmlNode* p : paragraphs) {
        std::vector<xmlNode*> texts;
        InlineTexts(p, texts);
        for (xmlNode* t : texts)
            IsolateIn(t, *this);
    }
}

const Mark* MarkTable::Of(QChar c) const {
    const auto it = marks_.find(c.unicode());
    return it == marks_.end() ? nullptr : &it->second;
}

const Mark* MarkTable::SoleBlockMark(const QString& text) const {
    const QString t = text.trimmed();
    if (t.size() != 1)
        return nullptr;
    const Mark* m = Of(t.front());
    return m && IsBlockKind(m->kind) ? m : nullptr;
}

const Mark* MarkTable::Enclosing(const QString& rowText) const {
    const QString text = rowText.trimmed();
    if (text.size() < 2)
        return nullptr;
    const Mark* open = Of(text.front());
    const Mark* close = Of(text.back());
    if (!open || !close || !IsOpening(*open) || close->kind != MarkKind::Close ||
        close->name != open->name)
        return nullptr;
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const Mark* m = Of(text[i]);
        if (!m || m->name != open->name || m->kind == MarkKind::Field)
            continue;
        depth += IsOpening(*m) ? 1 : m->kind == MarkKind::Close ? -1 : 0;
        if (depth == 0 && i + 1 < text.size())
            return nullptr; // the first block closes before the row ends
    }
    return depth == 0 ? open : nullptr;
}

void InlineTexts(xmlNode* parent, std::vector<xmlNode*>& out) {
    for (xmlNode* n = parent->children; n; n = n->next) {
        if (!IsW(n))
            continue;
        if (Is(n, "r")) {
            for (xmlNode* c = n->children; c; c = c->next)
                if (IsW(c) && Is(c, "t"))
                    out.push_back(c);
        } else if (InlineContainer(n)) {
            InlineTexts(n, out);
        } else if (Is(n, "sdt")) {
            if (xmlNode* content = Child(n, "sdtContent"))
                InlineTexts(content, out);
        }
    }
}

void BlockParagraphs(xmlNode* container, std::vector<xmlNode*>& out) {
    for (xmlNode* n = container->children; n; n = n->next) {
        if (!IsW(n))
            continue;
        if (Is(n, "p"))
            out.push_back(n);
        else if (Is(n, "sdt")) {
            if (xmlNode* content = Child(n, "sdtContent"))
                BlockParagraphs(content, out);
        } else if (Is(n, "tbl") || Is(n, "tr") || Is(n, "tc") || Is(n, "customXml"))
            BlockParagraphs(n, out);
    }
}

QString TextBelow(xmlNode* node) {
    std::vector<xmlNode*> paragraphs;
    if (IsW(node) && Is(node, "p"))
        paragraphs.push_back(node);
    else
        BlockParagraphs(node, paragraphs);
    QString text;
    for (xmlNode* p : paragraphs) {
        std::vector<xmlNode*> texts;
        InlineTexts(p, texts);
        for (xmlNode* t : texts)
            text += TextOf(t);
    }
    return text;
}

std::vector<xmlNode*> ElementChildren(xmlNode* parent) {
    std::vector<xmlNode*> children;
    for (xmlNode* c = parent->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            children.push_back(c);
    return children;
}

xmlNode* CopyBefore(xmlNode* node, xmlNode* before) {
    xmlNode* copy = nullptr;
    // Cloned for its new parent: namespaces resolve to the declarations in scope there, so
    // the copy repeats none of them.
    if (xmlDOMWrapCloneNode(nullptr, node->doc, node, &copy, node->doc, before->parent, 1, 0) !=
            0 ||
        !copy)
        throw std::bad_alloc();
    return xmlAddPrevSibling(before, copy);
}

} // namespace zorv::wordengine
