#include "desktops.h"

#include "realprogram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
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

// A window manager runs when the root names a window that names itself.
bool windowManagerRuns()
{
    const QString check = QStringLiteral("_NET_SUPPORTING_WM_CHECK");
    const QString named = windowProperty(QStringLiteral("root"), check);
    return !named.isEmpty() && windowProperty(named.section(u'#', 1).trimmed(), check) == named;
}

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()).trimmed()
                                          : QString();
}

} // namespace

void stopProcess(QProcess& process, int graceMs)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(graceMs)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

PrivateSession::~PrivateSession() { stopProcess(m_bus); }

bool PrivateSession::start()
{
    const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
    const QByteArray policy = "<policy context=\"default\"><allow send_destination=\"*\" "
                              "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                              "</policy>";
    if (!m_folder.isValid() ||
        !writeFile(config, "<busconfig><type>session</type><listen>unix:dir=" +
                               m_folder.path().toLocal8Bit() + "</listen><auth>EXTERNAL</auth>" +
                               policy + "</busconfig>"))
        return false;
    m_bus.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_bus.setStandardErrorFile(QProcess::nullDevice());
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                 QStringLiteral("--print-address")});
    if (!waitFor([this] { return m_bus.waitForReadyRead(100) || m_bus.canReadLine(); }, 10000))
        return false;
    m_address = QString::fromLocal8Bit(m_bus.readLine()).trimmed();
    return !m_address.isEmpty();
}

QProcessEnvironment PrivateSession::environment(QProcessEnvironment environment) const
{
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        environment.insert(QLatin1String(name), m_folder.filePath(QLatin1String(name)));
    return environment;
}

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
    stopProcess(m_process);
    waitFor([] { return !windowManagerRuns(); }, 10000);
}

bool WindowManager::start()
{
    if (m_program.isEmpty())
        return !windowManagerRuns();
    // KWin keeps its settings in the user's folders and starts helpers through
    // the session bus, which would outlive the test; xfwm4 does not start
    // without a session bus to ask for its settings.
    if (m_program.startsWith(QLatin1String("kwin")) || m_program == QLatin1String("xfwm4")) {
        if (!m_session.start())
            return false;
        m_process.setProcessEnvironment(
            m_session.environment(QProcessEnvironment::systemEnvironment()));
    }
    startQuietly(m_process, m_program, {});
    return m_process.waitForStarted(10000) && waitFor([this] {
               return m_process.state() == QProcess::Running && windowManagerRuns();
           });
}

int widestSubsurfaceBuffer(const QString& logFile)
{
    // Requests as "-> wl_shm_pool@30.create_buffer(new id wl_buffer@32, 0, 179, 337, …)".
    static const QRegularExpression made(
        QStringLiteral(R"(create_(?:prime_)?buffer\(new id wl_buffer@(\d+), [^,]+, (\d+),)"));
    static const QRegularExpression madeAtOnce(
        QStringLiteral(R"(create_immed\(new id wl_buffer@(\d+), (\d+),)"));
    static const QRegularExpression sub(
        QStringLiteral(R"(get_subsurface\(new id wl_subsurface@\d+, wl_surface@(\d+),)"));
    static const QRegularExpression attached(
        QStringLiteral(R"(-> wl_surface@(\d+)\.attach\(wl_buffer@(\d+),)"));
    QHash<QString, int> widths; // ids are used again once freed: the latest counts
    QSet<QString> subsurfaces;
    int widest = 0;
    for (const QString& line : readFile(logFile).split(u'\n')) {
        QRegularExpressionMatch m;
        if ((m = made.match(line)).hasMatch() || (m = madeAtOnce.match(line)).hasMatch()) {
            widths.insert(m.captured(1), m.captured(2).toInt());
        } else if ((m = sub.match(line)).hasMatch()) {
            subsurfaces.insert(m.captured(1));
        } else if ((m = attached.match(line)).hasMatch() && subsurfaces.contains(m.captured(1))) {
            const int width = widths.value(m.captured(2), -1);
            if (width < 0)
                return -1;
            widest = std::max(widest, width);
        }
    }
    return widest;
}

Compositor::Compositor(Kind kind)
    : m_kind(kind)
{
}

Compositor::~Compositor()
{
    stopProcess(m_process);
    if (!m_runtimeDirectory.isEmpty())
        QDir(m_runtimeDirectory).removeRecursively();
}

