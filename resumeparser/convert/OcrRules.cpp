// Ruling lines of tables taken off a page before OCR: Tesseract merges a cell's borders into
// the text line beside them and reads that line as noise ("[Name __ [") or not at all.
// Lines are found by morphology on the page's ink and only their own pixels are whitened.
#include "OcrEngine.h"

#include <algorithm>
#include <cmath>
#include <leptonica/allheaders.h>
#include <memory>

namespace zorv::rp::convert {

namespace {

// Gray levels below this are ink.
constexpr l_int32 kInkBelow = 210;
// Shortest rules, in inches: longer than any stroke of text, even of a big bold heading,
// and than a word whose letters touch; down the page no letter comes near, so the borders
// of a table's short rows are found too.
constexpr double kMinRuleAcrossInches = 1.2;
constexpr double kMinRuleDownInches = 0.8;
// A rule may run this far off straight per unit of length (1.5 degrees of skew).
constexpr double kMaxSlope = 0.026;
// Marks thicker on average (shaded cells, bars behind white text) are no rules.
constexpr double kMaxRuleThicknessInches = 0.04;
// A skewed rule is a staircase of straight runs at least this long; shorter runs in a
// rule's band are strokes of letters beside it.
constexpr double kMinRunInches = 0.05;
// The strips along both sides of a rule, this wide, just past its halo, are mostly paper:
// even text set close to a border keeps a little distance from it, while a run along the
// feet of touching bold letters has the letters standing on it.
constexpr double kShoulderInches = 0.015;
constexpr double kMaxShoulderInk = 0.5;
// Pixels around a rule that antialiasing greyed.
constexpr l_int32 kHaloPixels = 1;
constexpr l_uint32 kWhiteGray = 255;

l_int32 Pixels(double inches, int dpi) {
    return std::max(1, static_cast<l_int32>(std::lround(inches * dpi)));
}

// The direction of the rules looked for: bricks and boxes `along` long in it and `wide`
// across it.
struct Axis {
    bool across; // rules run across the page (horizontal)
    l_int32 Width(l_int32 along, l_int32 wide) const { return across ? along : wide; }
    l_int32 Height(l_int32 along, l_int32 wide) const { return across ? wide : along; }
};

// The strip along one side of the candidate rules, following each rule's slant, and the
// ink in it.
struct Shoulder {
    PixPtr strip, ink;
};

Shoulder ShoulderOf(Pix* spread, Pix* ink, Axis axis, l_int32 shift) {
    Shoulder s{PixPtr{pixTranslate(nullptr, spread, axis.Width(0, shift), axis.Height(0, shift),
                                   L_BRING_IN_WHITE)},
               nullptr};
    if (s.strip)
        s.ink.reset(pixAnd(nullptr, s.strip.get(), ink));
    return s;
}

// Whether much of the strip beside the rule inside `box` is ink.
bool Crowded(const Shoulder& side, Box* box) {
    l_int32 strip = 0, ink = 0;
    return !side.ink || pixCountPixelsInRect(side.strip.get(), box, &strip, nullptr) != 0 ||
           pixCountPixelsInRect(side.ink.get(), box, &ink, nullptr) != 0 ||
           ink > kMaxShoulderInk * strip;
}

// The runs that are rules: long, thin on average (a skewed rule's box is not), and
// standing clear of the ink beside them.
PixPtr RulesAmong(Pix* runs, Pix* ink, int dpi, Axis axis, l_int32 length) {
    Pixa* found = nullptr;
    const BoxaPtr boxes{pixConnComp(runs, &found, 8)};
    const PixaPtr parts{found};
    PixPtr rules{pixCreateTemplate(runs)};
    if (!boxes || !parts || !rules)
        return nullptr;
    const l_int32 maxThickness = Pixels(kMaxRuleThicknessInches, dpi);
    const l_int32 wide = Pixels(kShoulderInches, dpi) | 1; // odd: centred on its row
    const l_int32 shift = kHaloPixels + 2 + wide / 2;
    PixPtr spread;
    Shoulder before, after; // made for the first long thin run
    for (l_int32 i = 0; i < pixaGetCount(parts.get()); ++i) {
        l_int32 x = 0, y = 0, w = 0, h = 0, area = 0;
        pixaGetBoxGeometry(parts.get(), i, &x, &y, &w, &h);
        const l_int32 along = axis.Width(w, h);
        const PixPtr part{pixaGetPix(parts.get(), i, L_CLONE)};
        if (along < length || !part || pixCountPixels(part.get(), &area, nullptr) != 0 ||
            area > maxThickness * along)
            continue;
        if (!spread) {
            spread.reset(pixDilateBrick(nullptr, runs, axis.Width(1, wide), axis.Height(1, wide)));
            if (!spread)
                return nullptr;
            before = ShoulderOf(spread.get(), ink, axis, -shift);
            after = ShoulderOf(spread.get(), ink, axis, shift);
        }
        const l_int32 reach = shift + wide;
        const BoxPtr around{boxCreate(x - axis.Width(0, reach), y - axis.Height(0, reach),
                                      w + 2 * axis.Width(0, reach), h + 2 * axis.Height(0, reach))};
        if (around && !Crowded(before, around.get()) && !Crowded(after, around.get()))
            pixRasterop(rules.get(), x, y, w, h, PIX_PAINT, part.get(), 0, 0);
    }
    return rules;
}

// The ink of the page's rules in one direction. The ink is first spread across the rule's
// direction by the distance a skewed rule drifts over the shortest rule's length, so that
// a straight brick fits in its band; the band's ink in runs along it is the rule.
PixPtr RulesOf(Pix* ink, int dpi, Axis axis, double minInches) {
    const l_int32 length = Pixels(minInches, dpi);
    const l_int32 band = static_cast<l_int32>(std::ceil(length * kMaxSlope)) + 2;
    const l_int32 run = Pixels(kMinRunInches, dpi);
    const PixPtr spread{pixDilateBrick(nullptr, ink, axis.Width(1, band), axis.Height(1, band))};
    if (!spread)
        return nullptr;
    const PixPtr bands{
        pixOpenCompBrick(nullptr, spread.get(), axis.Width(length, 1), axis.Height(length, 1))};
    if (!bands)
        return nullptr;
    pixAnd(bands.get(), bands.get(), ink);
    const PixPtr runs{pixOpenBrick(nullptr, bands.get(), axis.Width(run, 1), axis.Height(run, 1))};
    return runs ? RulesAmong(runs.get(), ink, dpi, axis, length) : nullptr;
}

// The rules across the page that meet a rule down it: the borders of a table. A rule alone
// under a heading stays: Tesseract measures the heading's size with it, and without it a
// heading may pass for the last line of the paragraph above.
PixPtr Meeting(Pix* across, Pix* down) {
    constexpr l_int32 kReach = 2 * kHaloPixels + 3;
    const PixPtr meets{pixDilateBrick(nullptr, down, kReach, kReach)};
    if (!meets)
        return nullptr;
    pixAnd(meets.get(), meets.get(), across);
    return PixPtr{pixSeedfillBinary(nullptr, meets.get(), across, 8)};
}

} // namespace

void EraseRulingLines(Pix* gray, int dpi) {
    if (!gray || pixGetDepth(gray) != 8 || pixGetColormap(gray) || dpi <= 0)
        return;
    const PixPtr ink{pixThresholdToBinary(gray, kInkBelow)};
    if (!ink)
        return;
    // A page without a rule down it has no table: most pages end here.
    const PixPtr rules = RulesOf(ink.get(), dpi, Axis{false}, kMinRuleDownInches);
    l_int32 empty = 1;
    if (!rules || pixZero(rules.get(), &empty) != 0 || empty)
        return;
    const PixPtr across = RulesOf(ink.get(), dpi, Axis{true}, kMinRuleAcrossInches);
    const PixPtr grid = across ? Meeting(across.get(), rules.get()) : nullptr;
    if (!grid)
        return;
    pixOr(rules.get(), rules.get(), grid.get());
    constexpr l_int32 kHalo = 2 * kHaloPixels + 1;
    const PixPtr halo{pixDilateBrick(nullptr, rules.get(), kHalo, kHalo)};
    if (halo)
        pixSetMasked(gray, halo.get(), kWhiteGray);
}

} // namespace zorv::rp::convert
