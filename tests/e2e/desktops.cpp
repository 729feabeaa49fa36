#include "desktops.h"

#include "realprogram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <sys/prctl.h>

#include <csignal>

namespace {

template <typename Condition> bool waitFor(Condition condition, int milliseconds = 30000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

// A process of the test's desktop ends with the test, also when the test
// crashes, and says nothing on the test's output.
void startQuietly(QProcess& process, const QString& program, const QStringList& arguments)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// A window manager runs when the root names a window that names itself.
bool windowManagerRuns()
{
    const QString check = QStringLiteral("_NET_SUPPORTING_WM_CHECK");
    const QString named = windowProperty(QStringLiteral("root"), check);
    return !named.isEmpty() && windowProperty(named.section(u'#', 1).trimmed(), check) == named;
}

} // namespace

QString windowProperty(const QString& window, const QString& name)
{
    const QStringList target = window == u"root" ? QStringList{QStringLiteral("-root")}
                                                 : QStringList{QStringLiteral("-id"), window};
    const QString printed = runTool(QStringLiteral("xprop"), target + QStringList{name});
    if (!printed.startsWith(name + u'(') || printed.contains(QLatin1String("not found")))
        return {};
    // "NAME(TYPE) = value", or "NAME(TYPE): value" for some types.
    const qsizetype equals = printed.indexOf(QLatin1String(") = "));
    const qsizetype colon = printed.indexOf(QLatin1String("): "));
    const qsizetype end = equals >= 0 && (colon < 0 || equals < colon) ? equals + 4 : colon + 3;
    return printed.mid(end).trimmed();
}

QMargins frameExtents(const QString& window)
{
    const QStringList v =
        windowProperty(window, QStringLiteral("_NET_FRAME_EXTENTS")).split(QLatin1String(", "));
    if (v.size() != 4)
        return {};
    return QMargins(v[0].toInt(), v[2].toInt(), v[1].toInt(), v[3].toInt());
}

WindowManager::WindowManager(QString program)
    : m_program(std::move(program))
{
}

WindowManager::~WindowManager()
{
    stop(m_process);
    waitFor([] { return !windowManagerRuns(); }, 10000);
}

bool WindowManager::start()
{
    if (m_program.isEmpty())
        return !windowManagerRuns();
    startQuietly(m_process, m_program, {});
    return m_process.waitForStarted(10000) && waitFor([this] {
               return m_process.state() == QProcess::Running && windowManagerRuns();
           });
}

Weston::~Weston()
{
    stop(m_process);
    if (!m_runtimeDirectory.isEmpty())
        QDir(m_runtimeDirectory).removeRecursively();
}

bool Weston::start()
{
    m_runtimeDirectory = QDir::temp().filePath(
        QStringLiteral("serit-weston-%1").arg(QCoreApplication::applicationPid()));
    if (!QDir().mkpath(m_runtimeDirectory))
        return false;
    QFile::setPermissions(m_runtimeDirectory,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDirectory);
    m_process.setProcessEnvironment(environment);
    startQuietly(m_process, QStringLiteral("weston"),
                 {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
                  QStringLiteral("--width=%1").arg(screen.width()),
                  QStringLiteral("--height=%1").arg(screen.height()),
                  QStringLiteral("--socket=serit"), QStringLiteral("--no-config")});
    if (!m_process.waitForStarted(10000))
        return false;
    return waitFor([this] {
        m_window = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                            QStringLiteral("--class"), QStringLiteral("Weston Compositor")})
                       .section(u'\n', 0, 0);
        return m_process.state() == QProcess::Running && !m_window.isEmpty() &&
               QFile::exists(QDir(m_runtimeDirectory).filePath(QStringLiteral("serit")));
    });
}

QProcessEnvironment Weston::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDirectory);
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("serit"));
    return environment;
}

QImage Weston::screenshot() const
{
    return QGuiApplication::primaryScreen()->grabWindow(m_window.toULongLong()).toImage();
}

// The compositor moves its pointer by how far the X pointer moved, from where
// its own pointer was: the pointer is first pushed into the top-left corner,
// from which the compositor's screen and the X screen agree.
void Weston::click(const QPoint& at) const
{
    const QSize screen = QGuiApplication::primaryScreen()->size();
    for (const QPoint& to : {QPoint(screen.width() - 1, screen.height() - 1), QPoint(0, 0), at})
        xdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    // Parked in the bottom-left corner, the pointer covers nothing the tests look at.
    xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("0"), QString::number(screen.height() - 1)});
}

void Weston::type(const QString& text) const
{
    // Weston takes no synthetic keys: they go to the window under the pointer.
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}
