#include "CloneIds.h"

#include "RunXml.h"

#include <QHash>
#include <libxml/tree.h>
#include <vector>

namespace zorv::wordengine {
namespace {

const char kW14Ns[] = "http://schemas.microsoft.com/office/word/2010/wordml";

// Every element below `root`, itself included, in document order.
template <class F> void ForEachElement(xmlNode* root, F&& f) {
    std::vector<xmlNode*> stack{root};
    while (!stack.empty()) {
        xmlNode* n = stack.back();
        stack.pop_back();
        if (n->type != XML_ELEMENT_NODE)
            continue;
        f(n);
        std::vector<xmlNode*> children;
        for (xmlNode* c = n->children; c; c = c->next)
            children.push_back(c);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}

bool IsCommentMark(const xmlNode* n) {
    return IsW(n) &&
           (Is(n, "commentRangeStart") || Is(n, "commentRangeEnd") || Is(n, "commentReference"));
}

// Elements whose w:id is a revision or annotation id of their own.
bool HasOwnId(const xmlNode* n) {
    return IsW(n) && !Is(n, "bookmarkStart") && !Is(n, "bookmarkEnd") && !IsCommentMark(n) &&
           !Attr(n, "id").isEmpty() && !Is(n, "footnoteReference") && !Is(n, "endnoteReference");
}

void DropParagraphIds(xmlNode* n) {
    for (xmlAttr* a = n->properties; a;) {
        xmlAttr* next = a->next;
        if (a->ns && xmlStrEqual(a->ns->href, reinterpret_cast<const xmlChar*>(kW14Ns)) &&
            (xmlStrEqual(a->name, reinterpret_cast<const xmlChar*>("paraId")) ||
             xmlStrEqual(a->name, reinterpret_cast<const xmlChar*>("textId"))))
            xmlRemoveProp(a);
        a = next;
    }
}

} // namespace

void CloneIds::Scan(xmlNode* root) {
    if (!root)
        return;
    ForEachElement(root, [&](xmlNode* n) {
        if (LocalIs(n, "docPr"))
            nextDrawingId_ = std::max(nextDrawingId_, PlainAttr(n, "id").toLongLong() + 1);
        if (!IsW(n))
            return;
        nextId_ = std::max(nextId_, Attr(n, "id").toLongLong() + 1);
        if (Is(n, "id")) // a content control's id: often a large random number
            controlIds_.insert(Attr(n, "val").toLongLong());
        if (Is(n, "bookmarkStart"))
            bookmarkNames_.insert(Attr(n, "name"));
    });
}

QByteArray CloneIds::NextControlId() {
    long long id = nextId_++;
    while (controlIds_.contains(id))
        id = nextId_++;
    controlIds_.insert(id);
    return QByteArray::number(id);
}

QByteArray CloneIds::CopyComment(const QByteArray& id) {
    if (!comments_)
        return {};
    for (xmlNode* c = comments_->children; c; c = c->next) {
        if (!IsW(c) || !Is(c, "comment") || Attr(c, "id") != id)
            continue;
        xmlNode* copy = xmlDocCopyNode(c, c->doc, 1);
        xmlAddNextSibling(c, copy);
        const QByteArray fresh = NextId();
        SetAttr(copy, "id", fresh);
        ForEachElement(copy, DropParagraphIds);
        commentsChanged_ = true;
        return fresh;
    }
    return {};
}

void CloneIds::Renew(xmlNode* copy) {
    ++copies_;
    QHash<QByteArray, xmlNode*> starts, ends;
    std::vector<xmlNode*> commentMarks;
    ForEachElement(copy, [&](xmlNode* n) {
        DropParagraphIds(n);
        if (LocalIs(n, "docPr") && !PlainAttr(n, "id").isEmpty())
            xmlSetProp(
                n, reinterpret_cast<const xmlChar*>("id"),
                reinterpret_cast<const xmlChar*>(QByteArray::number(nextDrawingId_++).constData()));
        if (!IsW(n))
            return;
        if (Is(n, "bookmarkStart"))
            starts.insert(Attr(n, "id"), n);
        else if (Is(n, "bookmarkEnd"))
            ends.insert(Attr(n, "id"), n);
        else if (IsCommentMark(n))
            commentMarks.push_back(n);
        else if (HasOwnId(n))
            SetAttr(n, "id", NextId());
        else if (Is(n, "id") && n->parent && Is(n->parent, "sdtPr"))
            SetAttr(n, "val", NextControlId());
    });
    // A bookmark repeats under a new name when both its ends were copied; half of one,
    // or a hidden one such as Word's "_GoBack", stays with the original alone.
    for (auto it = starts.begin(); it != starts.end(); ++it) {
        xmlNode* end = ends.take(it.key());
        const QByteArray name = Attr(it.value(), "name");
        if (!end || name.startsWith('_')) {
            RemoveNode(it.value());
            if (end)
                RemoveNode(end);
            continue;
        }
        QByteArray fresh = name + '_' + QByteArray::number(copies_);
        while (bookmarkNames_.contains(fresh))
            fresh += '_';
        bookmarkNames_.insert(fresh);
        const QByteArray id = NextId();
        SetAttr(it.value(), "id", id);
        SetAttr(it.value(), "name", fresh);
        SetAttr(end, "id", id);
    }
    for (xmlNode* end : ends)
        RemoveNode(end);
    QHash<QByteArray, QByteArray> commentIds;
    for (xmlNode* mark : commentMarks) {
        const QByteArray old = Attr(mark, "id");
        if (!commentIds.contains(old))
            commentIds.insert(old, CopyComment(old));
        const QByteArray fresh = commentIds.value(old);
        if (fresh.isEmpty()) {
            // A reference sits in a run of its own; the run goes with it when emptied.
            xmlNode* parent = mark->parent;
            RemoveNode(mark);
            if (parent && IsW(parent) && Is(parent, "r") && !Child(parent, "t"))
                RemoveNode(parent);
        } else {
            SetAttr(mark, "id", fresh);
        }
    }
}

} // namespace zorv::wordengine
