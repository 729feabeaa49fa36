#include "app/twips.h"

#include <cmath>

namespace Twips {

int toPixels(double twips) { return static_cast<int>(std::lround(twips / PerPixel)); }

double fromPixels(int pixels) { return pixels * PerPixel; }

QRect toPixels(const QRectF& twips)
{
    const int left = toPixels(twips.left());
    const int top = toPixels(twips.top());
    const int right = toPixels(twips.left() + twips.width());
    const int bottom = toPixels(twips.top() + twips.height());
    return QRect(left, top, right - left, bottom - top);
}

int pointsToPixels(double points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

} // namespace Twips
