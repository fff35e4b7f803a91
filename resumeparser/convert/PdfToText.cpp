// poppler-cpp glue: the words of every page with their boxes, handed to PdfLayout.
#include "PdfToText.h"

#include "ConvertText.h"
#include "ImageToText.h"
#include "PdfLayout.h"

#include <QRegularExpression>
#include <cmath>
#include <leptonica/allheaders.h>
#include <limits>
#include <memory>
#include <mutex>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
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

std::vector<PdfWord> PageWords(const poppler::page& page) {
    std::vector<PdfWord> words;
    for (const poppler::text_box& box : page.text_list()) {
        const poppler::rectf b = box.bbox();
        words.push_back(PdfWord{ToQString(box.text()), b.left(), b.top(), b.right(), b.bottom(),
                                box.has_space_after()});
    }
    return words;
}

qsizetype CountLettersAndDigits(const std::vector<PdfWord>& words) {
    qsizetype n = 0;
    for (const PdfWord& w : words)
        n += std::count_if(w.text.begin(), w.text.end(),
                           [](QChar c) { return c.isLetterOrNumber(); });
    return n;
}

// A scanned page carries a few stray characters at most (a stamped page number).
constexpr qsizetype kMinUsableTextLayer = 20;
constexpr double kPointsPerInch = 72.0;
// A page rendered coarser than this is unreadable: such a page is refused.
constexpr int kMinRenderDpi = 70;
// An image whose proportions match the page's this closely fills the page.
constexpr double kAspectTolerance = 0.03;

struct ImageSize {
    double width, height;
};

// The pixel sizes of the image objects whose dictionaries are in plain sight (not packed
// in compressed object streams): enough to know what a scanner put on its pages.
std::vector<ImageSize> PlainImageSizes(const QByteArray& pdf) {
    constexpr qsizetype kDictReach = 2000;
    static const QRegularExpression width(QStringLiteral("/Width\\s+(\\d{1,6})"));
    static const QRegularExpression height(QStringLiteral("/Height\\s+(\\d{1,6})"));
    static const QRegularExpression image(QStringLiteral("/Subtype\\s*/Image"));
    std::vector<ImageSize> sizes;
    const QString text = QString::fromLatin1(pdf);
    for (auto it = image.globalMatch(text); it.hasNext();) {
        const qsizetype at = it.next().capturedStart();
        // The object around the match: from its "obj" to its stream or its end.
        const qsizetype from = std::max(text.lastIndexOf(u"obj", at), at - kDictReach);
        qsizetype to = text.indexOf(u"stream", at);
        if (to < 0 || to > at + kDictReach)
            to = std::min(text.size(), at + kDictReach);
        const QString dict = text.mid(from, to - from);
        const auto w = width.match(dict), h = height.match(dict);
        if (w.hasMatch() && h.hasMatch())
            sizes.push_back({w.captured(1).toDouble(), h.captured(1).toDouble()});
    }
    return sizes;
}

// The resolution of the scan a page holds (an image with the page's proportions), capped
// at kMaxOcrDpi; kMaxOcrDpi when no image tells.
int ScanDpi(const std::vector<ImageSize>& images, double widthIn, double heightIn) {
    double best = 0;
    for (const ImageSize& image : images) {
        for (const bool turned : {false, true}) {
            const double w = turned ? image.height : image.width;
            const double h = turned ? image.width : image.height;
            if (std::abs(w / h - widthIn / heightIn) <= kAspectTolerance * widthIn / heightIn)
                best = std::max(best, w / widthIn);
        }
    }
    if (best <= 0)
        return kMaxOcrDpi;
    return std::clamp(static_cast<int>(std::lround(best)), kMinRenderDpi, kMaxOcrDpi);
}

// Copies poppler's gray bitmap into a leptonica image.
PixPtr ToPix(const poppler::image& image) {
    PixPtr pix{pixCreate(image.width(), image.height(), 8)};
    if (!pix)
        return nullptr;
    const char* src = image.const_data();
    l_uint32* dst = pixGetData(pix.get());
    const l_int32 wpl = pixGetWpl(pix.get());
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(src + static_cast<ptrdiff_t>(y) *
                                                                           image.bytes_per_row());
        l_uint32* line = dst + static_cast<ptrdiff_t>(y) * wpl;
        for (int x = 0; x < image.width(); ++x)
            SET_DATA_BYTE(line, x, row[x]);
    }
    return pix;
}

