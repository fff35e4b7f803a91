// Story edits beyond find and replace: appending paragraphs and text at the end of a story,
// and character formatting of a range (what the submitter block needs).
#include "RunXml.h"
#include "Story.h"

#include <QStringList>
#include <cmath>

namespace zorv::wordengine {
namespace {

const char* const kRunPropOrder[] = {"rStyle",
                                     "rFonts",
                                     "b",
                                     "bCs",
                                     "i",
                                     "iCs",
                                     "caps",
                                     "smallCaps",
                                     "strike",
                                     "dstrike",
                                     "outline",
                                     "shadow",
                                     "emboss",
                                     "imprint",
                                     "noProof",
                                     "snapToGrid",
                                     "vanish",
                                     "webHidden",
                                     "color",
                                     "spacing",
                                     "w",
                                     "kern",
                                     "position",
                                     "sz",
                                     "szCs",
                                     "highlight",
                                     "u",
                                     "effect",
                                     "bdr",
                                     "shd",
                                     "fitText",
                                     "vertAlign",
                                     "rtl",
                                     "cs",
                                     "em",
                                     "lang",
                                     "eastAsianLayout",
                                     "specVanish",
                                     "oMath",
                                     nullptr};

const char* const kParaPropOrder[] = {"pStyle",
                                      "keepNext",
                                      "keepLines",
                                      "pageBreakBefore",
                                      "framePr",
                                      "widowControl",
                                      "numPr",
                                      "suppressLineNumbers",
                                      "pBdr",
                                      "shd",
                                      "tabs",
                                      "suppressAutoHyphens",
                                      "kinsoku",
                                      "wordWrap",
                                      "overflowPunct",
                                      "topLinePunct",
                                      "autoSpaceDE",
                                      "autoSpaceDN",
                                      "bidi",
                                      "adjustRightInd",
                                      "snapToGrid",
                                      "spacing",
                                      "ind",
                                      "contextualSpacing",
                                      "mirrorIndents",
                                      "suppressOverlap",
                                      "jc",
                                      "textDirection",
                                      "textAlignment",
                                      "textboxTightWrap",
                                      "outlineLvl",
                                      "divId",
                                      "cnfStyle",
                                      "rPr",
                                      "sectPr",
                                      "pPrChange",
                                      nullptr};

// The rPr of a run: its first child, created when missing.
xmlNode* RunProps(xmlNode* run) {
    if (xmlNode* rPr = Child(run, "rPr"))
        return rPr;
    xmlNode* rPr = NewWElement(run, "rPr");
    return run->children ? xmlAddPrevSibling(run->children, rPr) : xmlAddChild(run, rPr);
}

xmlNode* ParaProps(xmlNode* p) {
    if (xmlNode* pPr = Child(p, "pPr"))
        return pPr;
    xmlNode* pPr = NewWElement(p, "pPr");
    return p->children ? xmlAddPrevSibling(p->children, pPr) : xmlAddChild(p, pPr);
}

void RemoveAttr(xmlNode* n, const char* name) {
    for (xmlAttr* a = n->properties; a; a = a->next)
        if (xmlStrEqual(a->name, reinterpret_cast<const xmlChar*>(name))) {
            xmlRemoveProp(a);
            return;
        }
}

QByteArray ColorHex(int index) {
    static const char* const hex[] = {"auto",   "000000", "0000FF", "00FFFF", "00FF00", "FF00FF",
                                      "FF0000", "FFFF00", "FFFFFF", "000080", "008080", "008000",
                                      "800080", "800000", "808000", "808080", "C0C0C0"};
    return hex[index];
}

QByteArray UnderlineValue(int u) {
    switch (u) {
    case 0:
        return "none";
    case 2:
        return "words";
    case 3:
        return "double";
    case 4:
        return "dotted";
    case 6:
        return "thick";
    case 7:
        return "dash";
    case 9:
        return "dotDash";
    case 10:
        return "dotDotDash";
    case 11:
        return "wave";
    default:
        return "single";
    }
}

void ApplyToRunProps(xmlNode* rPr, const FontChange& c) {
    if (c.setName) {
        xmlNode* f = EnsureChildInOrder(rPr, "rFonts", kRunPropOrder);
        const QByteArray name = XmlSafeText(c.name).toUtf8();
        for (const char* a : {"ascii", "hAnsi", "cs"})
            SetAttr(f, a, name);
        for (const char* a : {"asciiTheme", "hAnsiTheme", "cstheme"})
            RemoveAttr(f, a);
    }
    if (c.setBold)
        for (const char* e : {"b", "bCs"})
            SetAttr(EnsureChildInOrder(rPr, e, kRunPropOrder), "val", c.bold ? "1" : "0");
    if (c.setColor) {
        xmlNode* color = EnsureChildInOrder(rPr, "color", kRunPropOrder);
        SetAttr(color, "val", ColorHex(c.colorIndex));
        for (const char* a : {"themeColor", "themeTint", "themeShade"})
            RemoveAttr(color, a);
    }
    if (c.setSize) {
        const QByteArray half = QByteArray::number(int(std::lround(c.size * 2)));
        for (const char* e : {"sz", "szCs"})
            SetAttr(EnsureChildInOrder(rPr, e, kRunPropOrder), "val", half);
    }
    if (c.setUnderline)
        SetAttr(EnsureChildInOrder(rPr, "u", kRunPropOrder), "val", UnderlineValue(c.underline));
}

} // namespace

Story::Paragraph Story::NewParagraphAfterLast() {
    Paragraph& last = paras_.back();
    xmlNode* p = NewWElement(last.p, "p");
    if (xmlNode* pPr = Child(last.p, "pPr")) {
        xmlNode* copy = CopyInScope(pPr);
        if (xmlNode* sect = Child(copy, "sectPr")) {
            xmlUnlinkNode(sect);
            xmlFreeNode(sect);
        }
        xmlAddChild(p, copy);
    }
    xmlAddNextSibling(last.p, p);
    Paragraph para{p, {}, {}, last.marks};
    last.marks = QStringLiteral("\r");
    return para;
}

void Story::AppendParagraph() {
    lastValid_ = false;
    treeChanged_ = true;
    if (paras_.empty()) {
        if (!container_)
            return;
        xmlNode* like = container_;
        xmlNode* p = NewWElement(like, "p");
        // Before a final w:sectPr of the body, which must stay last.
        xmlNode* sect = Child(container_, "sectPr");
        sect ? xmlAddPrevSibling(sect, p) : xmlAddChild(container_, p);
        paras_.push_back({p, {}, {}, QStringLiteral("\r")});
        return;
    }
    paras_.push_back(NewParagraphAfterLast());
}

void Story::AppendText(const QString& text) {
    if (text.isEmpty())
        return;
    if (paras_.empty())
        AppendParagraph();
    if (paras_.empty())
        return;
    lastValid_ = false;
    treeChanged_ = true;
    // CR LF, CR and LF each end a paragraph.
    QStringList lines;
    QString cur;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << cur;
            cur.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            cur += c;
        }
    }
    lines << cur;
    for (qsizetype li = 0; li < lines.size(); ++li) {
        if (li > 0)
            paras_.push_back(NewParagraphAfterLast());
        const QString safe = XmlSafeText(lines[li]);
        if (safe.isEmpty())
            continue;
        Paragraph& para = paras_.back();
        xmlNode* run = NewWElement(para.p, "r");
        if (xmlNode* pPr = Child(para.p, "pPr"))
            if (xmlNode* markProps = Child(pPr, "rPr"))
                xmlAddChild(run, CopyInScope(markProps));
        xmlAddChild(para.p, run);
        QString chunk;
        auto flush = [&] {
            if (chunk.isEmpty())
                return;
            xmlNode* t = xmlAddChild(run, NewWElement(run, "t"));
            para.segs.push_back({Kind::Text, false, true, t, chunk});
            chunk.clear();
        };
        for (const QChar c : safe) {
            if (c == u'\t' || c.unicode() == 11) {
                flush();
                const bool tab = c == u'\t';
                xmlNode* n = xmlAddChild(run, NewWElement(run, tab ? "tab" : "br"));
                para.segs.push_back({tab ? Kind::Tab : Kind::Break, false, false, n, QString(c)});
            } else {
                chunk += c;
            }
        }
        flush();
        para.text.clear();
        for (const Segment& s : para.segs)
            para.text += s.text;
    }
}

