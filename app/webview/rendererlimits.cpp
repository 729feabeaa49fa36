#include "rendererlimits.h"

#include "rendererbounds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <csignal>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {

// The renderer's allocations start failing some 25 MiB below its memory limit
// (they come in large blocks); a page that carries on without them, as a
// script may, is ended once it comes this near.
constexpr qint64 MemoryEndKiB = (RendererMemoryLimit - 64 * 1024 * 1024) / 1024;
// Ended after using the processor this much of the time over the last few
// seconds, or after leaving a question unanswered for as long.
constexpr int SampleIntervalMs = 1000;
constexpr int BusySamples = 5;
constexpr double BusyShare = 0.8;
constexpr int AnswerTimeoutMs = BusySamples * SampleIntervalMs;
// Below the calculator's priority (0), so that a busy page never delays a key.
constexpr int RendererNiceness = 10;
// The calculator's own process idles at well under 1 % of a core with an
// ordinary page; a page that keeps it at this share or more for as many samples,
// while the user does nothing, is ended.
constexpr int CalculatorSamples = 10;
constexpr double CalculatorShare = 0.05;
// The calculator's own process holds some 14 MiB of private memory with an
// ordinary page, and may hold 64 MiB at most: a page that makes it hold this
// much more is ended before the next quarter of a second's growth takes it
// past that, even at some 30 MiB a second.
constexpr qint64 CalculatorGrowthKiB = 32 * 1024;
constexpr int MemoryIntervalMs = 250;

// The process's private writable memory (what the limit counts), in KiB.
qint64 writableMemoryKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmData:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

struct ProcessTimes {
    qint64 started = -1; // clock ticks after boot
    qint64 used = -1;    // user and system time, in clock ticks
};

ProcessTimes processTimes(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    // The command name, in parentheses, may hold blanks; the fields from the
    // third on follow it.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return {};
    return {fields[19].toLongLong(), fields[11].toLongLong() + fields[12].toLongLong()};
}

// This process's resident memory that no other process shares (RssAnon), in KiB.
qint64 ownPrivateKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> pages = statm.readAll().split(' ');
    if (pages.size() < 3)
        return 0;
    return (pages[1].toLongLong() - pages[2].toLongLong()) * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the engine has freed goes back to the system rather than staying with
// the allocator, so that the figure counts what is held.
qint64 heldPrivateKiB()
{
    malloc_trim(0);
    return ownPrivateKiB();
}

// Every thread of the process: a niceness belongs to a thread, not a process,
// and the engine sets its own on each thread it starts, where it may (as root).
void lowerPriority(qint64 pid)
{
    const QStringList threads =
        QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& thread : threads)
        setpriority(PRIO_PROCESS, static_cast<id_t>(thread.toInt()), RendererNiceness);
}

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

} // namespace

bool ProcessorWindow::add(qint64 ticks)
{
    m_ticks.append(ticks);
    if (m_ticks.size() > m_samples + 1)
        m_ticks.removeFirst();
    return m_ticks.size() == m_samples + 1 &&
           double(m_ticks.last() - m_ticks.first()) / sysconf(_SC_CLK_TCK) >= m_budgetSeconds;
}

// The engine starts a renderer when a page needs one and does not always say
// so: the renderer is looked for as a page loads, and at every sample.
RendererLimits::RendererLimits(QWebEnginePage* page)
    : QObject(page)
    , m_page(page)
    , m_renderer(BusySamples, SampleIntervalMs, BusyShare)
    , m_calculator(CalculatorSamples, SampleIntervalMs, CalculatorShare)
{
    connect(page, &QWebEnginePage::renderProcessPidChanged, this, &RendererLimits::follow);
    connect(page, &QWebEnginePage::loadProgress, this, &RendererLimits::follow);
    // A page that is left may never answer what it was asked; its next one is asked anew.
    connect(page, &QWebEnginePage::loadStarted, this, [this] { m_asking = false; });
    // A renderer that ends by itself (its allocations failing) ends the page just the same.
    connect(page, &QWebEnginePage::renderProcessTerminated, this, &RendererLimits::end);
    connect(&m_timer, &QTimer::timeout, this, &RendererLimits::sample);
    m_timer.start(SampleIntervalMs);
    connect(&m_memoryTimer, &QTimer::timeout, this, &RendererLimits::watchCalculatorMemory);
    m_memoryTimer.start(MemoryIntervalMs);
    qApp->installEventFilter(this);
}

// What the user does costs the calculator work of its own, printing a long
// tape most of all: it is not held against the page.
bool RendererLimits::eventFilter(QObject*, QEvent* event)
{
    if (isUserInput(event->type()))
        m_userActed = true;
    return false;
}

void RendererLimits::end()
{
    if (m_started < 0)
        return;
    if (processTimes(m_pid).started == m_started)
        kill(static_cast<pid_t>(m_pid), SIGKILL);
    m_started = -1;
    emit ended();
}

void RendererLimits::follow()
{
    const qint64 pid = m_page->renderProcessPid();
    if (pid != m_pid)
        adopt(pid);
}

void RendererLimits::adopt(qint64 pid)
{
    m_renderer.clear();
    m_calculator.clear();
    m_asking = false;
    m_pid = pid;
    m_started = processTimes(pid).started;
    if (m_started < 0)
        return;
    const rlimit memory{RendererMemoryLimit, RendererMemoryLimit};
    prlimit(static_cast<pid_t>(pid), RLIMIT_DATA, &memory, nullptr);
    lowerPriority(pid);
    m_calculatorKiB = heldPrivateKiB();
}

void RendererLimits::sample()
{
    follow();
    const ProcessTimes times = processTimes(m_pid);
    if (m_started < 0 || times.started != m_started)
        return;
    lowerPriority(m_pid);
    const bool busy = m_renderer.add(times.used);
    if (writableMemoryKiB(m_pid) >= MemoryEndKiB || busy || hung() || costsTheCalculator())
        end();
}

// Asks the page the smallest question there is, in a world of the program's
// own; the page answers it between two of its scripts.
bool RendererLimits::hung()
{
    if (m_asking)
        return m_answerDue.hasExpired();
    m_asking = true;
    m_answerDue.setRemainingTime(AnswerTimeoutMs);
    const int question = ++m_question;
    m_page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                          [this, question](const QVariant&) {
                              if (question == m_question)
                                  m_asking = false;
                          });
    return false;
}

void RendererLimits::watchCalculatorMemory()
{
    if (m_started < 0 || ownPrivateKiB() - m_calculatorKiB <= CalculatorGrowthKiB ||
        heldPrivateKiB() - m_calculatorKiB <= CalculatorGrowthKiB)
        return;
    end();
}

bool RendererLimits::costsTheCalculator()
{
    if (std::exchange(m_userActed, false))
        m_calculator.clear();
    return m_calculator.add(processTimes(QCoreApplication::applicationPid()).used);
}
