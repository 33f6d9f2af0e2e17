#pragma once

#include <QRect>
#include <QWidget>

#include <cmath>

namespace forms {

// Form designs are in twips; 15 twips make one device-independent pixel.
constexpr double kTwipsPerPixel = 15.0;

inline int TwipsToPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}
inline double PixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}
inline QRect TwipsRect(double left, double top, double width, double height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
// Places a control at its design position.
inline void PlaceTwips(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(TwipsRect(left, top, width, height));
}

} // namespace forms
