// The flattened text index of a story and the edits made through it.
#include "Story.h"

#include "RunXml.h"
#include "StoryText.h"
#include "TextMatch.h"

#include <libxml/tree.h>

namespace zorv::wordengine {
namespace {

// Word's characters for what is not plain text.
constexpr char16_t kLineBreak = 11, kPageBreak = 12, kColumnBreak = 14, kNoBreakHyphen = 30,
                   kSoftHyphen = 31, kObject = 1, kNoteRef = 2, kCommentRef = 5, kCellEnd = 7;

// Characters that XML 1.0 cannot hold are dropped.
using Item = Story::Piece;

std::vector<Item> SplitReplacement(const QString& r) {
    std::vector<Item> items;
    const QString safe = XmlSafeText(r);
    if (safe.size() == r.size() && !r.contains(u'\t') && !r.contains(u'\r') && !r.contains(u'\n') &&
        !r.contains(QChar(kLineBreak))) {
        if (!r.isEmpty())
            items.push_back({Story::Kind::Text, r});
        return items; // plain text, the common case
    }
    auto textItem = [&]() -> QString& {
        if (items.empty() || items.back().kind != Story::Kind::Text)
            items.push_back({Story::Kind::Text, {}});
        return items.back().text;
    };
    for (qsizetype i = 0; i < r.size(); ++i) {
        const char16_t c = r.at(i).unicode();
        if (c == u'\t') {
            items.push_back({Story::Kind::Tab, QStringLiteral("\t")});
        } else if (c == u'\r') {
            items.push_back({Story::Kind::Break, QString(QChar(kLineBreak)), true});
            if (i + 1 < r.size() && r.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n' || c == kLineBreak) {
            items.push_back({Story::Kind::Break, QString(QChar(kLineBreak)), false, c == u'\n'});
        } else {
            textItem().append(QChar(c));
        }
    }
    // What XML cannot hold goes; a text item left empty goes with it.
    for (Item& item : items)
        if (item.kind == Story::Kind::Text)
            item.text = XmlSafeText(item.text);
    std::erase_if(items, [](const Item& item) {
        return item.kind == Story::Kind::Text && item.text.isEmpty();
    });
    return items;
}

// Where each segment of a paragraph starts in its text, kept in step with its edits.
struct SegmentIndex {
    explicit SegmentIndex(Story::Paragraph& p) : para(p), starts(p.segs.size()) {
        qsizetype pos = 0;
        for (size_t i = 0; i < para.segs.size(); ++i) {
            starts[i] = pos;
            pos += para.segs[i].text.size();
        }
    }
    // The first segment with a character at pos (empty text elements are skipped).
    size_t At(qsizetype pos) const {
        size_t i = size_t(std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin()) - 1;
        while (para.segs[i].text.isEmpty())
            ++i;
        return i;
    }
    void Erase(size_t i) {
        RemoveNode(para.segs[i].node);
        para.segs.erase(para.segs.begin() + std::ptrdiff_t(i));
        starts.erase(starts.begin() + std::ptrdiff_t(i));
    }
    Story::Paragraph& para;
    std::vector<qsizetype> starts;
};

// The common case: the whole match inside one text element, plain text in. False when the
// match needs the general splice.
bool ReplaceInOneText(SegmentIndex& index, qsizetype s, int length, size_t i0, size_t iLast,
                      const std::vector<Item>& items) {
    Story::Segment& seg = index.para.segs[i0];
    if (i0 != iLast || seg.kind != Story::Kind::Text || items.size() > 1 ||
        (!items.empty() && items[0].kind != Story::Kind::Text))
        return false;
    seg.text.replace(s - index.starts[i0], length, items.empty() ? QString() : items[0].text);
    seg.dirty = true;
    if (seg.text.isEmpty())
        index.Erase(i0);
    return true;
}

// Characters of the match after its first segment: trimmed off or removed; markup between
// them (bookmarks, proofing marks, run boundaries) stays where it is.
void TrimAfterFirst(SegmentIndex& index, size_t i0, size_t iLast, qsizetype e) {
    for (size_t i = iLast; i > i0; --i) {
        Story::Segment& seg = index.para.segs[i];
        if (seg.kind == Story::Kind::Text) {
            const qsizetype cut = std::min<qsizetype>(e - index.starts[i], seg.text.size());
            seg.text.remove(0, cut);
            seg.dirty = true;
            if (!seg.text.isEmpty())
                continue;
        }
        index.Erase(i);
    }
}

// An LF right after a CR that an earlier piece ended with belongs to that CR: 1 to skip it.
size_t SkipLFAfterCR(const Story::Paragraph& para, size_t i0, const QString& head,
                     const std::vector<Item>& items) {
    if (items.empty() || !items[0].fromLF || !head.isEmpty() || i0 == 0)
        return 0;
    size_t p = i0;
    while (p > 0 && para.segs[p - 1].kind == Story::Kind::Text && para.segs[p - 1].text.isEmpty())
        --p;
    return p > 0 && para.segs[p - 1].kind == Story::Kind::Break && para.segs[p - 1].fromCR ? 1 : 0;
}

// New elements after `after` for the pieces from k on, with the first segment's tail last.
std::vector<Story::Segment> NewSegments(xmlNode* after, const std::vector<Item>& items, size_t k,
                                        Story::Segment& anchor, const QString& tail) {
    std::vector<Story::Segment> added;
    for (; k < items.size(); ++k) {
        const Item& it = items[k];
        const char* name = it.kind == Story::Kind::Text  ? "t"
                           : it.kind == Story::Kind::Tab ? "tab"
                                                         : "br";
        xmlNode* node = NewWElement(after, name);
        xmlAddNextSibling(after, node);
        after = node;
        added.push_back({it.kind, it.fromCR, it.kind == Story::Kind::Text, node, it.text});
    }
    if (!tail.isEmpty()) {
        if (!added.empty() && added.back().kind == Story::Kind::Text) {
            added.back().text += tail;
        } else if (added.empty()) {
            anchor.text += tail;
        } else {
            xmlNode* node = NewWElement(after, "t");
            xmlAddNextSibling(after, node);
            added.push_back({Story::Kind::Text, false, true, node, tail});
        }
    }
    return added;
}

// The first character's element takes the inserted text, so the replacement has the
// formatting of the match's first character.
void SpliceReplacement(SegmentIndex& index, qsizetype s, int length, size_t i0,
                       const std::vector<Item>& items) {
    Story::Paragraph& para = index.para;
    Story::Segment* anchor = &para.segs[i0];
    QString head, tail;
    if (anchor->kind == Story::Kind::Text) {
        const qsizetype o = s - index.starts[i0];
        head = anchor->text.left(o);
        tail = anchor->text.mid(std::min<qsizetype>(o + length, anchor->text.size()));
    } else {
        xmlNode* t = NewWElement(anchor->node, "t");
        xmlAddPrevSibling(anchor->node, t);
        RemoveNode(anchor->node);
        *anchor = {Story::Kind::Text, false, true, t, {}};
    }
    size_t k = SkipLFAfterCR(para, i0, head, items);
    anchor->dirty = true;
    anchor->text = head;
    if (k < items.size() && items[k].kind == Story::Kind::Text)
        anchor->text += items[k++].text;
    const std::vector<Story::Segment> added = NewSegments(anchor->node, items, k, *anchor, tail);
    size_t insertAt = i0 + 1;
    if (anchor->text.isEmpty() && (!added.empty() || tail.isEmpty())) {
        // Nothing left in the first element: drop it rather than keep an empty one.
        index.Erase(i0);
        insertAt = i0;
    }
    para.segs.insert(para.segs.begin() + std::ptrdiff_t(insertAt), added.begin(), added.end());
    // Starts to the right of the match are stale but no longer read: the remaining matches
    // lie to the left.
    index.starts.insert(index.starts.begin() + std::ptrdiff_t(insertAt), added.size(), s);
}

QString JoinedText(const Story::Paragraph& para) {
    qsizetype size = 0;
    for (const Story::Segment& seg : para.segs)
        size += seg.text.size();
    QString text;
    text.reserve(size);
    for (const Story::Segment& seg : para.segs)
        text += seg.text;
    return text;
}

} // namespace

Story::Story(_xmlDoc* doc, _xmlNode* container) : doc_(doc), container_(container) {
    if (container_)
        WalkBlocks(container_);
}

void Story::WalkBlocks(xmlNode* container) {
    for (xmlNode* n = container->children; n; n = n->next) {
        if (!IsW(n))
            continue;
        if (Is(n, "p")) {
            Paragraph para{n, {}, {}, QStringLiteral("\r")};
            WalkInline(para, n);
            for (const Segment& s : para.segs)
                para.text += s.text;
            paras_.push_back(std::move(para));
        } else if (Is(n, "tbl")) {
            WalkTable(n);
        } else if (Is(n, "sdt")) {
            if (xmlNode* content = Child(n, "sdtContent"))
                WalkBlocks(content);
        } else if (Is(n, "customXml")) {
            WalkBlocks(n);
        }
    }
}

void Story::WalkTable(xmlNode* tbl) {
    // Rows and cells may sit inside content controls or custom XML.
    auto forEach = [](xmlNode* parent, const char* name, auto&& fn, auto&& self) -> void {
        for (xmlNode* n = parent->children; n; n = n->next) {
            if (!IsW(n))
                continue;
            if (Is(n, name))
                fn(n);
            else if (Is(n, "sdt")) {
                if (xmlNode* c = Child(n, "sdtContent"))
                    self(c, name, fn, self);
            } else if (Is(n, "customXml"))
                self(n, name, fn, self);
        }
    };
    forEach(
        tbl, "tr",
        [&](xmlNode* tr) {
            forEach(
                tr, "tc",
                [&](xmlNode* tc) {
                    const size_t before = paras_.size();
                    WalkBlocks(tc);
                    if (paras_.size() > before)
                        paras_.back().marks += QChar(kCellEnd);
                },
                forEach);
            if (!paras_.empty())
                paras_.back().marks += QStringLiteral("\r") + QChar(kCellEnd);
        },
        forEach);
}

void Story::WalkInline(Paragraph& para, xmlNode* parent) {
    for (xmlNode* n = parent->children; n; n = n->next) {
        if (!IsW(n))
            continue;
        if (Is(n, "r"))
            WalkRun(para, n);
        else if (Is(n, "hyperlink") || Is(n, "smartTag") || Is(n, "ins") || Is(n, "moveTo") ||
                 Is(n, "fldSimple") || Is(n, "customXml") || Is(n, "dir") || Is(n, "bdo"))
            WalkInline(para, n);
        else if (Is(n, "sdt")) {
            if (xmlNode* content = Child(n, "sdtContent"))
                WalkInline(para, content);
        }
        // w:del and w:moveFrom are deleted text; bookmarks, proofing and comment marks,
        // and paragraph properties carry no text.
    }
}

void Story::WalkRun(Paragraph& para, xmlNode* run) {
    for (xmlNode* n = run->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE)
            continue;
        if (!IsW(n)) { // mc:AlternateContent and other foreign objects
            para.segs.push_back({Kind::Opaque, false, false, n, QString(QChar(kObject))});
            continue;
        }
        if (Is(n, "t")) {
            para.segs.push_back({Kind::Text, false, false, n, TextOf(n)});
        } else if (Is(n, "tab")) {
            para.segs.push_back({Kind::Tab, false, false, n, QStringLiteral("\t")});
        } else if (Is(n, "br")) {
            const QByteArray type = Attr(n, "type");
            if (type == "page")
                para.segs.push_back({Kind::Char, false, false, n, QString(QChar(kPageBreak))});
            else if (type == "column")
                para.segs.push_back({Kind::Char, false, false, n, QString(QChar(kColumnBreak))});
            else
                para.segs.push_back({Kind::Break, false, false, n, QString(QChar(kLineBreak))});
        } else if (Is(n, "cr")) {
            para.segs.push_back({Kind::Break, false, false, n, QString(QChar(kLineBreak))});
        } else if (Is(n, "noBreakHyphen")) {
            para.segs.push_back({Kind::Char, false, false, n, QString(QChar(kNoBreakHyphen))});
        } else if (Is(n, "softHyphen")) {
            para.segs.push_back({Kind::Char, false, false, n, QString(QChar(kSoftHyphen))});
        } else if (Is(n, "sym")) {
            para.segs.push_back({Kind::Opaque, false, false, n, QStringLiteral("(")});
        } else if (Is(n, "drawing") || Is(n, "pict") || Is(n, "object")) {
            para.segs.push_back({Kind::Opaque, false, false, n, QString(QChar(kObject))});
        } else if (Is(n, "footnoteReference") || Is(n, "endnoteReference")) {
            para.segs.push_back({Kind::Opaque, false, false, n, QString(QChar(kNoteRef))});
        } else if (Is(n, "commentReference")) {
            para.segs.push_back({Kind::Opaque, false, false, n, QString(QChar(kCommentRef))});
        } else if (Is(n, "ptab")) {
            para.segs.push_back({Kind::Opaque, false, false, n, QStringLiteral("\t")});
        }
        // w:instrText (field code), w:delText, w:fldChar and w:rPr are not text.
    }
}

QString Story::Text() const {
    return JoinedText(paras_);
}

QString Story::Text(std::int32_t start, std::int32_t end) const {
    return TextSlice(Text(), start, end);
}

std::int32_t Story::Length() const {
    return TextLength(paras_);
}

std::vector<std::int32_t> Story::ParagraphStarts() const {
    return ParagraphStartsOf(paras_);
}

std::pair<std::int32_t, std::int32_t> Story::ParagraphSpan(int i) const {
    const auto starts = ParagraphStarts();
    return {starts[size_t(i)], starts[size_t(i)] + std::int32_t(paras_[size_t(i)].text.size()) +
                                   std::int32_t(paras_[size_t(i)].marks.size())};
}

int Story::ReplaceAll(const QString& find, const QString& replacement, bool matchCase,
                      bool matchWholeWord, std::int32_t start, std::int32_t end) {
    if (find.isEmpty() || paras_.empty())
        return 0;
    const bool whole = start <= 0 && end < 0;
    const TextNeedle needle(find, matchCase, matchWholeWord);
    std::vector<std::int32_t> pstarts;
    if (!whole)
        pstarts = ParagraphStarts();
    if (end < 0)
        end = INT32_MAX;

    std::vector<int> candidates;
    const bool useCache = whole && lastValid_ && lastFind_ == find && lastMatchCase_ == matchCase &&
                          lastWholeWord_ == matchWholeWord;
    if (useCache) {
        candidates = lastHits_;
    } else {
        candidates.resize(paras_.size());
        for (size_t i = 0; i < paras_.size(); ++i)
            candidates[i] = int(i);
    }

    std::vector<int> hits;
    std::vector<Piece> items;
    bool split = false;
    int total = 0;
    for (const int pi : candidates) {
        Paragraph& para = paras_[size_t(pi)];
        if (para.text.size() < needle.text.size())
            continue;
        qsizetype lo = 0, hi = para.text.size();
        if (!whole) {
            lo = std::max(0, start - pstarts[size_t(pi)]);
            hi = std::min<std::int64_t>(hi, std::int64_t(end) - pstarts[size_t(pi)]);
        }
        // A match never takes in an object, a note reference or the like.
        const auto noObject = [&para](qsizetype at, qsizetype after) {
            qsizetype pos = 0;
            for (const Segment& s : para.segs) {
                const qsizetype sEnd = pos + s.text.size();
                if (sEnd > at && pos < after && s.kind == Kind::Opaque)
                    return false;
                if (pos >= after)
                    break;
                pos = sEnd;
            }
            return true;
        };
        const std::vector<int> matchStarts = FindOccurrences(para.text, needle, lo, hi, noObject);
        if (matchStarts.empty())
            continue;
        hits.push_back(pi);
        total += int(matchStarts.size());
        if (!split) {
            items = SplitReplacement(replacement);
            split = true;
        }
        ApplyMatches(para, matchStarts, int(needle.text.size()), items);
    }
    lastValid_ = whole;
    lastFind_ = find;
    lastMatchCase_ = matchCase;
    lastWholeWord_ = matchWholeWord;
    lastHits_ = std::move(hits);
    return total;
}

void Story::ApplyMatches(Paragraph& para, const std::vector<int>& matchStarts, int length,
                         const std::vector<Piece>& items) {
    SegmentIndex index(para);
    // Right to left, so the segment positions to the left stay valid.
    for (auto m = matchStarts.rbegin(); m != matchStarts.rend(); ++m) {
        const qsizetype s = *m, e = s + length;
        const size_t i0 = index.At(s);
        const size_t iLast = index.At(e - 1);
        if (ReplaceInOneText(index, s, length, i0, iLast, items))
            continue;
        TrimAfterFirst(index, i0, iLast, e);
        SpliceReplacement(index, s, length, i0, items);
    }
    para.text = JoinedText(para);
    treeChanged_ = true;
}

void Story::Rebuild() {
    paras_.clear();
    lastValid_ = false;
    treeChanged_ = true;
    if (container_)
        WalkBlocks(container_);
}

std::vector<Story::Piece> Story::Pieces(const QString& value) {
    return SplitReplacement(value);
}

bool Story::Sync() {
    for (Paragraph& para : paras_)
        for (Segment& seg : para.segs)
            if (seg.dirty) {
                SetElementText(seg.node, seg.text);
                seg.dirty = false;
            }
    const bool changed = treeChanged_;
    treeChanged_ = false;
    return changed;
}

} // namespace zorv::wordengine
