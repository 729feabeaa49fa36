#include "rendererprocesses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>

namespace {

QByteArray procFile(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fields of a stat line from its state on: the command name before them,
// in parentheses, may hold blanks.
QList<QByteArray> fieldsOf(const QByteArray& stat)
{
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
}

QList<QByteArray> statFields(qint64 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    return fieldsOf(stat);
}

// Parent of every process, from the fourth field of its stat line.
QHash<qint64, qint64> parents()
{
    QHash<qint64, qint64> parent;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 1)
            parent.insert(pid, fields[1].toLongLong());
    }
    return parent;
}

bool isZygote(qint64 pid) { return procFile(pid, "cmdline").contains("--type=zygote"); }

// A renderer started by the program itself says so; one forked by the engine's
// zygote (where the sandbox runs) keeps the zygote's command line, and is the
// child of the zygote's own child.
bool isRenderer(qint64 pid, const QHash<qint64, qint64>& parent)
{
    if (procFile(pid, "cmdline").contains("--type=renderer"))
        return true;
    const qint64 forker = parent.value(pid);
    return isZygote(pid) && isZygote(forker) && isZygote(parent.value(forker));
}

} // namespace

RendererProcesses::RendererProcesses(qint64 starter)
    : m_starter(starter ? starter : QCoreApplication::applicationPid())
    , m_watched(pids())
{
    connect(&m_timer, &QTimer::timeout, this, &RendererProcesses::sample);
    m_timer.start(50);
    sample();
}

QList<qint64> RendererProcesses::pids() const
{
    const QHash<qint64, qint64> parent = parents();
    QList<qint64> renderers;
    for (auto it = parent.begin(); it != parent.end(); ++it) {
        qint64 ancestor = it.value();
        while (ancestor > 1 && ancestor != m_starter)
            ancestor = parent.value(ancestor);
        if (ancestor == m_starter && isRenderer(it.key(), parent))
            renderers.append(it.key());
    }
    return renderers;
}

bool RendererProcesses::anyAlive(const QList<qint64>& pids)
{
    for (const qint64 pid : pids) {
        const QByteArray state = statFields(pid).value(0);
        if (!state.isEmpty() && state != "Z")
            return true;
    }
    return false;
}

bool RendererProcesses::allRunAtNiceness(const QList<qint64>& pids, int niceness)
{
    if (!anyAlive(pids))
        return false;
    for (const qint64 pid : pids) {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
        for (const QString& thread : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks + u'/' + thread + QStringLiteral("/stat"));
            // The niceness is the 19th field; a thread that has ended has none.
            const QList<QByteArray> fields =
                stat.open(QIODevice::ReadOnly) ? fieldsOf(stat.readAll()) : QList<QByteArray>();
            if (fields.size() > 16 && fields[16].toInt() < niceness)
                return false;
        }
    }
    return true;
}

bool RendererProcesses::anyRunsAsRoot(const QList<qint64>& pids)
{
    for (const qint64 pid : pids) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        // "Uid:" with the real, effective, saved and file system user.
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Uid:") && line.simplified().split(' ').contains("0"))
                return true;
    }
    return false;
}

qint64 RendererProcesses::processorTicks(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : 0;
}

qint64 RendererProcesses::privateKiB(qint64 pid)
{
    for (const QByteArray& line : procFile(pid, "status").split('\n'))
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void RendererProcesses::sample()
{
    for (const qint64 pid : m_watched)
        m_largestKiB = qMax(m_largestKiB, privateKiB(pid));
    m_largestStarterKiB = qMax(m_largestStarterKiB, privateKiB(m_starter));
}