void Story::SplitRunBefore(Paragraph& para, size_t seg) {
    xmlNode* node = para.segs[seg].node;
    xmlNode* run = node->parent;
    if (!run || !IsW(run) || !Is(run, "r"))
        return;
    bool contentBefore = false;
    for (xmlNode* c = run->children; c && c != node; c = c->next)
        if (c->type == XML_ELEMENT_NODE && !(IsW(c) && Is(c, "rPr")))
            contentBefore = true;
    if (!contentBefore)
        return;
    // The second half becomes a run of its own with a copy of the run's properties.
    xmlNode* second = NewWElement(run, "r");
    if (xmlNode* rPr = Child(run, "rPr"))
        xmlAddChild(second, CopyInScope(rPr));
    xmlAddNextSibling(run, second);
    for (xmlNode* c = node; c;) {
        xmlNode* next = c->next;
        xmlUnlinkNode(c);
        xmlAddChild(second, c);
        c = next;
    }
    treeChanged_ = true;
}

void Story::SplitRunsAt(Paragraph& para, qsizetype at) {
    qsizetype pos = 0;
    for (size_t i = 0; i < para.segs.size(); ++i) {
        Segment& s = para.segs[i];
        const qsizetype end = pos + s.text.size();
        if (at == pos && !s.text.isEmpty()) {
            SplitRunBefore(para, i);
            return;
        }
        if (at > pos && at < end) {
            if (s.kind != Kind::Text)
                return;
            xmlNode* t = NewWElement(s.node, "t");
            xmlAddNextSibling(s.node, t);
            Segment tail{Kind::Text, false, true, t, s.text.mid(at - pos)};
            s.text.truncate(at - pos);
            s.dirty = true;
            para.segs.insert(para.segs.begin() + std::ptrdiff_t(i) + 1, std::move(tail));
            SplitRunBefore(para, i + 1);
            return;
        }
        pos = end;
    }
}

