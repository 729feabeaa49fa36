#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The build's program, unless SERIT_PROGRAM in the environment names another,
// such as the installed one.
QString programPath();

// The real calculator program on the X display of the test, driven as a user
// drives it: xdotool moves the pointer and presses mouse buttons and keys, all
// aimed at the program's window.
class RealProgram {
public:
    ~RealProgram();

    // Starts the program without a network, in `environment`, and waits until
    // its window is mapped and has the keyboard focus; false if it did not
    // show one.
    bool start(const QString& program,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    // Makes start() give the program's web engine this host resolver rule (a
    // local server standing in for every host) instead of taking the network.
    void setHostResolverRule(const QByteArray& rule) { m_resolverRule = rule; }

    qint64 processId() const { return m_process.processId(); }
    QString window() const { return m_window; }

    // The window's rectangle on the screen, in pixels.
    QRect geometry() const;

    // A key's rectangle and centre in window pixels, found where the window
    // shows the calculator now: the key's place on the calculator is the
    // test's own, the calculator's place is read from a screenshot. Empty
    // when the calculator is not on the screen.
    QRect keyRect(int index) const;
    QPoint keyCentre(int index) const;

    void click(int index, int button = 1, int repeat = 1);
    void clickAt(const QPoint& inWindow, int button = 1, int repeat = 1);
    void typeText(const QString& text);
    void pressKey(const QString& keysym);

    QImage screenshot() const;

    // Waits until the window is taller than `height`, as it grows with every
    // line of the tape; returns its new height, or -1 when it did not grow.
    int waitForTallerThan(int height) const;

    bool waitForExit(int milliseconds);
    int exitCode() const { return m_process.exitCode(); }
    QString output();

private:
    // The top of the calculator body in window pixels, once two screenshots
    // agree on it; -1 when it cannot be found.
    int calculatorTop() const;

    QString m_window;
    QByteArray m_resolverRule;
    mutable QProcess m_process;
};

// Whether the advertisement strip shows a page: where the page cannot load,
// the engine's error page, white where the window underneath is grey.
bool stripShowsAPage(const RealProgram& program);

// The program in a mount namespace of its own, as root only: what it writes
// in the system's folders /usr and /etc lands in folders of the test's, and a
// system folder can be shown to it with other contents, while the real folders
// stay as they are.
class PrivateRoot {
public:
    // Whether it can run here: as root, where overlays can be mounted.
    bool start();
    // Shows the program `replacement` in place of the system folder `path`.
    void replace(const QString& path, const QString& replacement);
    // Runs the program as the unprivileged user `uid` (in its group of the same number).
    void runAs(uint uid) { m_user = uid; }
    // A script that runs `program` in the private root.
    QString wrap(const QString& program);
    // What the program made, changed or removed in /usr and /etc.
    QStringList made() const;

private:
    QTemporaryDir m_folder;
    QStringList m_mounts;
    uint m_user = 0;
};

// Runs an X tool (xdotool, xprop, xwininfo) with `arguments` and returns what
// it printed, trimmed.
QString runTool(const QString& tool, const QStringList& arguments);

// Runs xdotool with `arguments` and returns what it printed.
QString xdotool(const QStringList& arguments);
