#pragma once

#include <QRect>
#include <QRectF>

// The calculator is laid out in twips (1/1440 inch). At 96 logical dots per inch
// fifteen twips make one logical pixel; this is the one place that converts.
namespace Twips {

inline constexpr double PerPixel = 15.0;

int toPixels(double twips);
double fromPixels(int pixels);

// Converts the edges, not the size, so that rectangles that touch in twips
// still touch, and never overlap, in pixels.
QRect toPixels(const QRectF& twips);

// Font sizes are given in points at 96 dots per inch; as pixel sizes they keep
// the layout whatever the screen's logical DPI is.
int pointsToPixels(double points);

} // namespace Twips