void Story::ApplyFont(std::int32_t start, std::int32_t end, const FontChange& change) {
    lastValid_ = false;
    const std::vector<std::int32_t> starts = ParagraphStarts();
    for (size_t pi = 0; pi < paras_.size(); ++pi) {
        Paragraph& para = paras_[pi];
        const std::int32_t pStart = starts[pi];
        const std::int32_t markAt = pStart + std::int32_t(para.text.size());
        if (starts[pi + 1] <= start || pStart >= end)
            continue;
        // Runs that the range covers only in part are split, so text outside the range
        // keeps its formatting.
        if (end < markAt)
            SplitRunsAt(para, end - pStart);
        if (start > pStart && start < markAt)
            SplitRunsAt(para, start - pStart);
        std::int32_t pos = pStart;
        xmlNode* lastRun = nullptr;
        for (const Segment& s : para.segs) {
            const std::int32_t sEnd = pos + std::int32_t(s.text.size());
            if (sEnd > start && pos < end && s.node->parent && s.node->parent != lastRun &&
                IsW(s.node->parent) && Is(s.node->parent, "r")) {
                lastRun = s.node->parent;
                ApplyToRunProps(RunProps(lastRun), change);
                treeChanged_ = true;
            }
            pos = sEnd;
        }
        if (markAt >= start && markAt < end) { // the paragraph mark itself
            ApplyToRunProps(EnsureChildInOrder(ParaProps(para.p), "rPr", kParaPropOrder), change);
            treeChanged_ = true;
        }
    }
}

} // namespace zorv::wordengine
