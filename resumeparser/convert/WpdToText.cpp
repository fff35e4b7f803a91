// libwpd glue: a text interface that collects paragraphs, cells, headers and footers.
#include "WpdToText.h"

#include "ConvertText.h"

#include <QStringList>
#include <librevenge-stream/librevenge-stream.h>
#include <librevenge/librevenge.h>
#include <libwpd/libwpd.h>

namespace zorv::rp::convert {

namespace {

using librevenge::RVNGPropertyList;

class TextCollector : public librevenge::RVNGTextInterface {
public:
    QString Text() const {
        QStringList out;
        out << headers_ << body_.join(QString()) << footers_;
        return out.join(u'\n');
    }

    void openHeader(const RVNGPropertyList&) override { Divert(); }
    void closeHeader() override { Restore(&headers_); }
    void openFooter(const RVNGPropertyList&) override { Divert(); }
    void closeFooter() override { Restore(&footers_); }

    void openParagraph(const RVNGPropertyList&) override {}
    void closeParagraph() override { Add(inCell_ ? QStringLiteral(" ") : QStringLiteral("\n")); }
    void insertTab() override { Add(QStringLiteral("\t")); }
    void insertSpace() override { Add(QStringLiteral(" ")); }
    void insertText(const librevenge::RVNGString& text) override {
        Add(QString::fromUtf8(text.cstr(), static_cast<qsizetype>(text.size())));
    }
    void insertLineBreak() override { Add(inCell_ ? QStringLiteral(" ") : QStringLiteral("\n")); }
    void openTableRow(const RVNGPropertyList&) override { firstCell_ = true; }
    void closeTableRow() override { Add(QStringLiteral("\n")); }
    void openTableCell(const RVNGPropertyList&) override {
        if (!firstCell_)
            Add(QStringLiteral("\t"));
        firstCell_ = false;
        ++inCell_;
    }
    void closeTableCell() override { --inCell_; }
    void insertCoveredTableCell(const RVNGPropertyList&) override { Add(QStringLiteral("\t")); }
    void openTextBox(const RVNGPropertyList&) override { Add(QStringLiteral("\n")); }
    void closeTextBox() override { Add(QStringLiteral("\n")); }
    void openListElement(const RVNGPropertyList&) override {}
    void closeListElement() override { Add(QStringLiteral("\n")); }
    void openFootnote(const RVNGPropertyList&) override { Add(QStringLiteral(" ")); }
    void openEndnote(const RVNGPropertyList&) override { Add(QStringLiteral(" ")); }

    // Structure and styling that carry no text.
    void setDocumentMetaData(const RVNGPropertyList&) override {}
    void startDocument(const RVNGPropertyList&) override {}
    void endDocument() override {}
    void definePageStyle(const RVNGPropertyList&) override {}
    void defineEmbeddedFont(const RVNGPropertyList&) override {}
    void openPageSpan(const RVNGPropertyList&) override {}
    void closePageSpan() override {}
    void defineParagraphStyle(const RVNGPropertyList&) override {}
    void defineCharacterStyle(const RVNGPropertyList&) override {}
    void openSpan(const RVNGPropertyList&) override {}
    void closeSpan() override {}
    void openLink(const RVNGPropertyList&) override {}
    void closeLink() override {}
    void defineSectionStyle(const RVNGPropertyList&) override {}
    void openSection(const RVNGPropertyList&) override {}
    void closeSection() override {}
    void insertField(const RVNGPropertyList&) override {}
    void openOrderedListLevel(const RVNGPropertyList&) override {}
    void openUnorderedListLevel(const RVNGPropertyList&) override {}
    void closeOrderedListLevel() override {}
    void closeUnorderedListLevel() override {}
    void closeFootnote() override {}
    void closeEndnote() override {}
    void openComment(const RVNGPropertyList&) override { Divert(); }
    void closeComment() override { Restore(nullptr); }
    void openTable(const RVNGPropertyList&) override {}
    void closeTable() override {}
    void openFrame(const RVNGPropertyList&) override {}
    void closeFrame() override {}
    void insertBinaryObject(const RVNGPropertyList&) override {}
    void insertEquation(const RVNGPropertyList&) override {}
    void openGroup(const RVNGPropertyList&) override {}
    void closeGroup() override {}
    void defineGraphicStyle(const RVNGPropertyList&) override {}
    void drawRectangle(const RVNGPropertyList&) override {}
    void drawEllipse(const RVNGPropertyList&) override {}
    void drawPolygon(const RVNGPropertyList&) override {}
    void drawPolyline(const RVNGPropertyList&) override {}
    void drawPath(const RVNGPropertyList&) override {}
    void drawConnector(const RVNGPropertyList&) override {}

private:
    void Add(const QString& text) {
        if (divertDepth_ > 0)
            diverted_ += text;
        else
            body_ << text;
    }
    void Divert() {
        if (divertDepth_++ == 0)
            diverted_.clear();
    }
    // Headers and footers repeat on every page span: each distinct one is kept once.
    void Restore(QStringList* into) {
        if (divertDepth_ == 0 || --divertDepth_ > 0)
            return;
        const QString text = diverted_.trimmed();
        if (into && !text.isEmpty() && !into->contains(text))
            into->append(text);
        diverted_.clear();
    }

    QStringList body_;
    QStringList headers_;
    QStringList footers_;
    QString diverted_;
    int divertDepth_ = 0;
    int inCell_ = 0;
    bool firstCell_ = true;
};

} // namespace

ActionResult WpdToText(const QByteArray& bytes) {
    librevenge::RVNGStringStream stream(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                        static_cast<unsigned>(bytes.size()));
    const libwpd::WPDConfidence confidence = libwpd::WPDocument::isFileFormatSupported(&stream);
    if (confidence == libwpd::WPD_CONFIDENCE_NONE)
        return Failed(QStringLiteral("The file is not a WordPerfect document libwpd can read."));
    if (confidence == libwpd::WPD_CONFIDENCE_UNSUPPORTED_ENCRYPTION ||
        confidence == libwpd::WPD_CONFIDENCE_SUPPORTED_ENCRYPTION)
        return Failed(QStringLiteral("The WordPerfect document is protected by a password."));
    stream.seek(0, librevenge::RVNG_SEEK_SET);
    TextCollector collector;
    libwpd::WPDResult result = libwpd::WPD_UNKNOWN_ERROR;
    try {
        result = libwpd::WPDocument::parse(&stream, &collector, nullptr);
    } catch (...) {
        result = libwpd::WPD_PARSE_ERROR;
    }
    switch (result) {
    case libwpd::WPD_OK:
        break;
    case libwpd::WPD_UNSUPPORTED_ENCRYPTION_ERROR:
    case libwpd::WPD_PASSWORD_MISSMATCH_ERROR:
        return Failed(QStringLiteral("The WordPerfect document is protected by a password."));
    default:
        return Failed(QStringLiteral("The WordPerfect document is damaged or in an unsupported "
                                     "version."));
    }
    return Succeeded(collector.Text(),
                     QStringLiteral("The WordPerfect document contains no text."));
}

} // namespace zorv::rp::convert
