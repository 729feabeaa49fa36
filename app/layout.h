#pragma once

#include <QRectF>

// The design rectangles, in twips, of the window's client area and of the two
// controls that move when the tape grows, as they stand at start.
namespace Layout {

inline constexpr QRectF ClientArea(0, 0, 2595, 4560);
inline constexpr QRectF List1AtStart(0, 540, 2700, 300);
inline constexpr QRectF Picture1AtStart(0, 765, 2655, 3855);

} // namespace Layout
