// Scanned PDF pages: rendered by poppler at the resolution of the scan they hold and read
// by OCR.
#include "PdfScanPages.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <leptonica/allheaders.h>
#include <memory>
#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

namespace zorv::rp::convert {

qsizetype CountLettersAndDigits(const std::vector<PdfWord>& words) {
    qsizetype n = 0;
    for (const PdfWord& w : words)
        n += std::count_if(w.text.begin(), w.text.end(),
                           [](QChar c) { return c.isLetterOrNumber(); });
    return n;
}

namespace {

constexpr double kPointsPerInch = 72.0;
// A page rendered coarser than this is unreadable: such a page is refused.
constexpr int kMinRenderDpi = 70;
// An image whose proportions match the page's this closely fills the page.
constexpr double kAspectTolerance = 0.03;
// Poppler decodes every pixel of an image it draws, however small the page: an image of
// billions of pixels (a bomb of a few hundred bytes) would take it minutes. A page scanned
// at 1200 dpi on A4 has 140 million.
constexpr double kMaxPdfImagePixels = 150'000'000;

struct ImageSize {
    double width, height;
};

// The PDF's bytes as text, with the "#xx" escapes of names ("/W#69dth") spelled out.
QString NamesSpelledOut(const QByteArray& pdf) {
    static const QRegularExpression escape(QStringLiteral("#([0-9A-Fa-f]{2})"));
    QString text = QString::fromLatin1(pdf);
    if (!pdf.contains('#'))
        return text;
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(text).sliced(from, m.capturedStart() - from);
        out += QChar(m.captured(1).toUShort(nullptr, 16));
        from = m.capturedEnd();
    }
    out += QStringView(text).sliced(from);
    return out;
}

// The pixel sizes of the image objects whose dictionaries are in plain sight (an image is
// a stream, and streams are never packed in object streams): enough to know what a scanner
// put on its pages. Sizes given by reference are not known.
std::vector<ImageSize> PlainImageSizes(const QByteArray& pdf) {
    constexpr qsizetype kDictReach = 2000;
    static const QRegularExpression width(QStringLiteral("/Width\\s+(\\d++)(?!\\s+\\d+\\s+R)"));
    static const QRegularExpression height(QStringLiteral("/Height\\s+(\\d++)(?!\\s+\\d+\\s+R)"));
    static const QRegularExpression image(QStringLiteral("/Subtype\\s*/Image"));
    std::vector<ImageSize> sizes;
    const QString text = NamesSpelledOut(pdf);
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
    if (widthIn <= 0 || heightIn <= 0)
        return kMaxOcrDpi;
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
PixPtr RenderPage(poppler::document& doc, int index, const std::vector<ImageSize>& images,
                  int* usedDpi, QString* error) {
    const std::unique_ptr<poppler::page> page(doc.create_page(index));
    if (!page) {
        *error = QStringLiteral("Page %1 of the PDF file cannot be read.").arg(index + 1);
        return nullptr;
    }
    const poppler::rectf rect = page->page_rect();
    const double widthIn = rect.width() / kPointsPerInch, heightIn = rect.height() / kPointsPerInch;
    const double fitting =
        std::sqrt(static_cast<double>(kMaxOcrPixels) / std::max(widthIn * heightIn, 1e-6));
    const int dpi = std::min(ScanDpi(images, widthIn, heightIn), static_cast<int>(fitting));
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

} // namespace

QString ReadScannedPages(const QByteArray& bytes, poppler::document& doc,
                         const std::vector<int>& indices,
                         const std::vector<std::vector<PdfWord>>& textLayers,
                         std::vector<PdfPage>* pages, const OcrSettings& settings) {
    if (static_cast<int>(indices.size()) > kMaxOcrPages)
        return QStringLiteral("The PDF file has %1 scanned pages, too many to read by OCR (at "
                              "most %2).")
            .arg(indices.size())
            .arg(kMaxOcrPages);
    const std::vector<ImageSize> images = PlainImageSizes(bytes);
    for (const ImageSize& image : images)
        if (image.width * image.height > kMaxPdfImagePixels)
            return QStringLiteral("The PDF file holds an image of %1 x %2 pixels, too large to "
                                  "read by OCR.")
                .arg(image.width, 0, 'f', 0)
                .arg(image.height, 0, 'f', 0);
    const PageLoader load = [&](int i, int* dpi, QString* error) {
        return RenderPage(doc, indices[static_cast<size_t>(i)], images, dpi, error);
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

} // namespace zorv::rp::convert
