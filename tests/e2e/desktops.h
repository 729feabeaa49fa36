#pragma once

#include <QImage>
#include <QList>
#include <QMargins>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The desktops the program meets beyond the bare X display of the tests: an X
// window manager that draws frames, and a Wayland compositor. Each is started
// on the test's X display and stopped again when it goes out of scope.

// Asks `process` to end, and kills it if it has not ended after `graceMs`.
void stopProcess(QProcess& process, int graceMs = 10000);

// A D-Bus session bus of a desktop's own, which starts no services, and the
// folders its programs keep their settings and caches in: the user's stay
// as they were.
class PrivateSession {
public:
    ~PrivateSession();

    bool start();
    // `environment` with the bus and the folders.
    QProcessEnvironment environment(QProcessEnvironment environment) const;
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    QProcess m_bus;
    QString m_address;
};

// An X window manager, by its program's name ("openbox", "icewm", "xfwm4",
// "kwin_x11"); an empty name runs none.
class WindowManager {
public:
    explicit WindowManager(QString program);
    ~WindowManager();

    // Starts it and waits until it manages windows; false if it does not.
    bool start();
    QString program() const { return m_program; }

private:
    QString m_program;
    PrivateSession m_session;
    QProcess m_process;
};

// The X property `name` of `window` ("root" for the root window) as xprop
// prints its value, e.g. "1, 1, 20, 1"; empty when it is not set.
QString windowProperty(const QString& window, const QString& name);

// The title bar and borders the window manager put around `window`.
QMargins frameExtents(const QString& window);

// Every place, frame and all, that the program's window takes on an X display
// from the moment it is mapped, also those it holds for a moment only: the
// window manager's and the X server's own reports, recorded as they come.
class FramePlaces {
public:
    // Starts recording on `display`, the test's own when empty.
    explicit FramePlaces(const QString& display = QString());
    ~FramePlaces();

    // The outer rectangles of the program's top-level window (its frame, or
    // itself where there is none), in order, from its map on. Rectangles
    // smaller than `window`, the program's window, held nothing yet.
    QList<QRect> ofProgram(const QSize& window);

private:
    struct Recorder;
    std::unique_ptr<Recorder> m_recorder;
};

// The widest buffer that a program's Wayland protocol log (the file its
// WAYLAND_DEBUG=client output went to) shows attached to a subsurface; -1 for
// a buffer made in a way not read here.
int widestSubsurfaceBuffer(const QString& logFile);

// A Wayland compositor, nested in the test's X display as one window covering
// the screen from its top-left corner, with a Wayland display of its own and,
// for KWin with XWayland, an X display of its own too.
class Compositor {
public:
    enum class Kind { Weston, KWin, KWinWithXWayland, Mutter };

    explicit Compositor(Kind kind = Kind::Weston);
    ~Compositor();

    bool start();
    // What a program needs to show its window in this compositor: its Wayland
    // socket, runtime folder and session, and the compositor's own X display
    // where it has one (no X display otherwise).
    QProcessEnvironment environment() const;
    // The compositor's own X display (XWayland), e.g. ":1"; empty without one.
    QString xDisplay() const { return m_xDisplay; }
    // The compositor's screen as the user sees it.
    QImage screenshot() const;
    // A click at a point of the compositor's screen, the pointer then parked
    // in its bottom-left corner; characters typed.
    void click(const QPoint& at) const;
    void type(const QString& text) const;

private:
    QStringList arguments(const QSize& screen) const;
    bool startXWaylandReport();

    Kind m_kind;
    QString m_runtimeDirectory;
    QString m_window;
    QString m_xDisplay;
    PrivateSession m_session;
    QProcess m_process;
};
