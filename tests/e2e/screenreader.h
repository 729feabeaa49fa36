#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// A blind user's desktop on the test's X display and D-Bus session: the
// accessibility bus, speech-dispatcher speaking to ALSA's null device, and the
// Orca screen reader, all in a fresh home folder. Every process is started
// here and ended by its process id; what Orca says is read from its debug
// output, an utterance at a time.
class ScreenReader {
public:
    ScreenReader();
    ~ScreenReader();

    // Why the screen reader cannot run on this machine, or nothing.
    QString cannotRunReason() const;
    // Starts everything and waits until Orca says it is on. Returns what
    // failed, or nothing.
    QString start();

    // What a program needs to be read by this screen reader.
    QProcessEnvironment environment() const { return m_environment; }

    // Everything Orca has said so far, an utterance an item.
    QStringList spoken();

    // Waits until Orca says something for which `matches` holds, counting from
    // utterance `from`; returns its index, or -1 when it never came.
    qsizetype waitFor(qsizetype from, const std::function<bool(const QString&)>& matches);
    qsizetype waitFor(qsizetype from, const QString& utterance);

private:
    QProcess* launch(const QString& program, const QStringList& arguments);
    void readSpeech();
    void endAll();

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    int m_terminal = -1; // the pseudo-terminal Orca writes its debug output to
    QByteArray m_unread;
    QString m_record;
    QStringList m_spoken;
};
