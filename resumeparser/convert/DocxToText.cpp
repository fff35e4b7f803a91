// WordprocessingML to text over the input layer's zip reader and XML parser.
#include "DocxToText.h"

#include "ConvertText.h"
#include "PackageParts.h"
#include "XmlInput.h"
#include "ZipArchive.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <libxml/tree.h>

#include <utility>

namespace zorv::rp::convert {

namespace {

using input::AttributeValue;
using input::IsElement;
using input::Relationship;
using input::XmlDocPtr;
using input::ZipArchive;

// Both the transitional and the strict WordprocessingML namespaces end like this.
constexpr const char* kW = "wordprocessingml/2006/main";
constexpr const char* kWStrict = "ooxml/wordprocessingml/main";
constexpr const char* kMc = "markup-compatibility/2006";

bool IsW(const xmlNode* n, const char* name) {
    return IsElement(n, name, kW) || IsElement(n, name, kWStrict);
}

// What a paragraph's layout line records while its runs are read.
struct ParagraphLayout {
    double fontSize = 0;
    bool bold = true;
    bool anyText = false;
    QStringList links;
};

// Half-points of a w:sz value as points; 0 when absent or not a number.
double SizeOf(const xmlNode* sz) {
    constexpr double kHalfPoints = 2.0;
    bool ok = false;
    const double half = AttributeValue(sz, "val").toDouble(&ok);
    return ok && half > 0 ? half / kHalfPoints : 0;
}

bool IsOn(const xmlNode* toggle) {
    const QString v = AttributeValue(toggle, "val");
    return v.isEmpty() || (v != u"0" && v != u"false" && v != u"off");
}

// The paragraph styles' type sizes from styles.xml, following basedOn; the default size
// under the empty id.
QHash<QString, double> ReadStyleSizes(const xmlNode* root) {
    QHash<QString, double> own;
    QHash<QString, QString> basedOn;
    for (const xmlNode* n = root ? root->children : nullptr; n; n = n->next) {
        const bool defaults = IsW(n, "docDefaults");
        if (!defaults && !IsW(n, "style"))
            continue;
        const QString id = defaults ? QString() : AttributeValue(n, "styleId");
        for (const xmlNode* c = n->children; c; c = c->next) {
            if (IsW(c, "basedOn"))
                basedOn.insert(id, AttributeValue(c, "val"));
            for (const xmlNode* r = c->children; r; r = r->next) // rPr, or rPrDefault's rPr
                for (const xmlNode* sz = IsW(r, "sz") ? r : r->children; sz; sz = sz->next)
                    if (IsW(sz, "sz")) {
                        own.insert(id, SizeOf(sz));
                        break;
                    }
        }
    }
    QHash<QString, double> sizes;
    for (auto it = own.cbegin(); it != own.cend(); ++it)
        sizes.insert(it.key(), it.value());
    constexpr int kMaxBasedOnChain = 16;
    for (auto it = basedOn.cbegin(); it != basedOn.cend(); ++it) {
        QString id = it.key();
        for (int i = 0; i < kMaxBasedOnChain && !own.contains(id) && basedOn.contains(id); ++i)
            id = basedOn.value(id);
        if (own.contains(id) && !sizes.contains(it.key()))
            sizes.insert(it.key(), own.value(id));
    }
    return sizes;
}

// Collects the lines of a WordprocessingML story (body, header, cell, text box).
class StoryWalker {
public:
    bool failed = false;
    QHash<QString, double> styleSizes;   // paragraph style -> points; "" the default
    QHash<QString, QString> linkTargets; // relationship id -> external target
    std::vector<LayoutLine> layout;

    QStringList Block(const xmlNode* parent, int depth) {
        QStringList lines;
        if (depth > kMaxXmlDepth) {
            failed = true;
            return lines;
        }
        for (const xmlNode* n = parent ? parent->children : nullptr; n; n = n->next) {
            if (IsW(n, "p"))
                Paragraph(n, depth + 1, &lines);
            else if (IsW(n, "tbl"))
                Table(n, depth + 1, &lines);
            else if (IsW(n, "del") || IsW(n, "moveFrom") || IsW(n, "sectPr") || IsW(n, "pPr"))
                continue;
            else if (IsElement(n, "AlternateContent", kMc))
                lines << Block(FirstChoice(n), depth + 1);
            else if (n->type == XML_ELEMENT_NODE)
                lines << Block(n, depth + 1); // sdt, sdtContent, customXml, ins ...
        }
        return lines;
    }

private:
    // Only the first choice of alternate content: the fallback repeats it (a VML copy of a
    // text box, for instance).
    static const xmlNode* FirstChoice(const xmlNode* alternate) {
        for (const xmlNode* c = alternate->children; c; c = c->next) {
            if (IsElement(c, "Choice", kMc))
                return c;
        }
        for (const xmlNode* c = alternate->children; c; c = c->next) {
            if (IsElement(c, "Fallback", kMc))
                return c;
        }
        return nullptr;
    }

