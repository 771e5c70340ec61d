#pragma once

#include <QRect>
#include <QtMath>

// Positions and sizes of the window are kept in twips, 1440 to the logical
// inch; Qt lays widgets out in device-independent pixels of 96 to the inch.
namespace Twips {

inline constexpr int PerPixel = 15;

inline int toPixels(int twips)
{
    return qRound(static_cast<double>(twips) / PerPixel);
}

inline int fromPixels(int pixels)
{
    return pixels * PerPixel;
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