QStringList Compositor::arguments(const QSize& screen) const
{
    const QString width = QString::number(screen.width());
    const QString height = QString::number(screen.height());
    switch (m_kind) {
    case Kind::Weston:
        return {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
                QStringLiteral("--width=") + width,         QStringLiteral("--height=") + height,
                QStringLiteral("--socket=serit"),           QStringLiteral("--no-config")};
    case Kind::KWin:
    case Kind::KWinWithXWayland: {
        QStringList kwin{QStringLiteral("--x11-display"), qEnvironmentVariable("DISPLAY"),
                         QStringLiteral("--width"),       width,
                         QStringLiteral("--height"),      height,
                         QStringLiteral("--socket"),      QStringLiteral("serit")};
        // KWin tells the X display of its XWayland to the programs it starts.
        if (m_kind == Kind::KWinWithXWayland)
            kwin << QStringLiteral("--xwayland")
                 << QDir(m_runtimeDirectory).filePath(QStringLiteral("report-display"));
        return kwin;
    }
    case Kind::Mutter:
        return {QStringLiteral("--wayland"), QStringLiteral("--nested"), QStringLiteral("--no-x11"),
                QStringLiteral("--wayland-display"), QStringLiteral("serit")};
    }
    return {};
}

bool Compositor::start()
{
    m_runtimeDirectory = QDir::temp().filePath(
        QStringLiteral("serit-wayland-%1").arg(QCoreApplication::applicationPid()));
    const QDir runtime(m_runtimeDirectory);
    if (!QDir().mkpath(m_runtimeDirectory) || !m_session.start())
        return false;
    QFile::setPermissions(m_runtimeDirectory,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QProcessEnvironment environment =
        m_session.environment(QProcessEnvironment::systemEnvironment());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDirectory);
    QString program;
    switch (m_kind) {
    case Kind::Weston:
        program = QStringLiteral("weston");
        break;
    case Kind::KWin:
    case Kind::KWinWithXWayland:
        // A copy, since the installed program carries a file capability that
        // containers may refuse to run.
        program = runtime.filePath(QStringLiteral("kwin_wayland"));
        if (!QFile::copy(QStringLiteral("/usr/bin/kwin_wayland"), program) ||
            !writeFile(runtime.filePath(QStringLiteral("report-display")),
                       "#!/bin/sh\necho \"$DISPLAY\" > \"$XDG_RUNTIME_DIR/x-display\"\n"))
            return false;
        QFile::setPermissions(runtime.filePath(QStringLiteral("report-display")),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        break;
    case Kind::Mutter:
        program = QStringLiteral("mutter");
        environment.insert(QStringLiteral("MUTTER_DEBUG_DUMMY_MODE_SPECS"),
                           QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()));
        break;
    }
    m_process.setProcessEnvironment(environment);
    startQuietly(m_process, program, arguments(screen));
    if (!m_process.waitForStarted(10000))
        return false;
    // Weston's window is known by its class, the others' by their process.
    const QStringList search =
        QStringList{QStringLiteral("search"), QStringLiteral("--onlyvisible")} +
        (m_kind == Kind::Weston
             ? QStringList{QStringLiteral("--class"), QStringLiteral("Weston Compositor")}
             : QStringList{QStringLiteral("--pid"), QString::number(m_process.processId())});
    const bool shown = waitFor([this, &search, &runtime] {
        m_window = xdotool(search).section(u'\n', 0, 0);
        return m_process.state() == QProcess::Running && !m_window.isEmpty() &&
               QFile::exists(runtime.filePath(QStringLiteral("serit")));
    });
    if (!shown || m_kind != Kind::KWinWithXWayland)
        return shown;
    return waitFor([this, &runtime] {
        m_xDisplay = readFile(runtime.filePath(QStringLiteral("x-display")));
        return !m_xDisplay.isEmpty();
    });
}

QProcessEnvironment Compositor::environment() const
{
    QProcessEnvironment environment =
        m_session.environment(QProcessEnvironment::systemEnvironment());
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!m_xDisplay.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), m_xDisplay);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDirectory);
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("serit"));
    return environment;
}

QImage Compositor::screenshot() const
{
    return QGuiApplication::primaryScreen()->grabWindow(m_window.toULongLong()).toImage();
}

// The compositor moves its pointer by how far the X pointer moved, from where
// its own pointer was: the pointer is first pushed into the top-left corner,
// from which the compositor's screen and the X screen agree.
void Compositor::click(const QPoint& at) const
{
    const QSize screen = QGuiApplication::primaryScreen()->size();
    for (const QPoint& to : {QPoint(screen.width() - 1, screen.height() - 1), QPoint(0, 0), at})
        xdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    // Parked in the bottom-left corner, the pointer covers nothing the tests look at.
    xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("0"), QString::number(screen.height() - 1)});
}

void Compositor::type(const QString& text) const
{
    // The compositor takes no synthetic keys: they go to the window under the pointer.
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}