    void Paragraph(const xmlNode* p, int depth, QStringList* lines) {
        QString text;
        QStringList boxes;
        ParagraphLayout own;
        own.fontSize = ParagraphStyleSize(p);
        ParagraphLayout* outer = std::exchange(paragraph_, &own);
        Inline(p, depth, &text, &boxes);
        paragraph_ = outer;
        // Text boxes anchored in a paragraph come before it: they float at or above it.
        *lines << boxes;
        const QStringList paragraphLines = text.split(u'\n');
        *lines << paragraphLines;
        for (const QString& line : paragraphLines)
            if (!line.trimmed().isEmpty() || !own.links.isEmpty())
                layout.push_back(LayoutLine{line.trimmed(), own.fontSize, own.bold && own.anyText,
                                            0, double(layout.size()), 0, own.links});
    }

    double ParagraphStyleSize(const xmlNode* p) const {
        for (const xmlNode* ppr = p->children; ppr; ppr = ppr->next)
            if (IsW(ppr, "pPr"))
                for (const xmlNode* c = ppr->children; c; c = c->next)
                    if (IsW(c, "pStyle") && styleSizes.contains(AttributeValue(c, "val")))
                        return styleSizes.value(AttributeValue(c, "val"));
        return styleSizes.value(QString());
    }

    // A run's own size and weight.
    void RunProperties(const xmlNode* rPr) {
        if (!paragraph_)
            return;
        for (const xmlNode* c = rPr->children; c; c = c->next) {
            if (IsW(c, "sz") && SizeOf(c) > 0)
                paragraph_->fontSize = std::max(paragraph_->fontSize, SizeOf(c));
            runBold_ = runBold_ || (IsW(c, "b") && IsOn(c));
        }
    }

    // Hyperlinks by relationship and HYPERLINK field codes.
    void Link(const QString& target) {
        constexpr qsizetype kMaxLinks = 20;
        if (paragraph_ && !target.isEmpty() && paragraph_->links.size() < kMaxLinks &&
            !paragraph_->links.contains(target))
            paragraph_->links << target;
    }

    void FieldCode(const xmlNode* instr) {
        QString code;
        for (const xmlNode* c = instr->children; c; c = c->next)
            if (c->type == XML_TEXT_NODE)
                code += QString::fromUtf8(reinterpret_cast<const char*>(c->content));
        FieldCode(instr, code);
    }

    void FieldCode(const xmlNode*, const QString& code) {
        static const QRegularExpression hyperlink(QStringLiteral("HYPERLINK\\s+\"([^\"]+)\""));
        if (const auto m = hyperlink.match(code); m.hasMatch())
            Link(m.captured(1));
    }

