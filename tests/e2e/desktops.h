#pragma once

#include <QImage>
#include <QMargins>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

// The desktops the program meets beyond the bare X display of the tests: an X
// window manager that draws frames, and a Wayland compositor. Each is started
// on the test's X display and stopped again when it goes out of scope.

// An X window manager, by its program's name ("openbox", "icewm", "xfwm4");
// an empty name runs none.
class WindowManager {
public:
    explicit WindowManager(QString program);
    ~WindowManager();

    // Starts it and waits until it manages windows; false if it does not.
    bool start();
    QString program() const { return m_program; }

private:
    QString m_program;
    QProcess m_process;
};

// The X property `name` of `window` ("root" for the root window) as xprop
// prints its value, e.g. "1, 1, 20, 1"; empty when it is not set.
QString windowProperty(const QString& window, const QString& name);

// The title bar and borders the window manager put around `window`.
QMargins frameExtents(const QString& window);

// Weston, nested in the test's X display as one window covering the screen
// from its top-left corner, with a Wayland display of its own.
class Weston {
public:
    ~Weston();

    bool start();
    // What a Wayland program needs to show its window in this compositor: its
    // socket and runtime folder, and no X display.
    QProcessEnvironment environment() const;
    // The compositor's screen as the user sees it.
    QImage screenshot() const;
    // A click at a point of the compositor's screen, the pointer then parked
    // in its bottom-left corner; characters typed.
    void click(const QPoint& at) const;
    void type(const QString& text) const;

private:
    QString m_runtimeDirectory;
    QString m_window;
    QProcess m_process;
};
