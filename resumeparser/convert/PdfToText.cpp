// poppler-cpp glue: the words of every page with their boxes, handed to PdfLayout.
#include "PdfToText.h"

#include "ConvertText.h"
#include "PdfLayout.h"
#include "PdfScanPages.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

namespace zorv::rp::convert {

namespace {

// A resume has a few pages; a document with hundreds is something else.
constexpr int kMaxPages = 100;

void IgnorePopplerMessage(const std::string&, void*) {}

void SilencePoppler() {
    static std::once_flag once;
    std::call_once(once, [] { poppler::set_debug_error_function(IgnorePopplerMessage, nullptr); });
}

QString ToQString(const poppler::ustring& text) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()),
                              static_cast<qsizetype>(text.size()));
}

// The type size as the page shows it: the declared font size says little where a PDF sets
// every font at size 1 and scales its text matrix instead.
double GlyphHeight(const poppler::rectf& box) {
    return std::max(0.0, box.bottom() - box.top());
}

std::vector<PdfWord> PageWords(const poppler::page& page) {
    std::vector<PdfWord> words;
    for (const poppler::text_box& box : page.text_list()) {
        const poppler::rectf b = box.bbox();
        words.push_back(PdfWord{ToQString(box.text()), b.left(), b.top(), b.right(), b.bottom(),
                                box.has_space_after(), GlyphHeight(b)});
    }
    return words;
}

} // namespace

ActionResult PdfToText(const QByteArray& bytes, const OcrSettings& ocr) {
    SilencePoppler();
    if (bytes.size() > std::numeric_limits<int>::max())
        return Failed(QStringLiteral("The PDF file is too large."));
    // poppler reads the bytes in place: they outlive the document.
    std::unique_ptr<poppler::document> doc(
        poppler::document::load_from_raw_data(bytes.constData(), static_cast<int>(bytes.size())));
    if (!doc)
        return Failed(QStringLiteral("The PDF file is damaged and cannot be read."));
    if (doc->is_locked())
        return Failed(QStringLiteral("The PDF file is protected by a password."));
    const int count = doc->pages();
    if (count <= 0)
        return Failed(QStringLiteral("The PDF file has no pages."));
    if (count > kMaxPages)
        return Failed(
            QStringLiteral("The PDF file has %1 pages, too many for a resume.").arg(count));

    std::vector<PdfPage> pages(static_cast<size_t>(count));
    std::vector<std::vector<PdfWord>> textLayers(static_cast<size_t>(count));
    std::vector<int> scanned;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        if (!page)
            continue;
        const poppler::rectf rect = page->page_rect(poppler::media_box);
        std::vector<PdfWord>& words = textLayers[static_cast<size_t>(i)];
        words = PageWords(*page);
        if (CountLettersAndDigits(words) < kMinUsableTextLayer)
            scanned.push_back(i);
        pages[static_cast<size_t>(i)] = PdfPage{LayOutPage(words, rect.width()), rect.height()};
    }
    if (!scanned.empty()) {
        const QString error = ReadScannedPages(bytes, *doc, scanned, textLayers, &pages, ocr);
        if (!error.isEmpty())
            return Failed(error);
    }
    auto layout = std::make_shared<DocumentLayout>();
    const QStringList lines = RepairLigaturesAndHyphens(JoinPages(pages, &layout->lines));
    for (LayoutLine& line : layout->lines)
        line.text = RepairLigaturesAndHyphens({line.text}).front();
    return Succeeded(lines.join(u'\n'),
                     QStringLiteral("The PDF file contains no text (it may be a scanned image)."),
                     std::move(layout));
}

} // namespace zorv::rp::convert