    void Inline(const xmlNode* parent, int depth, QString* text, QStringList* boxes) {
        if (depth > kMaxXmlDepth) {
            failed = true;
            return;
        }
        for (const xmlNode* n = parent->children; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            if (IsW(n, "t")) {
                for (const xmlNode* c = n->children; c; c = c->next) {
                    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE)
                        *text += QString::fromUtf8(reinterpret_cast<const char*>(c->content));
                }
                if (paragraph_) {
                    paragraph_->anyText = true;
                    paragraph_->bold = paragraph_->bold && runBold_;
                }
            } else if (IsW(n, "rPr")) {
                RunProperties(n);
            } else if (IsW(n, "instrText")) {
                FieldCode(n);
            } else if (IsW(n, "tab") || IsW(n, "ptab")) {
                *text += u'\t';
            } else if (IsW(n, "br") || IsW(n, "cr")) {
                *text += u'\n';
            } else if (IsW(n, "noBreakHyphen")) {
                *text += u'-';
            } else if (IsW(n, "sym")) {
                bool ok = false;
                const uint code = AttributeValue(n, "char").toUInt(&ok, 16);
                if (ok && code >= 0x20 && code < 0xE000) // symbol-font glyphs carry no text
                    *text += QChar(char16_t(code));
            } else if (IsW(n, "txbxContent")) {
                *boxes << Block(n, depth + 1);
            } else if (IsElement(n, "AlternateContent", kMc)) {
                if (const xmlNode* choice = FirstChoice(n))
                    Inline(choice, depth + 1, text, boxes);
            } else if (IsW(n, "delText") || IsW(n, "del") || IsW(n, "moveFrom") || IsW(n, "pPr")) {
                continue;
            } else if (IsW(n, "hyperlink")) {
                Link(linkTargets.value(AttributeValue(n, "id")));
                Inline(n, depth + 1, text, boxes);
            } else if (IsW(n, "p")) {
                // Block content inside runs (shapes, objects): its own lines.
                Paragraph(n, depth + 1, boxes);
            } else if (IsW(n, "tbl")) {
                Table(n, depth + 1, boxes);
            } else {
                if (IsW(n, "fldSimple"))
                    FieldCode(n, AttributeValue(n, "instr"));
                if (IsW(n, "r"))
                    runBold_ = false;              // until the run's properties say otherwise
                Inline(n, depth + 1, text, boxes); // r, smartTag, fldSimple, ins ...
            }
        }
    }

    void Table(const xmlNode* tbl, int depth, QStringList* lines) {
        for (const xmlNode* row : Children(tbl, "tr", depth)) {
            std::vector<QStringList> cells;
            for (const xmlNode* cell : Children(row, "tc", depth + 1))
                cells.push_back(Block(cell, depth + 2));
            AppendTableRow(std::move(cells), lines);
        }
    }

    ParagraphLayout* paragraph_ = nullptr;
    bool runBold_ = false;

    // The rows of a table or the cells of a row, also inside content controls.
    std::vector<const xmlNode*> Children(const xmlNode* parent, const char* name, int depth) {
        std::vector<const xmlNode*> out;
        if (depth > kMaxXmlDepth) {
            failed = true;
            return out;
        }
        for (const xmlNode* n = parent->children; n; n = n->next) {
            if (IsW(n, name))
                out.push_back(n);
            else if (IsW(n, "sdt") || IsW(n, "sdtContent") || IsW(n, "customXml"))
                for (const xmlNode* c : Children(n, name, depth + 1))
                    out.push_back(c);
        }
        return out;
    }
};

const xmlNode* RootElement(const XmlDocPtr& doc) {
    return doc ? xmlDocGetRootElement(doc.get()) : nullptr;
}

// A part of the package; null when it is missing or not sound XML.
XmlDocPtr ReadPart(ZipArchive& zip, const QString& name) {
    QByteArray bytes;
    if (!zip.Read(name, &bytes, nullptr))
        return {};
    return input::ReadXml(bytes, {name, true});
}

// The relationships of `sourcePart` ("" for the package's own) by id, targets resolved.
QHash<QString, Relationship> ReadRelationships(ZipArchive& zip, const QString& sourcePart) {
    QHash<QString, Relationship> rels;
    const XmlDocPtr doc = ReadPart(zip, input::RelsNameOf(sourcePart));
    for (Relationship& r : input::ReadRelationships(doc.get(), sourcePart))
        rels.insert(r.id, std::move(r));
    return rels;
}

QString ZipMessage(const input::ZipError& e) {
    if (e.kind == input::ZipError::Kind::Encrypted)
        return QStringLiteral("The document is protected by a password.");
    return QStringLiteral("The document's zip package is damaged or unsafe: %1.").arg(e.reason);
}

// The header or footer parts the sections name, in order, each once.
void CollectSectionParts(const xmlNode* node, const char* refName,
                         const QHash<QString, Relationship>& rels, QStringList* parts, int depth) {
    if (depth > kMaxXmlDepth)
        return;
    for (const xmlNode* n = node ? node->children : nullptr; n; n = n->next) {
        if (IsW(n, refName)) {
            const auto it = rels.constFind(AttributeValue(n, "id"));
            if (it != rels.constEnd() && !it->external && !parts->contains(it->target))
                parts->append(it->target);
        } else if (n->type == XML_ELEMENT_NODE) {
            CollectSectionParts(n, refName, rels, parts, depth + 1);
        }
    }
}

// The walker's link targets and the style sheet's type sizes.
void PrepareWalker(ZipArchive& zip, const QHash<QString, Relationship>& rels, StoryWalker& walker) {
    for (auto it = rels.cbegin(); it != rels.cend(); ++it)
        if (it->external && it->type.endsWith(u"/hyperlink"))
            walker.linkTargets.insert(it.key(), it->target);
    for (const Relationship& r : rels)
        if (!r.external && r.type.endsWith(u"/styles") && zip.Contains(r.target))
            if (const XmlDocPtr styles = ReadPart(zip, r.target))
                walker.styleSizes = ReadStyleSizes(RootElement(styles));
}

// Footnotes and endnotes, which follow the body; their separator notes hold no text.
QStringList NoteLines(ZipArchive& zip, const QHash<QString, Relationship>& rels,
                      StoryWalker& walker) {
    QStringList lines;
    for (const Relationship& r : rels) {
        if (r.external || !(r.type.endsWith(u"/footnotes") || r.type.endsWith(u"/endnotes")))
            continue;
        const XmlDocPtr notes = ReadPart(zip, r.target);
        const xmlNode* notesRoot = RootElement(notes);
        for (const xmlNode* n = notesRoot ? notesRoot->children : nullptr; n; n = n->next) {
            if ((IsW(n, "footnote") || IsW(n, "endnote")) && AttributeValue(n, "type").isEmpty())
                lines << walker.Block(n, 1);
        }
    }
    return lines;
}

} // namespace

