// Reading order for PDF text: words with their boxes become lines, two-column pages are
// read column by column, headers and footers repeated on every page are kept once, and
// ligatures and hyphenation at line ends are repaired. Pure geometry, no PDF library.
#pragma once

#include "ResumeParserCore.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zorv::rp::convert {

// One word as a PDF page places it; y grows downwards from the page's top.
struct PdfWord {
    QString text;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool spaceAfter = false;
    double fontSize = 0; // 0: unknown
    bool bold = false;   // false: regular, or unknown
};

struct PdfLine {
    QString text;
    double top = 0, bottom = 0;
    double left = 0;
    double fontSize = 0; // the largest on the line
    bool bold = false;   // every word bold
};

// Words into rows, each left to right: a word joins the row when its middle lies within the
// vertical extent of the row's first word (by middle).
std::vector<std::vector<PdfWord>> RawLines(std::vector<PdfWord> words);

// A line's height: its tallest word's, at least 1.
double RowHeight(const std::vector<PdfWord>& row);

// Gaps between words in a line of `height`: a clear one is wider than a space, a wide one
// far wider.
bool IsClearGap(double gap, double height);
bool IsWideGap(double gap, double height);

// Whether `w` starts a new piece of its line after `prev` (a table cell, a column): a gap
// far wider than a space, or a clear gap after a word that ends its line in the text's own
// flow. `height` is the line's.
bool StartsPiece(const PdfWord& prev, const PdfWord& w, double height);

// The page's lines in reading order. Pieces of one line far apart (table cells, dates set
// at the right margin) are joined by a tab.
std::vector<PdfLine> LayOutPage(std::vector<PdfWord> words, double pageWidth);

struct PdfPage {
    std::vector<PdfLine> lines;
    double height = 0;
};

// All pages' lines; a line in the top or bottom band of the page that recurs on other
// pages (digits aside, so page numbers count as recurring) is kept at its first place only.
// layout, when given, receives each kept line with its page, place and font.
QStringList JoinPages(const std::vector<PdfPage>& pages, std::vector<LayoutLine>* layout = nullptr);

// Typographic ligatures (U+FB00..U+FB06) spelled out, and words hyphenated at a line end
// joined again on the first line.
QStringList RepairLigaturesAndHyphens(QStringList lines);

} // namespace zorv::rp::convert
