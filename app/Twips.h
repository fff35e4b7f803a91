// The window's design unit: twips (1/1440 inch), turned into pixels at the screen's logical
// resolution, which gives 15 twips a pixel at 96 dots per inch.
#pragma once

#include <QRect>
#include <cmath>

namespace zorv {

inline int TwipsToPixels(int twips, qreal logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

inline QRect TwipsRect(int left, int top, int width, int height, qreal logicalDpi) {
    return QRect(TwipsToPixels(left, logicalDpi), TwipsToPixels(top, logicalDpi),
                 TwipsToPixels(width, logicalDpi), TwipsToPixels(height, logicalDpi));
}

} // namespace zorv
