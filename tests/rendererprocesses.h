#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

// The web engine's renderer processes that a process (this one unless told)
// started, read from /proc as any process monitor reads them. While it exists it samples the
// private memory of those found when it was made, and of the process that
// started them, every 50 ms, and keeps the largest figures.
class RendererProcesses : public QObject {
public:
    explicit RendererProcesses(qint64 starter = 0);

    QList<qint64> pids() const;
    static bool anyAlive(const QList<qint64>& pids);
    // Whether the processes are alive and every thread of theirs runs at
    // `niceness` or lower priority.
    static bool allRunAtNiceness(const QList<qint64>& pids, int niceness);
    static bool anyRunsAsRoot(const QList<qint64>& pids);

    // The most private resident memory a renderer held at any sample.
    qint64 largestMiB() const { return m_largestKiB / 1024; }
    // The most private resident memory the starting process held at any sample.
    qint64 largestStarterMiB() const { return m_largestStarterKiB / 1024; }

    // A process's private resident memory (RssAnon), in KiB.
    static qint64 privateKiB(qint64 pid);
    // The processor time a process has used, user and system, in clock ticks.
    static qint64 processorTicks(qint64 pid);

private:
    void sample();

    qint64 m_starter;
    QList<qint64> m_watched;
    QTimer m_timer;
    qint64 m_largestKiB = 0;
    qint64 m_largestStarterKiB = 0;
};
