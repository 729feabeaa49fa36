#include "realprogram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <unistd.h>

#include <array>

namespace {

constexpr std::array<const char*, 2> SystemFolders{"usr", "etc"};

// Every wait is for something the program shows; the deadlines only keep a
// program that never shows it from hanging the test on a very busy machine.
constexpr int StartDeadline = 120000;
constexpr int ScreenDeadline = 60000;

// The keys on the calculator, in pixels from the calculator body's top-left
// corner, as the face shows them: 0-9, point, =, +, −, ×, ÷, %, R·CM, M−, M+,
// CA, +TAX, −TAX, C·CE.
constexpr std::array<QRect, 24> KeysOnCalculator{{
    {12, 224, 33, 25},  {12, 193, 33, 25},  {52, 193, 33, 25},  {92, 193, 33, 25},
    {12, 163, 33, 25},  {52, 163, 33, 25},  {92, 163, 33, 25},  {12, 132, 33, 25},
    {52, 132, 33, 25},  {92, 132, 33, 25},  {52, 224, 33, 25},  {92, 224, 33, 25},
    {133, 193, 33, 55}, {133, 163, 33, 25}, {133, 132, 33, 25}, {133, 107, 33, 16},
    {92, 107, 33, 16},  {12, 81, 24, 16},   {41, 81, 24, 16},   {71, 81, 24, 16},
    {100, 81, 24, 16},  {12, 107, 33, 16},  {52, 107, 33, 16},  {133, 81, 33, 16},
}};

// The calculator's entry display: a teal panel that shows from 25 pixels below
// the body's top for 44 rows, its left edge clear of the operator box at
// x = 9 and, for short entries, clear of the digits at x = 100.
const QColor EntryTeal(0, 192, 192);
constexpr int EntryDisplayTop = 25;
constexpr int EntryDisplaySeen = 40;
constexpr std::array<int, 2> EntryDisplayColumns{9, 100};

// The first row of the entry display in `shot`, or -1.
int entryDisplayRow(const QImage& shot)
{
    for (const int x : EntryDisplayColumns) {
        int run = 0;
        for (int y = 0; x < shot.width() && y < shot.height(); ++y) {
            run = shot.pixelColor(x, y) == EntryTeal ? run + 1 : 0;
            if (run == EntryDisplaySeen)
                return y - run + 1;
        }
    }
    return -1;
}

} // namespace

QString programPath()
{
    return qEnvironmentVariable("SERIT_PROGRAM", QStringLiteral(SERIT_PROGRAM));
}

QString runTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(20000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QString xdotool(const QStringList& arguments)
{
    return runTool(QStringLiteral("xdotool"), arguments);
}

RealProgram::~RealProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool RealProgram::start(const QString& program, const QProcessEnvironment& environment)
{
    QProcessEnvironment programEnvironment = environment;
    if (!m_resolverRule.isEmpty())
        programEnvironment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                                  QString::fromLatin1(m_resolverRule));
    m_process.setProcessEnvironment(programEnvironment);
    // Without a network: the advertisement page cannot load, and must not matter.
    const bool isolate = m_resolverRule.isEmpty() &&
                         QProcess::execute(QStringLiteral("unshare"),
                                           {QStringLiteral("-n"), QStringLiteral("true")}) == 0;
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    if (isolate)
        m_process.start(QStringLiteral("unshare"), {QStringLiteral("-n"), program});
    else
        m_process.start(program, {});
    if (!m_process.waitForStarted(StartDeadline))
        return false;
    const QDeadlineTimer deadline(StartDeadline);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        if (m_window.isEmpty())
            m_window = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), QStringLiteral("serit")})
                           .section(QLatin1Char('\n'), 0, 0);
        if (!m_window.isEmpty()) {
            // Mapped; the keyboard focus is given, and then checked.
            if (xdotool({QStringLiteral("getwindowfocus"), QStringLiteral("-f")}) == m_window)
                return true;
            xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), m_window});
            continue;
        }
        QThread::msleep(50);
    }
    return false;
}

