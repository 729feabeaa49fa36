#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Stand-ins for what a page in the strip could reach outside the calculator,
// put in place before the web engine starts: a recording `xdg-open` first in
// PATH (the desktop's opener of addresses a program hands on), a private sound
// server whose one output plays into nothing, and a fresh home and temporary
// folder, so that whatever appears there is seen.
class DesktopWitness {
public:
    DesktopWitness();
    ~DesktopWitness();

    // Gives the process a new, empty home and temporary folder (the XDG
    // folders lie under the home), and forgets the addresses opened so far.
    void startAfresh();
    // What the home, temporary and runtime folders hold now.
    QStringList folderEntries() const;

    // The addresses handed to the desktop to open.
    QStringList opened() const;

    // Whether the sound server runs, and the streams playing on it.
    bool listens() const { return m_sound.state() == QProcess::Running; }
    QStringList soundStreams() const;

private:
    QString path(const QString& name) const { return m_root.filePath(name); }

    QTemporaryDir m_root;
    QProcess m_sound;
    int m_generation = 0;
};