// Renders page `index` for OCR at its scan's resolution, coarser when the page is so large
// that its pixels would pass the OCR budget; refuses a page that would be unreadably coarse.
PixPtr RenderPage(poppler::document& doc, int index, int dpi, int* usedDpi, QString* error) {
    const std::unique_ptr<poppler::page> page(doc.create_page(index));
    if (!page) {
        *error = QStringLiteral("Page %1 of the PDF file cannot be read.").arg(index + 1);
        return nullptr;
    }
    const poppler::rectf rect = page->page_rect();
    const double widthIn = rect.width() / kPointsPerInch, heightIn = rect.height() / kPointsPerInch;
    const double fitting =
        std::sqrt(static_cast<double>(kMaxOcrPixels) / std::max(widthIn * heightIn, 1e-6));
    dpi = std::min(dpi, static_cast<int>(fitting));
    if (dpi < kMinRenderDpi) {
        *error =
            QStringLiteral("Page %1 of the PDF file measures %2 x %3 inches, too large to read "
                           "by OCR.")
                .arg(index + 1)
                .arg(std::lround(widthIn))
                .arg(std::lround(heightIn));
        return nullptr;
    }
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    renderer.set_image_format(poppler::image::format_gray8);
    const poppler::image image = renderer.render_page(page.get(), dpi, dpi);
    PixPtr pix = image.is_valid() ? ToPix(image) : nullptr;
    if (!pix)
        *error = QStringLiteral("Page %1 of the PDF file cannot be rendered.").arg(index + 1);
    *usedDpi = dpi;
    return pix;
}

// Reads the listed pages by OCR into `pages`; a page where OCR finds less than the text
// layer held keeps the text layer. Returns a message when OCR failed.
QString OcrPages(const QByteArray& bytes, poppler::document& doc, const std::vector<int>& indices,
                 const std::vector<std::vector<PdfWord>>& textLayers, std::vector<PdfPage>* pages,
                 const OcrSettings& settings) {
    if (static_cast<int>(indices.size()) > kMaxOcrPages)
        return QStringLiteral("The PDF file has %1 scanned pages, too many to read by OCR (at "
                              "most %2).")
            .arg(indices.size())
            .arg(kMaxOcrPages);
    const std::vector<ImageSize> images = PlainImageSizes(bytes);
    const PageLoader load = [&](int i, int* dpi, QString* error) {
        const int index = indices[static_cast<size_t>(i)];
        const std::unique_ptr<poppler::page> page(doc.create_page(index));
        const poppler::rectf rect = page ? page->page_rect() : poppler::rectf();
        const int scanDpi =
            rect.width() > 0 && rect.height() > 0
                ? ScanDpi(images, rect.width() / kPointsPerInch, rect.height() / kPointsPerInch)
                : kMaxOcrDpi;
        return RenderPage(doc, index, scanDpi, dpi, error);
    };
    OcrResult result = RecognizePages(static_cast<int>(indices.size()), load, settings);
    if (!result.error.isEmpty())
        return result.error;
    for (size_t i = 0; i < indices.size(); ++i) {
        const size_t index = static_cast<size_t>(indices[i]);
        if (CountLettersAndDigits(result.pages[i].words) > CountLettersAndDigits(textLayers[index]))
            (*pages)[index] = LayOutOcrPage(std::move(result.pages[i]));
    }
    return {};
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
        const QString error = OcrPages(bytes, *doc, scanned, textLayers, &pages, ocr);
        if (!error.isEmpty())
            return Failed(error);
    }
    const QStringList lines = RepairLigaturesAndHyphens(JoinPages(pages));
    return Succeeded(lines.join(u'\n'),
                     QStringLiteral("The PDF file contains no text (it may be a scanned image)."));
}

} // namespace zorv::rp::convert
