#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

// A rectangle in a window's coordinates.
struct Area {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};
bool parseArea(const char* text, Area& region); // "X,Y,W,H" or "X,Y"

// Milliseconds on the monotonic clock.
double nowMs();

// The X side of a measurement: the display, the root window's structure
// events, and the pixels, keys and clicks of the window under test.
class XWatch {
public:
    XWatch();
    ~XWatch();
    bool ok() const { return m_display != nullptr; }

    // Waits for the map of a new top-level window (not an override-redirect
    // one such as a tooltip), up to `deadline` on nowMs(); 0 if none came.
    Window waitForTopLevelMap(double deadline, double& mappedAt);

    // Handles the structure events that have arrived; counts unmaps of `window`.
    void drainEvents(Window window);
    int unmaps() const { return m_unmaps; }

    // The pixels of `region` of `window` as 32-bit words, row by row; empty
    // when the window cannot be read (not viewable, gone).
    std::vector<unsigned> grab(Window window, const Area& region);

    // Plays the window manager's part: gives the keyboard focus to `window`.
    void focus(Window window);
    // Presses and releases the key of `keysym` through the XTEST extension.
    void typeKey(unsigned long keysym);
    // Moves the pointer to a point of `window`.
    void pointAt(Window window, int x, int y);
    // Left button down and up at the pointer.
    void click();
    void flush();

private:
    Display* m_display = nullptr;
    Window m_root = 0;
    int m_unmaps = 0;
};
