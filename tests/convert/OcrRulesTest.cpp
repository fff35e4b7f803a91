// Ruling lines taken off scanned pages: a skewed table grid goes and the text it frames stays
// and is read; big bold letters are never taken for a rule.
#include "ConvertTestSupport.h"
#include "OcrEngine.h"

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

namespace {

constexpr int kFixtureDpi = 150;
constexpr l_int32 kInkBelow = 128;

PixPtr FixturePage() {
    const QByteArray png = Fixture(QStringLiteral("scan_resume.png"));
    return PixPtr{pixReadMem(reinterpret_cast<const l_uint8*>(png.constData()),
                             static_cast<size_t>(png.size()))};
}

// The page as a scanner gives it: gray and turned by a degree.
PixPtr Scanned(Pix* page) {
    constexpr float kOneDegree = 3.14159265F / 180.0F;
    const PixPtr gray{pixConvertTo8(page, 0)};
    return PixPtr{pixRotate(gray.get(), kOneDegree, L_ROTATE_AREA_MAP, L_BRING_IN_WHITE, 0, 0)};
}

// The ink of `gray` where `other` has none.
PixPtr InkOnlyIn(Pix* gray, Pix* other) {
    const PixPtr ink{pixThresholdToBinary(gray, kInkBelow)};
    const PixPtr otherInk{pixThresholdToBinary(other, kInkBelow)};
    return PixPtr{pixSubtract(nullptr, ink.get(), otherInk.get())};
}

l_int32 Count(Pix* mask) {
    l_int32 count = 0;
    pixCountPixels(mask, &count, nullptr);
    return count;
}

} // namespace

TEST(OcrRules, SkewedTableGridIsErasedAndItsTextRead) {
    const PixPtr page = FixturePage();
    const PixPtr ruled{pixCopy(nullptr, page.get())};
    // A grid around the experience and education lines, 4 to 10 pixels clear of the letters.
    for (const l_int32 y : {236, 263, 333, 360, 392})
        pixRenderLine(ruled.get(), 110, y, 950, y, 2, L_SET_PIXELS);
    for (const l_int32 x : {110, 770, 950})
        pixRenderLine(ruled.get(), x, 236, x, 392, 2, L_SET_PIXELS);
    const PixPtr text = Scanned(page.get()), scan = Scanned(ruled.get());
    const PixPtr erased{pixCopy(nullptr, scan.get())};
    EraseRulingLines(erased.get(), kFixtureDpi);
    EXPECT_LT(Count(InkOnlyIn(erased.get(), text.get()).get()),
              Count(InkOnlyIn(scan.get(), text.get()).get()) / 50);
    EXPECT_EQ(Count(InkOnlyIn(text.get(), erased.get()).get()), 0);

    const OcrResult r = RecognizePages(1,
                                       [&](int, int* dpi, QString*) {
                                           *dpi = kFixtureDpi;
                                           return PixPtr{pixCopy(nullptr, scan.get())};
                                       },
                                       {});
    ASSERT_EQ(r.pages.size(), 1U);
    QStringList words;
    for (const PdfWord& w : r.pages[0].words)
        words << w.text;
    for (const char* cell : {"Pinecrest Mapping Cooperative", "2016 - 2023", "EDUCATION",
                             "Colorado School of Surveying", "2012"})
        EXPECT_TRUE(words.join(u' ').contains(QLatin1String(cell)))
            << words.join(u' ').toStdString();
}

TEST(OcrRules, BigBoldTextIsNoRule) {
    // The fixture's letters thickened until they touch along their feet, at a title's size,
    // and a rule down the page through them: only the rule goes, with the bits of letters
    // lying on it.
    const PixPtr page = FixturePage();
    const PixPtr bold{pixDilateBrick(nullptr, page.get(), 3, 3)};
    const PixPtr gray{pixConvertTo8(bold.get(), 0)};
    const PixPtr title{pixScale(gray.get(), 3.0F, 3.0F)};
    constexpr l_int32 kRuleX = 1000;
    const PixPtr rule{pixCreate(pixGetWidth(title.get()), pixGetHeight(title.get()), 1)};
    pixRenderLine(rule.get(), kRuleX, 0, kRuleX, pixGetHeight(title.get()) - 1, 2, L_SET_PIXELS);
    pixSetMasked(title.get(), rule.get(), 0);
    const PixPtr before{pixCopy(nullptr, title.get())};
    EraseRulingLines(title.get(), kFixtureDpi);
    const PixPtr lost = InkOnlyIn(before.get(), title.get());
    EXPECT_GT(Count(lost.get()), 0);
    const PixPtr nearRule{pixDilateBrick(nullptr, rule.get(), 15, 1)};
    pixSubtract(lost.get(), lost.get(), nearRule.get());
    EXPECT_EQ(Count(lost.get()), 0);
}
