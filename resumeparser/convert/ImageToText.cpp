// Image files to text: header checks against decompression bombs and page floods, then
// one OCR'd page per image (per directory of a TIFF).
#include "ImageToText.h"

#include "ConvertText.h"

#include <QtEndian>
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

// A JPEG's header segments run whole up to the scan data, and the file ends with the
// end-of-image marker (give or take padding). libjpeg would print a warning for a file cut
// short or a broken header and fill the picture with gray: such files are refused first.
bool JpegIsWhole(const QByteArray& bytes) {
    constexpr qsizetype kTailReach = 4096;
    constexpr unsigned char kStartOfScan = 0xDA, kFirstRestart = 0xD0, kLastRestart = 0xD7;
    if (!bytes.right(kTailReach).contains(QByteArrayView("\xFF\xD9", 2)))
        return false;
    qsizetype at = 2; // after the start-of-image marker
    while (at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(bytes[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == kStartOfScan)
            return true;
        if (marker >= kFirstRestart && marker <= kLastRestart) {
            at += 2;
            continue;
        }
        at += 2 + qFromBigEndian<quint16>(bytes.constData() + at + 2);
    }
    return false;
}

// A PNG's chunks run whole up to its end chunk. libpng reports a file cut short on
// standard error before it fails: such files are refused before they reach it.
bool PngIsWhole(const QByteArray& bytes) {
    constexpr qsizetype kSignature = 8, kChunkFrame = 12; // length, type, checksum
    qsizetype at = kSignature;
    while (at + kChunkFrame <= bytes.size()) {
        const qsizetype length = qFromBigEndian<quint32>(bytes.constData() + at);
        if (length > bytes.size() - at - kChunkFrame)
            return false;
        if (QByteArrayView(bytes).sliced(at + 4, 4) == "IEND")
            return true;
        at += kChunkFrame + length;
    }
    return false;
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
    *error = QStringLiteral("The %1 image is damaged or cut short.").arg(TypeName(type));
    if ((type == FileType::Jpeg && !JpegIsWhole(bytes)) ||
        (type == FileType::Png && !PngIsWhole(bytes)))
        return nullptr;
    l_int32 w = 0, h = 0, bps = 0, spp = 0, res = 0, cmap = 0, format = 0;
    const bool header =
        type == FileType::Tiff
            ? readHeaderMemTiff(Data(bytes), Size(bytes), index, &w, &h, &bps, &spp, &res, &cmap,
                                &format) == 0
            : pixReadHeaderMem(Data(bytes), Size(bytes), &format, &w, &h, &bps, &spp, &cmap) == 0;
    if (!header)
        return nullptr;
    if (const QString tooLarge = CheckDimensions(w, h); !tooLarge.isEmpty()) {
        *error = tooLarge;
        return nullptr;
    }
    PixPtr pix;
    if (type == FileType::Jpeg) {
        // Damage libjpeg only warns about is a refusal too.
        l_int32 warnings = 0;
        pix.reset(pixReadMemJpeg(Data(bytes), Size(bytes), 0, 1, &warnings, 0));
        if (warnings > 0)
            pix.reset();
    } else if (type == FileType::Tiff) {
        pix.reset(pixReadMemTiff(Data(bytes), Size(bytes), index));
    } else {
        pix.reset(pixReadMemPng(Data(bytes), Size(bytes)));
    }
    if (pix)
        error->clear();
    return pix;
}

// The text of OCR'd pages, or a failure with `noTextMessage` when they hold none.
ActionResult OcrPagesToText(std::vector<OcrPage> pages, const QString& noTextMessage) {
    std::vector<PdfPage> laidOut;
    for (OcrPage& page : pages)
        laidOut.push_back(LayOutOcrPage(std::move(page)));
    // The layout goes with the text, as a PDF's does: the parser finds the name by its size.
    auto layout = std::make_shared<DocumentLayout>();
    const QStringList lines = RepairLigaturesAndHyphens(JoinPages(laidOut, &layout->lines));
    return Succeeded(lines.join(u'\n'), noTextMessage, std::move(layout));
}

} // namespace

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
