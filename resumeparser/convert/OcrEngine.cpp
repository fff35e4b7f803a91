// Tesseract and leptonica glue: page images to words with boxes, a few pages at a time.
#include "OcrEngine.h"

#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <leptonica/allheaders.h>
#include <mutex>
#include <optional>
#include <tesseract/baseapi.h>
#include <tesseract/osdetect.h>
#include <tesseract/resultiterator.h>
#include <thread>

namespace zorv::rp::convert {

void PixDeleter::operator()(Pix* pix) const {
    pixDestroy(&pix);
}

void PixDeleter::operator()(Pixa* pixa) const {
    pixaDestroy(&pixa);
}

void PixDeleter::operator()(Box* box) const {
    boxDestroy(&box);
}

void PixDeleter::operator()(Boxa* boxa) const {
    boxaDestroy(&boxa);
}

namespace {

// Pages read at once; each reader holds its own models (about 100 MB).
constexpr unsigned kMaxReaders = 2;
// Orientation detection's confidence below which a page is left as it is.
constexpr float kMinOrientationConfidence = 5.0F;
// Short words Tesseract itself hardly believes are specks and rules, not text. (It gives
// no confidence at all to some mail addresses, which are long.)
constexpr float kMinWordConfidence = 10.0F;
constexpr qsizetype kMinSureWordLength = 3;
// A page whose resolution is unknown is taken for a page of this width, in inches.
constexpr double kAssumedPageWidthInches = 8.27;
constexpr int kMinPlausibleDpi = 70;
constexpr int kMaxPlausibleDpi = 1200;
constexpr double kPointsPerInch = 72.0;
constexpr l_uint32 kWhite = 0xFFFFFF00;
// A line's type size is judged from its height above the baseline, which nearly every line
// shows in full (capitals, digits, tall letters); how far it reaches below depends on the
// letters it happens to hold. The factor brings that height to the full line's.
constexpr double kAscentToSize = 1.25;

struct TextDeleter {
    void operator()(char* text) const { delete[] text; }
};
using TextPtr = std::unique_ptr<char[], TextDeleter>;

void SetUpLibrariesOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Library code never prints: leptonica's messages go nowhere. (Tesseract's OpenMP
        // threads are limited by the environment the client starts the server with:
        // the runtime reads it before main.)
        setMsgSeverity(L_SEVERITY_NONE);
    });
}

// The resolution to read the image at: its own when plausible, else the one that makes
// it as wide as a sheet of paper.
int EffectiveDpi(const Pix* pix, int dpi) {
    if (dpi >= kMinPlausibleDpi && dpi <= kMaxPlausibleDpi)
        return dpi;
    const double guess = pixGetWidth(pix) / kAssumedPageWidthInches;
    return std::clamp(static_cast<int>(std::lround(guess)), kMinPlausibleDpi, kMaxPlausibleDpi);
}

// Gray, on white where it was transparent, at most kMaxOcrDpi.
PixPtr Normalize(PixPtr pix, int* dpi) {
    if (pixGetSpp(pix.get()) == 4)
        pix.reset(pixAlphaBlendUniform(pix.get(), kWhite));
    if (pix)
        pix.reset(pixConvertTo8(pix.get(), 0));
    if (pix && *dpi > kMaxOcrDpi) {
        const float scale = static_cast<float>(kMaxOcrDpi) / static_cast<float>(*dpi);
        pix.reset(pixScale(pix.get(), scale, scale));
        *dpi = kMaxOcrDpi;
    }
    return pix;
}

// A word as Tesseract placed it on the page as scanned, slant and all: its box and the
// baseline of its line at the word's middle, with the line's reach above and below it.
struct PlacedWord {
    QString text;
    double x0, x1, baseY;
    double ascent, descent; // pixels above and below the baseline
    double size;            // the line's height from descender to ascender, in pixels
    bool spaceAfter;
};

// How the current line of the iterator stands: its baseline as a point and a slope, and
// the line's reach above and below it (from the line's box when Tesseract has no baseline).
struct LineGeometry {
    double baseX = 0, baseY = 0, slope = 0, ascent = 0, descent = 0, size = 0;
    bool sloped = false; // a long line whose slope tells the page's slant
};

