#include "realprogram.h"

#include "app/layout.h"
#include "app/twips.h"
#include "keys/keytable.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>

namespace {

// Once the window grows, the calculator's bottom lies this far below the client area.
constexpr double CalculatorBelowClientArea = 110;

} // namespace

QString xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(20000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

RealProgram::~RealProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool RealProgram::start(const QString& program)
{
    // Without a network: the advertisement page cannot load, and must not matter.
    const bool isolate = m_resolverRule.isEmpty() &&
                         QProcess::execute(QStringLiteral("unshare"),
                                           {QStringLiteral("-n"), QStringLiteral("true")}) == 0;
    if (!m_resolverRule.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                           QString::fromLatin1(m_resolverRule));
        m_process.setProcessEnvironment(environment);
    }
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    if (isolate)
        m_process.start(QStringLiteral("unshare"), {QStringLiteral("-n"), program});
    else
        m_process.start(program, {});
    if (!m_process.waitForStarted(10000))
        return false;
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), QStringLiteral("serit")});
        if (!found.isEmpty())
            m_window = found.section(QLatin1Char('\n'), 0, 0);
        // Typed keys go to the window that has the keyboard.
        if (!m_window.isEmpty() &&
            xdotool({QStringLiteral("getwindowfocus"), QStringLiteral("-f")}) == m_window)
            return true;
        QThread::msleep(50);
    }
    return false;
}

QRect RealProgram::geometry() const
{
    const QString shell =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), m_window});
    QRect rect;
    for (const QString& line : shell.split(QLatin1Char('\n'))) {
        const QString name = line.section(QLatin1Char('='), 0, 0);
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (name == u"X")
            rect.moveLeft(value);
        else if (name == u"Y")
            rect.moveTop(value);
        else if (name == u"WIDTH")
            rect.setWidth(value);
        else if (name == u"HEIGHT")
            rect.setHeight(value);
    }
    return rect;
}

QPoint RealProgram::keyCentre(int index) const
{
    const double clientHeight = Twips::fromPixels(geometry().height());
    const QRectF body = Layout::Picture1AtStart;
    const double picture1Top = clientHeight <= Layout::ClientArea.height()
                                   ? body.top()
                                   : clientHeight + CalculatorBelowClientArea - body.height();
    const QRectF key = keyTable()[static_cast<size_t>(index)].rect.translated(0, picture1Top);
    return Twips::toPixels(key).center();
}

void RealProgram::click(int index, int button, int repeat)
{
    clickAt(keyCentre(index), button, repeat);
}

void RealProgram::clickAt(const QPoint& inWindow, int button, int repeat)
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), m_window,
             QString::number(inWindow.x()), QString::number(inWindow.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(repeat),
             QStringLiteral("--delay"), QStringLiteral("80"), QString::number(button)});
}

void RealProgram::typeText(const QString& text)
{
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

void RealProgram::pressKey(const QString& keysym)
{
    xdotool({QStringLiteral("key"), QStringLiteral("--window"), m_window, keysym});
}

QImage RealProgram::screenshot() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(m_window.toULongLong()).toImage();
}

bool RealProgram::waitForExit(int milliseconds) { return m_process.waitForFinished(milliseconds); }

QString RealProgram::output() { return QString::fromLocal8Bit(m_process.readAll()); }
