// HTML to text over libxml2's HTML parser.
#include "HtmlToText.h"

#include "ConvertText.h"
#include "TextDecoding.h"
#include "XmlInput.h"

#include <QRegularExpression>
#include <QSet>
#include <libxml/tree.h>

namespace zorv::rp::convert {

namespace {

const QSet<QString>& SkippedElements() {
    // A <noscript> block is kept: it holds what a page shows without scripts, often the
    // e-mail address that a script would write.
    static const QSet<QString> names{"script", "style",  "head",   "template", "svg",
                                     "iframe", "object", "select", "math"};
    return names;
}

const QSet<QString>& BlockElements() {
    static const QSet<QString> names{
        "address", "article", "aside", "blockquote", "body",  "caption",  "center",     "dd",
        "details", "dialog",  "div",   "dl",         "dt",    "fieldset", "figcaption", "figure",
        "footer",  "form",    "h1",    "h2",         "h3",    "h4",       "h5",         "h6",
        "header",  "hr",      "li",    "main",       "nav",   "ol",       "p",          "pre",
        "section", "summary", "table", "tbody",      "thead", "tfoot",    "tr",         "ul",
        "html",    "legend",  "option"};
    return names;
}

class HtmlWalker {
public:
    bool Walk(const xmlNode* node, int depth) {
        if (depth > kMaxXmlDepth)
            return false;
        for (const xmlNode* n = node; n; n = n->next) {
            if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
                AddText(QString::fromUtf8(reinterpret_cast<const char*>(n->content)));
                continue;
            }
            if (n->type != XML_ELEMENT_NODE)
                continue;
            const QString name =
                QString::fromUtf8(reinterpret_cast<const char*>(n->name)).toLower();
            if (SkippedElements().contains(name))
                continue;
            if (name == u"br") {
                BreakLine(true);
                continue;
            }
            if (name == u"tr") {
                if (!Row(n, depth))
                    return false;
                continue;
            }
            const bool block = BlockElements().contains(name);
            if (block)
                BreakLine(false);
            const bool pre = name == u"pre";
            preDepth_ += pre;
            const Style outer = style_;
            EnterStyle(n, name);
            if (!Walk(n->children, depth + 1))
                return false;
            style_ = outer;
            preDepth_ -= pre;
            if (block)
                BreakLine(false);
        }
        return true;
    }

    QStringList Lines() {
        BreakLine(false);
        return lines_;
    }

    // The lines with their type sizes and links, once Lines() has ended the last one.
    std::vector<LayoutLine>& Layout() { return layout_; }

private:
    // A table row: each cell walked on its own, then laid out as a row or as columns.
    bool Row(const xmlNode* tr, int depth) {
        BreakLine(false);
        std::vector<QStringList> cells;
        for (const xmlNode* c = tr->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE)
                continue;
            const QString name =
                QString::fromUtf8(reinterpret_cast<const char*>(c->name)).toLower();
            if (name != u"td" && name != u"th")
                continue;
            HtmlWalker cell;
            cell.preDepth_ = preDepth_;
            if (!cell.Walk(c->children, depth + 2))
                return false;
            cells.push_back(cell.Lines());
            for (LayoutLine& line : cell.Layout())
                layout_.push_back(std::move(line));
        }
        AppendTableRow(std::move(cells), &lines_);
        return true;
    }

    void AddText(const QString& raw) {
        if (preDepth_ > 0) {
            const QStringList parts = raw.split(u'\n');
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0)
                    BreakLine(true);
                line_ += parts[i];
            }
            return;
        }
        static const QRegularExpression space(QStringLiteral("[ \\t\\r\\n\\f]+"));
        QString text = raw;
        text.replace(space, QStringLiteral(" "));
        if (!text.trimmed().isEmpty()) {
            lineSize_ = std::max(lineSize_, style_.size);
            lineBold_ = lineBold_ && style_.bold;
        }
        if (text.startsWith(u' ') &&
            (line_.isEmpty() || line_.endsWith(u' ') || line_.endsWith(u'\t')))
            text.remove(0, 1);
        line_ += text;
    }

    struct Style {
        double size = kBodySize;
        bool bold = false;
    };

    // Headings in the sizes browsers give them by default; links kept for the parser.
    void EnterStyle(const xmlNode* n, const QString& name) {
        static const double kHeadingScale[] = {2.0, 1.5, 1.17, 1.0, 0.83, 0.67};
        if (name.size() == 2 && name[0] == u'h' && name[1] >= u'1' && name[1] <= u'6') {
            style_.size = kBodySize * kHeadingScale[name[1].unicode() - u'1'];
            style_.bold = true;
        } else if (name == u"b" || name == u"strong" || name == u"th") {
            style_.bold = true;
        } else if (name == u"a") {
            const QString href = input::AttributeValue(n, "href").trimmed();
            if (!href.isEmpty() && !href.startsWith(u'#') && links_.size() < kMaxLinksPerLine)
                links_ << href;
        }
    }

    // Ends the current line; a block boundary adds no empty line, a <br> does.
    void BreakLine(bool forced) {
        if (!line_.trimmed().isEmpty() || forced) {
            lines_ << line_;
            if (!line_.trimmed().isEmpty() || !links_.isEmpty())
                layout_.push_back(
                    LayoutLine{line_.trimmed(), lineSize_ > 0 ? lineSize_ : style_.size,
                               lineBold_ && lineSize_ > 0, 0, double(lines_.size()), 0, links_});
        }
        line_.clear();
        links_.clear();
        lineSize_ = 0;
        lineBold_ = true;
    }

    static constexpr double kBodySize = 12;
    static constexpr qsizetype kMaxLinksPerLine = 20;
    QStringList lines_;
    QString line_;
    int preDepth_ = 0;
    Style style_;
    double lineSize_ = 0; // largest size of the line's text so far; 0: no text yet
    bool lineBold_ = true;
    QStringList links_;
    std::vector<LayoutLine> layout_;
};

QByteArray DeclaredOrDetectedEncoding(QByteArrayView bytes) {
    const QByteArray head =
        bytes.first(std::min<qsizetype>(bytes.size(), 4096)).toByteArray().toLower();
    const QByteArray found = DetectEncoding(bytes);
    // A byte-order mark or UTF-16 wins; otherwise the page's own charset declaration.
    if (found.startsWith("UTF-16") || found.startsWith("UTF-32") ||
        bytes.startsWith("\xEF\xBB\xBF"))
        return found;
    if (head.contains("charset"))
        return {};
    return found;
}

} // namespace

ActionResult HtmlToText(QByteArrayView bytes) {
    const input::XmlDocPtr doc = input::ReadHtml(bytes, DeclaredOrDetectedEncoding(bytes));
    if (!doc)
        return Failed(QStringLiteral("The HTML file cannot be read."));
    HtmlWalker walker;
    if (!walker.Walk(doc->children, 0))
        return Failed(QStringLiteral("The HTML file is nested too deeply to be a resume."));
    return Succeeded(walker.Lines().join(u'\n'), QStringLiteral("The HTML file contains no text."),
                     std::make_shared<DocumentLayout>(DocumentLayout{std::move(walker.Layout())}));
}

} // namespace zorv::rp::convert