LineGeometry LineOf(const tesseract::ResultIterator& it) {
    constexpr int kMinSlopeRun = 200; // pixels: shorter baselines tell little
    LineGeometry g;
    int left = 0, top = 0, right = 0, bottom = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    it.BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom);
    float height = 0, descenders = 0, ascenders = 0;
    it.RowAttributes(&height, &descenders, &ascenders);
    if (height > 0 && it.Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2) && x2 > x1) {
        g = {static_cast<double>(x1),
             static_cast<double>(y1),
             static_cast<double>(y2 - y1) / (x2 - x1),
             static_cast<double>(height + descenders),
             static_cast<double>(-descenders),
             static_cast<double>(height + descenders) * kAscentToSize,
             x2 - x1 >= kMinSlopeRun};
    } else {
        g = {static_cast<double>(left),
             static_cast<double>(bottom),
             0,
             static_cast<double>(bottom - top),
             0,
             static_cast<double>(bottom - top),
             false};
    }
    return g;
}

// The words levelled: turned about the page's middle by the page's slant (the median slope
// of its long lines), so that the words of one row share a baseline even when Tesseract
// read them as lines of different blocks (table cells, dates at the right margin). The
// image itself is left as scanned: turning it would blur small marks such as accents.
std::vector<PdfWord> Levelled(std::vector<PlacedWord> placed, std::vector<double> slopes,
                              double pageWidth, double pageHeight, double pointsPerPixel) {
    double slope = 0;
    if (!slopes.empty()) {
        std::nth_element(slopes.begin(), slopes.begin() + slopes.size() / 2, slopes.end());
        slope = slopes[slopes.size() / 2];
    }
    const double angle = std::atan(slope), c = std::cos(angle), s = std::sin(angle);
    const double cx = pageWidth / 2, cy = pageHeight / 2;
    std::vector<PdfWord> words;
    words.reserve(placed.size());
    for (PlacedWord& w : placed) {
        const double dx = (w.x0 + w.x1) / 2 - cx, dy = w.baseY - cy;
        const double shiftX = cx + dx * c + dy * s - (w.x0 + w.x1) / 2;
        const double baseY = cy - dx * s + dy * c;
        words.push_back(
            PdfWord{std::move(w.text), (w.x0 + shiftX) * pointsPerPixel,
                    (baseY - w.ascent) * pointsPerPixel, (w.x1 + shiftX) * pointsPerPixel,
                    (baseY + w.descent) * pointsPerPixel, w.spaceAfter, w.size * pointsPerPixel});
    }
    return words;
}

// Short words Tesseract itself hardly believes: specks and rules, not text.
bool IsSpeck(const tesseract::ResultIterator& it, const QString& word) {
    return it.Confidence(tesseract::RIL_WORD) < kMinWordConfidence &&
           std::count_if(word.begin(), word.end(), [](QChar c) { return c.isLetterOrNumber(); }) <
               kMinSureWordLength;
}

class PageReader {
public:
    explicit PageReader(const QString& languages)
        : englishFirst_(languages.startsWith(QStringLiteral("eng"))) {
        const QByteArray langs = languages.toLatin1();
        ok_ = osd_.Init(nullptr, "osd", tesseract::OEM_TESSERACT_ONLY) == 0 &&
              text_.Init(nullptr, langs.constData(), tesseract::OEM_LSTM_ONLY) == 0;
        for (tesseract::TessBaseAPI* api : {&osd_, &text_})
            api->SetVariable("debug_file", "/dev/null");
        osd_.SetPageSegMode(tesseract::PSM_OSD_ONLY);
        text_.SetPageSegMode(tesseract::PSM_AUTO);
    }

    bool Ok() const { return ok_; }

    OcrPage Read(PixPtr pix, int dpi) {
        dpi = EffectiveDpi(pix.get(), dpi);
        pix = Normalize(std::move(pix), &dpi);
        if (!pix)
            return {};
        pix = Upright(std::move(pix), dpi);
        EraseRulingLines(pix.get(), dpi);
        // The paper's shade made even (after the rules, which are found on the page as
        // scanned): text on a tinted box (a contact block, a shaded heading) would
        // otherwise fall below the page's one threshold as a dark blot.
        PixPtr even{pixBackgroundNormSimple(pix.get(), nullptr, nullptr)};
        return Recognize(even ? even.get() : pix.get(), dpi);
    }

private:
    PixPtr Upright(PixPtr pix, int dpi) {
        osd_.SetImage(pix.get());
        osd_.SetSourceResolution(dpi);
        tesseract::OSResults osr;
        constexpr int kQuarterTurns = 4;
        if (!osd_.DetectOS(&osr) || osr.best_result.oconfidence < kMinOrientationConfidence ||
            osr.best_result.orientation_id == 0)
            return pix;
        // orientation_id counts quarter turns counter-clockwise from upright.
        const int quads = (kQuarterTurns - osr.best_result.orientation_id) % kQuarterTurns;
        PixPtr turned{pixRotateOrth(pix.get(), quads)};
        return turned ? std::move(turned) : std::move(pix);
    }

