// Text recognition over Tesseract for scanned pages: each page image is turned upright
// (orientation detection), levelled, read into words with their boxes and laid out like a
// PDF page (PdfLayout.h). Several pages are read at once on worker threads.
#pragma once

#include "PdfLayout.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

// leptonica's image, list of images, rectangle and list of rectangles
struct Pix;
struct Pixa;
struct Box;
struct Boxa;

namespace zorv::rp::convert {

// Owners of leptonica's objects.
struct PixDeleter {
    void operator()(Pix* pix) const;
    void operator()(Pixa* pixa) const;
    void operator()(Box* box) const;
    void operator()(Boxa* boxa) const;
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;
using PixaPtr = std::unique_ptr<Pixa, PixDeleter>;
using BoxPtr = std::unique_ptr<Box, PixDeleter>;
using BoxaPtr = std::unique_ptr<Boxa, PixDeleter>;

// Whitens the ruling lines of the tables on an 8-bit gray page scanned at `dpi` (long
// straight rules down the page and the rules across that meet them), leaving the text as
// it is: Tesseract reads the text line beside a rule badly.
void EraseRulingLines(Pix* gray, int dpi);

// Largest page image decoded for OCR, in pixels: A3 at 300 dpi has 17.5 million.
inline constexpr qint64 kMaxOcrPixels = 36'000'000;
// Most pages one resume may send to OCR: each takes a second or two.
inline constexpr int kMaxOcrPages = 30;
// Scans are read at their own resolution up to this one; finer ones are scaled down.
inline constexpr int kMaxOcrDpi = 300;

// What OCR needs from the parser's settings.
struct OcrSettings {
    QString country;                              // ResumeCountry: chooses the languages
    std::function<void(const QString&)> progress; // "OCR: page N of M", from any thread
};

// One page as OCR read it: words in points (1/72 inch) from the page's top left.
struct OcrPage {
    std::vector<PdfWord> words;
    double width = 0, height = 0;
};

// Page `index` as an image and its resolution in dots per inch (0: unknown), or null with
// the reason in `error`. Calls never overlap.
using PageLoader = std::function<PixPtr(int index, int* dpi, QString* error)>;

struct OcrResult {
    std::vector<OcrPage> pages; // one per page asked for
    QString error;              // why reading stopped; empty on success
};

// Reads `pageCount` pages in the languages the settings' country calls for.
OcrResult RecognizePages(int pageCount, const PageLoader& load, const OcrSettings& settings);

// The page's lines in reading order, as PdfLayout lays out a PDF page.
PdfPage LayOutOcrPage(OcrPage page);

// The words widened by their side bearings: OCR boxes hug the ink, so the spaces between
// them look wider than a PDF's, the more so in a typewriter face. The page's median space
// is brought to a PDF's, so that the layout's gap rules read both alike.
std::vector<PdfWord> WithTypesetSpaces(std::vector<PdfWord> words);

// The words with each line the page broke at its right margin joined to the line before:
// the continuation's text is appended to that line's last word.
std::vector<PdfWord> JoinWrappedLines(std::vector<PdfWord> words);

// Whether an OCR word may be a mail or web address, or part of one split off at a dot
// ("jo.xgexample." before "com"): such words are read again in English.
bool MayBeAddress(const QString& word);

// The English reading `read` of the address word `word` when it is a sound address (no
// spaces, no double dots, the word's "@" and known top-level domain kept), with the signs
// around the word kept; else the word as it was.
QString AddressOrWord(QString read, const QString& word);

// Tesseract's language list for a country (ISO code or English name): its own languages,
// without English beside them (addresses are read again in English); English alone when
// the country is blank or unknown.
QString OcrLanguagesFor(const QString& country);

} // namespace zorv::rp::convert