// xwininfo, unlike xdotool, tells where a window that a window manager has
// framed stands on the screen.
QRect RealProgram::geometry() const
{
    QRect rect;
    for (const QString& line :
         runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), m_window}).split(u'\n')) {
        const QString name = line.section(u':', 0, 0).trimmed();
        const int value = line.section(u':', 1).trimmed().toInt();
        if (name == u"Absolute upper-left X")
            rect.moveLeft(value);
        else if (name == u"Absolute upper-left Y")
            rect.moveTop(value);
        else if (name == u"Width")
            rect.setWidth(value);
        else if (name == u"Height")
            rect.setHeight(value);
    }
    return rect;
}

int RealProgram::calculatorTop() const
{
    const QDeadlineTimer deadline(ScreenDeadline);
    int seen = -1;
    while (!deadline.hasExpired()) {
        const int row = entryDisplayRow(screenshot());
        if (row >= 0 && row == seen)
            return row - EntryDisplayTop;
        seen = row;
        QThread::msleep(50);
    }
    return -1;
}

QRect RealProgram::keyRect(int index) const
{
    const int top = calculatorTop();
    if (top < 0 || index < 0 || index >= int(KeysOnCalculator.size()))
        return {};
    return KeysOnCalculator[size_t(index)].translated(0, top);
}

QPoint RealProgram::keyCentre(int index) const { return keyRect(index).center(); }

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
    xdotool({QStringLiteral("type"), QStringLiteral("--window"), m_window,
             QStringLiteral("--delay"), QStringLiteral("30"), text});
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

int RealProgram::waitForTallerThan(int height) const
{
    const QDeadlineTimer deadline(ScreenDeadline);
    while (!deadline.hasExpired()) {
        if (const int now = geometry().height(); now > height)
            return now;
        QThread::msleep(50);
    }
    return -1;
}

bool RealProgram::waitForExit(int milliseconds) { return m_process.waitForFinished(milliseconds); }

QString RealProgram::output() { return QString::fromLocal8Bit(m_process.readAll()); }

bool PrivateRoot::start()
{
    if (geteuid() != 0 || !m_folder.isValid())
        return false;
    const QDir folder(m_folder.path());
    for (const char* name : SystemFolders) {
        const QString upper = QString::fromLatin1(name);
        if (!folder.mkdir(upper) || !folder.mkdir(upper + QStringLiteral(".work")))
            return false;
        m_mounts << QStringLiteral("mount -t overlay overlay -o "
                                   "'lowerdir=/%1,upperdir=%2,workdir=%2.work' /%1")
                        .arg(upper, folder.filePath(upper));
    }
    return QProcess::execute(wrap(QStringLiteral("/bin/true")), {}) == 0;
}

void PrivateRoot::replace(const QString& path, const QString& replacement)
{
    m_mounts << QStringLiteral("mount --bind '%1' '%2'").arg(replacement, path);
}

// The script enters a mount namespace of its own and, there, mounts and runs
// the program in its own place: the program keeps the script's process.
QString PrivateRoot::wrap(const QString& program)
{
    const QString path = QDir(m_folder.path()).filePath(QStringLiteral("run"));
    QFile script(path);
    script.remove();
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write("#!/bin/sh -e\n"
                 "[ \"$1\" = inside ] || exec unshare -m --propagation private \"$0\" inside\n");
    for (const QString& mount : m_mounts)
        script.write(mount.toUtf8() + '\n');
    const QByteArray user = QByteArray::number(m_user);
    script.write("exec " +
                 (m_user ? "setpriv --reuid=" + user + " --regid=" + user + " --clear-groups "
                         : QByteArray()) +
                 '\'' + program.toUtf8() + "'\n");
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList PrivateRoot::made() const
{
    QStringList made;
    for (const char* name : SystemFolders) {
        const QString upper = QDir(m_folder.path()).filePath(QString::fromLatin1(name));
        QDirIterator entries(upper,
                             QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
        while (entries.hasNext())
            made << QLatin1Char('/') + QString::fromLatin1(name) + entries.next().mid(upper.size());
    }
    return made;
}

// The page cannot load here: the strip shows the engine's error page, white
// where the window underneath is grey (above the tape's top row).
bool stripShowsAPage(const RealProgram& program)
{
    const QImage strip = program.screenshot().copy(0, 0, 173, 36);
    int white = 0;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            white += strip.pixelColor(x, y) == QColor(Qt::white) ? 1 : 0;
    return white > 173 * 36 / 2;
}
