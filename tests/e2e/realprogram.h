#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>

// The real calculator program on the X display of the test, driven as a user
// drives it: xdotool moves the pointer and presses mouse buttons and keys.
class RealProgram {
public:
    ~RealProgram();

    // Starts the program without a network and waits until its window is
    // mapped; false if it did not show one.
    bool start(const QString& program);

    // Makes start() give the program's web engine this host resolver rule (a
    // local server standing in for every host) instead of taking the network.
    void setHostResolverRule(const QByteArray& rule) { m_resolverRule = rule; }

    qint64 processId() const { return m_process.processId(); }
    QString window() const { return m_window; }

    // The window's rectangle on the screen, in pixels.
    QRect geometry() const;

    // A key's centre in window pixels, found from the key table as the window
    // lays the keys out for its current height.
    QPoint keyCentre(int index) const;

    void click(int index, int button = 1, int repeat = 1);
    void clickAt(const QPoint& inWindow, int button = 1, int repeat = 1);
    void typeText(const QString& text);
    void pressKey(const QString& keysym);

    QImage screenshot() const;

    bool waitForExit(int milliseconds);
    int exitCode() const { return m_process.exitCode(); }
    QString output();

private:
    QString m_window;
    QByteArray m_resolverRule;
    mutable QProcess m_process;
};

// Runs xdotool with `arguments` and returns what it printed.
QString xdotool(const QStringList& arguments);
