#pragma once

// What the calculator tells and asks an X window manager about its window.

#include <QMargins>

#include <chrono>
#include <optional>

class QWindow;

// Whether an X window manager runs that tells, before a window is mapped,
// which frame it will put around it. False off X.
bool x11FrameExtentsCanBeAsked();

// Asks the X window manager which frame (title bar and borders) it will put
// around `window`, before the window is mapped, and waits up to `patience` for
// the answer. No value off X, or when no answer came in time.
std::optional<QMargins> askX11FrameExtents(QWindow& window, std::chrono::milliseconds patience);

// The frame (title bar and borders) that the X window manager says it put
// around `window`, read afresh; no value off X or where it says none.
std::optional<QMargins> x11FrameExtents(const QWindow& window);

// Tells the X window manager that `window` can be moved, minimized and closed,
// but neither resized nor maximized, and gets no resize handles. The toolkit
// always offers resizing; this takes it back. Must come after the window's
// native window is made and before it is mapped. Does nothing off X.
void forbidX11Resizing(QWindow& window);