ActionResult DocxToText(const QByteArray& bytes) {
    ZipArchive zip;
    input::ZipError error;
    if (!zip.Open(bytes, &error))
        return Failed(ZipMessage(error));

    QString mainPart = QStringLiteral("word/document.xml");
    for (const Relationship& r : ReadRelationships(zip, QString())) {
        if (r.type.endsWith(u"/officeDocument") && !r.external && zip.Contains(r.target))
            mainPart = r.target;
    }
    if (!zip.Contains(mainPart)) {
        if (zip.Contains(QStringLiteral("EncryptedPackage")))
            return Failed(QStringLiteral("The document is protected by a password."));
        return Failed(QStringLiteral("The file is a zip package but not a Word document (.docx)."));
    }
    QByteArray xml;
    if (!zip.Read(mainPart, &xml, &error))
        return Failed(ZipMessage(error));
    const XmlDocPtr doc = input::ReadXml(xml, {mainPart, true});
    const xmlNode* root = RootElement(doc);
    if (!root)
        return Failed(QStringLiteral("The Word document is damaged: its main part is not "
                                     "well-formed XML."));
    const xmlNode* body = nullptr;
    for (const xmlNode* n = root->children; n && !body; n = n->next) {
        if (IsW(n, "body"))
            body = n;
    }

    const QHash<QString, Relationship> rels = ReadRelationships(zip, mainPart);
    QStringList headerParts, footerParts;
    CollectSectionParts(body, "headerReference", rels, &headerParts, 0);
    CollectSectionParts(body, "footerReference", rels, &footerParts, 0);

    StoryWalker walker;
    PrepareWalker(zip, rels, walker);
    QStringList seenStories;
    auto storyLines = [&](const QString& part) {
        const XmlDocPtr partDoc = ReadPart(zip, part);
        if (!partDoc)
            return QStringList();
        QStringList lines = walker.Block(RootElement(partDoc), 0);
        // First-page and even-page headers often repeat the default one.
        const QString joined = lines.join(u'\n').trimmed();
        if (joined.isEmpty() || seenStories.contains(joined))
            return QStringList();
        seenStories << joined;
        return lines;
    };

    QStringList lines;
    for (const QString& part : headerParts)
        lines << storyLines(part) << QString();
    lines << walker.Block(body, 0);
    lines << NoteLines(zip, rels, walker);
    for (const QString& part : footerParts)
        lines << QString() << storyLines(part);
    if (walker.failed)
        return Failed(QStringLiteral("The Word document is nested too deeply to be a resume."));
    return Succeeded(lines.join(u'\n'), QStringLiteral("The Word document contains no text."),
                     std::make_shared<DocumentLayout>(DocumentLayout{std::move(walker.layout)}));
}

} // namespace zorv::rp::convert
