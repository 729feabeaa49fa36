#include "xwatch.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <sys/select.h>

#include <cstdio>
#include <ctime>

namespace {

// A window that goes away while it is read is not an error of the measurement.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

} // namespace

bool parseArea(const char* text, Area& region)
{
    const int fields =
        std::sscanf(text, "%d,%d,%d,%d", &region.x, &region.y, &region.width, &region.height);
    return fields == 2 || fields == 4;
}

double nowMs()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

XWatch::XWatch()
    : m_display(XOpenDisplay(nullptr))
{
    if (!m_display)
        return;
    XSetErrorHandler(ignoreErrors);
    m_root = DefaultRootWindow(m_display);
    XSelectInput(m_display, m_root, SubstructureNotifyMask);
    XSync(m_display, False);
}

XWatch::~XWatch()
{
    if (m_display)
        XCloseDisplay(m_display);
}

Window XWatch::waitForTopLevelMap(double deadline, double& mappedAt)
{
    const int fd = ConnectionNumber(m_display);
    while (nowMs() < deadline) {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            // Stamped as soon as the event is read: the client sleeps in
            // select() until the server sends it.
            if (event.type == MapNotify && event.xmap.event == m_root &&
                !event.xmap.override_redirect) {
                mappedAt = nowMs();
                return event.xmap.window;
            }
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        const double left = deadline - nowMs();
        timeval wait{static_cast<time_t>(left / 1e3),
                     static_cast<suseconds_t>(static_cast<long>(left * 1e3) % 1000000)};
        if (left > 0)
            select(fd + 1, &readable, nullptr, nullptr, &wait);
    }
    return 0;
}

void XWatch::drainEvents(Window window)
{
    while (XPending(m_display)) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == UnmapNotify && event.xunmap.window == window)
            ++m_unmaps;
    }
}

std::vector<unsigned> XWatch::grab(Window window, const Area& region)
{
    XImage* image =
        XGetImage(m_display, window, region.x, region.y, static_cast<unsigned>(region.width),
                  static_cast<unsigned>(region.height), AllPlanes, ZPixmap);
    std::vector<unsigned> pixels;
    if (!image)
        return pixels;
    pixels.reserve(static_cast<size_t>(region.width) * static_cast<size_t>(region.height));
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x)
            pixels.push_back(static_cast<unsigned>(XGetPixel(image, x, y) & 0xffffff));
    XDestroyImage(image);
    return pixels;
}

void XWatch::focus(Window window)
{
    XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
    XFlush(m_display);
}

void XWatch::typeKey(unsigned long keysym)
{
    const KeyCode code = XKeysymToKeycode(m_display, keysym);
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    XFlush(m_display);
}

void XWatch::pointAt(Window window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(m_display, window, m_root, x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
    XFlush(m_display);
}

void XWatch::click()
{
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    XFlush(m_display);
}

void XWatch::flush() { XFlush(m_display); }