    OcrPage Recognize(Pix* pix, int dpi) {
        const double scale = kPointsPerInch / dpi;
        ++pagesRead_;
        OcrPage page;
        page.width = pixGetWidth(pix) * scale;
        page.height = pixGetHeight(pix) * scale;
        text_.SetImage(pix);
        text_.SetSourceResolution(dpi);
        if (text_.Recognize(nullptr) != 0)
            return page;
        std::unique_ptr<tesseract::ResultIterator> it(text_.GetIterator());
        if (!it)
            return page;
        std::vector<PlacedWord> placed;
        std::vector<double> slopes;
        LineGeometry line;
        bool reread = false; // whether the last word was read again, and as what at first
        QString readFirst;
        do {
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
                line = LineOf(*it);
                if (line.sloped)
                    slopes.push_back(line.slope);
            }
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            const TextPtr text{it->GetUTF8Text(tesseract::RIL_WORD)};
            const QString word = QString::fromUtf8(text.get()).trimmed();
            if (word.isEmpty() || IsSpeck(*it, word) ||
                !it->BoundingBox(tesseract::RIL_WORD, &x0, &y0, &x1, &y1))
                continue;
            // An address read again may take in the word after it (a domain OCR had split off).
            if (reread && placed.back().text.endsWith(word, Qt::CaseInsensitive) &&
                !readFirst.endsWith(word, Qt::CaseInsensitive)) {
                placed.back().spaceAfter =
                    !it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD);
                reread = false;
                continue;
            }
            reread = MayBeAddress(word);
            readFirst = word;
            const double middle = (x0 + x1) / 2.0;
            placed.push_back(PlacedWord{
                reread ? InEnglish(pix, dpi, {x0, y0, x1, y1}, word) : word,
                static_cast<double>(x0), static_cast<double>(x1),
                line.baseY + line.slope * (middle - line.baseX), line.ascent, line.descent,
                line.size, !it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD)});
        } while (it->Next(tesseract::RIL_WORD));
        page.words = Levelled(std::move(placed), std::move(slopes), pixGetWidth(pix),
                              pixGetHeight(pix), scale);
        return page;
    }

    struct Box {
        int x0, y0, x1, y1;
    };

    // An address read again by the English model alone: addresses are ASCII, and the
    // models of other languages mistake their letters ("l" for "t") more often. The model
    // loads at the first address; the word stays as read when English finds none.
    QString InEnglish(Pix* pix, int dpi, Box box, const QString& word) {
        if (englishFirst_ || englishFailed_)
            return word;
        if (!english_) {
            english_ = std::make_unique<tesseract::TessBaseAPI>();
            if (english_->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
                english_.reset();
                englishFailed_ = true;
                return word;
            }
            english_->SetVariable("debug_file", "/dev/null");
            english_->SetPageSegMode(tesseract::PSM_SINGLE_WORD);
        }
        if (englishPage_ != pagesRead_) {
            english_->SetImage(pix);
            english_->SetSourceResolution(dpi);
            englishPage_ = pagesRead_;
        }
        // Little room at the sides: the next word is often a space away.
        const int pad = (box.y1 - box.y0) / 2, side = (box.y1 - box.y0) / 6;
        const int left = std::max(0, box.x0 - side), top = std::max(0, box.y0 - pad);
        english_->SetRectangle(left, top, std::min(pixGetWidth(pix), box.x1 + side) - left,
                               std::min(pixGetHeight(pix), box.y1 + pad) - top);
        const TextPtr text{english_->GetUTF8Text()};
        return AddressOrWord(QString::fromUtf8(text.get()), word);
    }

    tesseract::TessBaseAPI osd_;
    tesseract::TessBaseAPI text_;
    std::unique_ptr<tesseract::TessBaseAPI> english_;
    int pagesRead_ = 0;
    int englishPage_ = -1; // the page the English model has
    const bool englishFirst_;
    bool englishFailed_ = false;
    bool ok_ = false;
};

// The pages shared by the readers: who reads which page, the loader, and the outcome.
class PageQueue {
public:
    PageQueue(int count, const PageLoader& load, const OcrSettings& settings)
        : count_(count), load_(load), settings_(settings) {
        result_.pages.resize(static_cast<size_t>(count));
    }

