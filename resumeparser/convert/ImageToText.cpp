// Image files to text: header checks against decompression bombs and page floods, then
// one OCR'd page per image (per directory of a TIFF).
#include "ImageToText.h"

#include "ConvertText.h"

#include <cstdio>
#include <leptonica/allheaders.h>

namespace zorv::rp::convert {

namespace {

struct FileDeleter {
    void operator()(FILE* file) const { std::fclose(file); }
};

const l_uint8* Data(const QByteArray& bytes) {
    return reinterpret_cast<const l_uint8*>(bytes.constData());
}

size_t Size(const QByteArray& bytes) {
    return static_cast<size_t>(bytes.size());
}

QString TypeName(FileType type) {
    switch (type) {
    case FileType::Png:
        return QStringLiteral("PNG");
    case FileType::Jpeg:
        return QStringLiteral("JPEG");
    default:
        return QStringLiteral("TIFF");
    }
}

// Refuses sizes whose pixels would not fit the OCR budget, before decoding.
QString CheckDimensions(l_int32 width, l_int32 height) {
    if (width <= 0 || height <= 0)
        return QStringLiteral("The image has no pixels.");
    if (static_cast<qint64>(width) * height > kMaxOcrPixels)
        return QStringLiteral("The image is %1 x %2 pixels, too large to read (at most %3 "
                              "million pixels).")
            .arg(width)
            .arg(height)
            .arg(kMaxOcrPixels / 1'000'000);
    return {};
}

// A JPEG ends with its end-of-image marker, give or take trailing padding. libjpeg would
// print a warning for a file cut short and fill the rest with gray.
bool HasJpegEnd(const QByteArray& bytes) {
    constexpr qsizetype kTailReach = 4096;
    return bytes.right(kTailReach).contains(QByteArrayView("\xFF\xD9", 2));
}

// The number of pages of a TIFF, or -1 when its directories cannot be read.
int TiffPageCount(const QByteArray& bytes) {
    const std::unique_ptr<FILE, FileDeleter> file(fopenReadFromMemory(Data(bytes), Size(bytes)));
    l_int32 count = 0;
    if (!file || tiffGetCount(file.get(), &count) != 0)
        return -1;
    return count;
}

PixPtr LoadPage(const QByteArray& bytes, FileType type, int index, QString* error) {
    const QString damaged =
        QStringLiteral("The %1 image is damaged or cut short.").arg(TypeName(type));
    l_int32 w = 0, h = 0, bps = 0, spp = 0, res = 0, cmap = 0, format = 0;
    const bool header =
        type == FileType::Tiff
            ? readHeaderMemTiff(Data(bytes), Size(bytes), index, &w, &h, &bps, &spp, &res, &cmap,
                                &format) == 0
            : pixReadHeaderMem(Data(bytes), Size(bytes), &format, &w, &h, &bps, &spp, &cmap) == 0;
    if (!header) {
        *error = damaged;
        return nullptr;
    }
    *error = CheckDimensions(w, h);
    if (!error->isEmpty())
        return nullptr;
    PixPtr pix;
    if (type == FileType::Jpeg) {
        if (!HasJpegEnd(bytes)) {
            *error = damaged;
            return nullptr;
        }
        // Other damage libjpeg only warns about; a warning is a refusal.
        l_int32 warnings = 0;
        pix.reset(pixReadMemJpeg(Data(bytes), Size(bytes), 0, 1, &warnings, 0));
        if (warnings > 0)
            pix.reset();
    } else if (type == FileType::Tiff) {
        pix.reset(pixReadMemTiff(Data(bytes), Size(bytes), index));
    } else {
        pix.reset(pixReadMemPng(Data(bytes), Size(bytes)));
    }
    if (!pix)
        *error = damaged;
    return pix;
}

} // namespace

ActionResult OcrPagesToText(std::vector<OcrPage> pages, const QString& noTextMessage) {
    std::vector<PdfPage> laidOut;
    for (OcrPage& page : pages)
        laidOut.push_back(LayOutOcrPage(std::move(page)));
    return Succeeded(RepairLigaturesAndHyphens(JoinPages(laidOut)).join(u'\n'), noTextMessage);
}

ActionResult ImageToText(const QByteArray& bytes, FileType type, const OcrSettings& settings) {
    int pages = 1;
    if (type == FileType::Tiff) {
        pages = TiffPageCount(bytes);
        if (pages <= 0)
            return Failed(QStringLiteral("The TIFF image is damaged or cut short."));
        if (pages > kMaxOcrPages)
            return Failed(QStringLiteral("The TIFF image has %1 pages, too many for a resume (at "
                                         "most %2).")
                              .arg(pages)
                              .arg(kMaxOcrPages));
    }
    const PageLoader load = [&](int index, int* dpi, QString* error) {
        PixPtr pix = LoadPage(bytes, type, index, error);
        if (pix)
            *dpi = pixGetXRes(pix.get());
        return pix;
    };
    OcrResult result = RecognizePages(pages, load, settings);
    if (!result.error.isEmpty())
        return Failed(result.error);
    return OcrPagesToText(std::move(result.pages),
                          QStringLiteral("The image contains no text that could be read."));
}

} // namespace zorv::rp::convert
