#include "desktopwitness.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

namespace {

// The sound server and its client are pointed at their own home, so that
// their files say nothing about the calculator's.
QProcessEnvironment soundEnvironment(const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    return environment;
}

QStringList entriesUnder(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(it.next());
    return entries;
}

} // namespace

DesktopWitness::DesktopWitness()
{
    QDir root(m_root.path());
    root.mkpath(QStringLiteral("bin"));
    root.mkpath(QStringLiteral("sound"));
    root.mkpath(QStringLiteral("runtime"));
    QFile opener(path(QStringLiteral("bin/xdg-open")));
    opener.open(QIODevice::WriteOnly);
    opener.write("#!/bin/sh\necho \"$*\" >>'" + path(QStringLiteral("opened")).toLocal8Bit() +
                 "'\n");
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    opener.close();
    qputenv("PATH", path(QStringLiteral("bin")).toLocal8Bit() + ':' + qgetenv("PATH"));
    QFile::setPermissions(path(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", path(QStringLiteral("runtime")).toLocal8Bit());
    for (const char* variable :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        qunsetenv(variable);
    startAfresh();

    const QString server = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (server.isEmpty()) {
        qWarning("No sound server here (Debian: pulseaudio): no stream can be seen");
        return;
    }
    const QString socket = path(QStringLiteral("sound/socket"));
    m_sound.setProcessEnvironment(soundEnvironment(path(QStringLiteral("sound"))));
    // It ends with the test, also with one that QtTest aborts.
    m_sound.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_sound.start(
        server, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                 QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                 QStringLiteral("-L"), QStringLiteral("module-null-sink"), QStringLiteral("-L"),
                 QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket});
    qputenv("PULSE_SERVER", "unix:" + socket.toLocal8Bit());
    // Ready once its socket is there.
    for (int tries = 0; tries < 100 && listens() && !QFile::exists(socket); ++tries)
        m_sound.waitForFinished(100);
}

DesktopWitness::~DesktopWitness()
{
    m_sound.terminate();
    m_sound.waitForFinished();
}

void DesktopWitness::startAfresh()
{
    const QString generation = QString::number(++m_generation);
    QDir root(m_root.path());
    root.mkpath(QStringLiteral("home") + generation);
    root.mkpath(QStringLiteral("tmp") + generation);
    qputenv("HOME", path(QStringLiteral("home") + generation).toLocal8Bit());
    qputenv("TMPDIR", path(QStringLiteral("tmp") + generation).toLocal8Bit());
    QFile::remove(path(QStringLiteral("opened")));
}

QStringList DesktopWitness::folderEntries() const
{
    return entriesUnder(qEnvironmentVariable("HOME")) +
           entriesUnder(qEnvironmentVariable("TMPDIR")) +
           entriesUnder(path(QStringLiteral("runtime")));
}

QStringList DesktopWitness::opened() const
{
    QFile log(path(QStringLiteral("opened")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QStringList DesktopWitness::soundStreams() const
{
    if (!listens())
        return {};
    QProcess client;
    client.setProcessEnvironment(soundEnvironment(path(QStringLiteral("sound"))));
    client.start(QStringLiteral("pactl"),
                 {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    client.waitForFinished();
    return QString::fromLocal8Bit(client.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}