    void Work(const QString& languages) {
        try {
            // The models load only once a page is there: a refused file costs nothing.
            std::optional<PageReader> reader;
            for (int i = next_++; i < count_; i = next_++) {
                int dpi = 0;
                PixPtr pix = Load(i, &dpi);
                if (!pix)
                    return;
                if (!reader && !reader.emplace(languages).Ok()) {
                    Stop(QStringLiteral("Text recognition (OCR) is not available: the language "
                                        "data (%1) could not be loaded.")
                             .arg(languages));
                    return;
                }
                OcrPage page = reader->Read(std::move(pix), dpi);
                const std::lock_guard<std::mutex> lock(mutex_);
                result_.pages[static_cast<size_t>(i)] = std::move(page);
            }
        } catch (const std::exception& e) {
            Stop(QStringLiteral("Text recognition (OCR) failed: ") + QString::fromUtf8(e.what()));
        }
    }

    OcrResult Take() { return std::move(result_); }

private:
    PixPtr Load(int index, int* dpi) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!result_.error.isEmpty())
            return nullptr;
        if (settings_.progress)
            settings_.progress(QStringLiteral("OCR: page %1 of %2").arg(++started_).arg(count_));
        QString error;
        PixPtr pix = load_(index, dpi, &error);
        if (!pix)
            StopLocked(error.isEmpty() ? QStringLiteral("A page image cannot be read.") : error);
        return pix;
    }

    void Stop(const QString& error) {
        const std::lock_guard<std::mutex> lock(mutex_);
        StopLocked(error);
    }

    void StopLocked(const QString& error) {
        if (result_.error.isEmpty())
            result_.error = error;
        next_ = count_;
    }

    const int count_;
    const PageLoader& load_;
    const OcrSettings& settings_;
    std::atomic<int> next_{0};
    std::mutex mutex_; // guards everything below, and the loader
    int started_ = 0;
    OcrResult result_;
};

} // namespace

OcrResult RecognizePages(int pageCount, const PageLoader& load, const OcrSettings& settings) {
    SetUpLibrariesOnce();
    if (pageCount <= 0)
        return {};
    const QString languages = OcrLanguagesFor(settings.country);
    PageQueue queue(pageCount, load, settings);
    const unsigned readers = std::clamp(std::min(std::thread::hardware_concurrency(), kMaxReaders),
                                        1U, static_cast<unsigned>(pageCount));
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < readers; ++i)
        threads.emplace_back([&] { queue.Work(languages); });
    queue.Work(languages);
    for (std::thread& t : threads)
        t.join();
    return queue.Take();
}

PdfPage LayOutOcrPage(OcrPage page) {
    // OCR splits a mail or web address at a dot now and then ("jo. x@example. fr",
    // "jo .x@EXAMPLE . NET"): the pieces before the "@" and after it join it again.
    static const QRegularExpression splitLocalPart(
        QStringLiteral("\\b([\\w+-]+)(?:\\. | \\.)([\\w.+-]+@)"));
    static const QRegularExpression splitDomain(
        QStringLiteral("((?:@|\\bwww\\.)[\\w.-]*\\w)(?:\\. | \\. ?)([A-Za-z]{2,6})\\b"));
    // And it takes a small "@" for a "G", a "©" or a "®" ("jo.xGexample.fr"): in a word of
    // small letters that runs on into a domain, the sign is the "@".
    static const QRegularExpression misreadAt(
        QStringLiteral("(?<![\\w/@])(?<!www\\.)(?!www\\.)([a-z0-9](?:[a-z0-9._+-]*[a-z0-9])?)[G©®]"
                       "([a-z0-9-]+(?:\\.[a-z0-9-]+)*\\. ?[a-z]{2,6})\\b(?![/@])"));
    // A middle dot between contact details read as a lone "+" would make the telephone
    // number after it international ("AZ + (602) 381-7745"); no country code is "(" or "0".
    static const QRegularExpression lonePlus(QStringLiteral("(?<=\\s)\\+(?=\\s+[(0])"));
    // A zero before an apostrophe and a capital is the "O" of a name ("0'Connor").
    static const QRegularExpression zeroForO(QStringLiteral("(?<![\\w'’])0(?=['’]\\p{Lu})"));
    constexpr int kMostSplitsInOnePart = 3;
    PdfPage laidOut{
        LayOutPage(JoinWrappedLines(WithTypesetSpaces(std::move(page.words))), page.width),
        page.height};
    for (PdfLine& line : laidOut.lines) {
        line.text.replace(misreadAt, QStringLiteral("\\1@\\2"));
        line.text.replace(lonePlus, QStringLiteral("\u00B7"));
        line.text.replace(zeroForO, QStringLiteral("O"));
        for (int i = 0; i < kMostSplitsInOnePart; ++i) {
            line.text.replace(splitLocalPart, QStringLiteral("\\1.\\2"));
            line.text.replace(splitDomain, QStringLiteral("\\1.\\2"));
        }
    }
    return laidOut;
}

} // namespace zorv::rp::convert
