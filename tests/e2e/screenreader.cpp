#include "screenreader.h"

#include "desktops.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Every wait is for something the screen reader says or a process makes; the
// deadline only keeps a test on a very busy machine from hanging.
constexpr int Deadline = 60000;

const QString AtSpiBusLauncher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");

// Orca asks its first-start questions unless it finds settings; these are its
// defaults.
const QByteArray OrcaSettings = R"({"general": {}, "pronunciations": {}, "keybindings": {},
 "profiles": {"default": {"profile": ["Default", "default"],
                          "pronunciations": {}, "keybindings": {}}}}
)";

bool writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

bool waitForFile(const QString& path, const QString& prefix = QString())
{
    const QDeadlineTimer deadline(Deadline);
    while (!deadline.hasExpired()) {
        if (prefix.isEmpty()
                ? QFile::exists(path)
                : !QDir(path).entryList({prefix + u'*'}, QDir::Files | QDir::System).isEmpty())
            return true;
        QThread::msleep(20);
    }
    return false;
}

// Another Orca of this user makes a new one refuse to start.
bool orcaRunsAlready()
{
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-u"), QString::number(getuid()),
                                          QStringLiteral("-x"), QStringLiteral("orca")});
    pgrep.waitForFinished(20000);
    return !pgrep.readAllStandardOutput().trimmed().isEmpty();
}

// The processes, other than this one, that inherited `home` as their home
// folder: the ones this session started, and the services those started.
QList<pid_t> processesWithHome(const QString& home)
{
    const QByteArray entry = "HOME=" + QFile::encodeName(home);
    QList<pid_t> found;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = name.toInt(&number);
        if (!number || pid == getpid())
            continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!environ.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
            continue;
        const bool zombie = stat.readAll().split(')').last().trimmed().startsWith('Z');
        if (!zombie && environ.readAll().split('\0').contains(entry))
            found.append(pid);
    }
    return found;
}

} // namespace

ScreenReader::ScreenReader()
    : m_environment(QProcessEnvironment::systemEnvironment())
{
}

ScreenReader::~ScreenReader()
{
    endAll();
    if (m_terminal >= 0)
        close(m_terminal);
}

QString ScreenReader::cannotRunReason() const
{
    for (const QString& program : {QStringLiteral("orca"), QStringLiteral("speech-dispatcher")})
        if (QStandardPaths::findExecutable(program).isEmpty())
            return program + QStringLiteral(" is not installed");
    if (!QFile::exists(AtSpiBusLauncher))
        return QStringLiteral("the AT-SPI bus launcher (at-spi2-core) is not installed");
    if (m_environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")).isEmpty())
        return QStringLiteral("no D-Bus session bus; run the test under dbus-run-session");
    if (orcaRunsAlready())
        return QStringLiteral("another Orca of this user is running, and Orca runs once a user");
    return {};
}

QString ScreenReader::start()
{
    if (!m_home.isValid())
        return QStringLiteral("no temporary folder");

    const QString home = m_home.path();
    const QString runtime = home + QStringLiteral("/run");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Sound goes nowhere: the screen reader speaks whether or not anyone hears.
    writeFile(home + QStringLiteral("/.asoundrc"), "pcm.!default { type null }\n");
    writeFile(home + QStringLiteral("/.config/speech-dispatcher/speechd.conf"),
              "AudioOutputMethod \"alsa\"\n");
    writeFile(home + QStringLiteral("/.local/share/orca/user-settings.conf"), OrcaSettings);
    m_environment.insert(QStringLiteral("HOME"), home);
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
    m_environment.remove(QStringLiteral("SPEECHD_ADDRESS"));

    launch(AtSpiBusLauncher, {QStringLiteral("--launch-immediately")});
    if (!waitForFile(runtime + QStringLiteral("/at-spi"), QStringLiteral("bus")))
        return QStringLiteral("the accessibility bus did not start");
    launch(QStringLiteral("speech-dispatcher"),
           {QStringLiteral("--run-single"), QStringLiteral("--timeout"), QStringLiteral("0")});
    if (!waitForFile(runtime + QStringLiteral("/speech-dispatcher/speechd.sock")))
        return QStringLiteral("speech-dispatcher did not start");

    // Orca writes its debug output line by line only to a terminal.
    m_terminal = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_terminal < 0 || grantpt(m_terminal) != 0 || unlockpt(m_terminal) != 0)
        return QStringLiteral("no pseudo-terminal for Orca's output");
    launch(QStringLiteral("orca"),
           {QStringLiteral("--debug-file"), QString::fromLocal8Bit(ptsname(m_terminal))});
    if (waitFor(0, QStringLiteral("Screen reader on.")) < 0) {
        QFile log(m_home.filePath(QStringLiteral("orca.log")));
        log.open(QIODevice::ReadOnly);
        return QStringLiteral("Orca did not start: ") + QString::fromLocal8Bit(log.readAll());
    }
    return {};
}

QProcess* ScreenReader::launch(const QString& program, const QStringList& arguments)
{
    auto& process = m_processes.emplace_back(std::make_unique<QProcess>());
    process->setProcessEnvironment(m_environment);
    // Their output goes to a file: unread, a pipe would fill and stop them.
    const QString log = m_home.filePath(QFileInfo(program).fileName() + QStringLiteral(".log"));
    process->setStandardOutputFile(log);
    process->setStandardErrorFile(log, QIODevice::Append);
    process->start(program, arguments);
    process->waitForStarted(Deadline);
    return process.get();
}

QStringList ScreenReader::spoken()
{
    readSpeech();
    return m_spoken;
}

qsizetype ScreenReader::waitFor(qsizetype from, const std::function<bool(const QString&)>& matches)
{
    const QDeadlineTimer deadline(Deadline);
    do {
        readSpeech();
        for (qsizetype i = from; i < m_spoken.size(); ++i)
            if (matches(m_spoken.at(i)))
                return i;
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return -1;
}

qsizetype ScreenReader::waitFor(qsizetype from, const QString& utterance)
{
    return waitFor(from, [&utterance](const QString& said) { return said == utterance; });
}

// A line "hh:mm:ss.micro - SPEECH OUTPUT: 'text'" followed by the voice, text
// that spans lines going on in lines indented by 18 blanks.
void ScreenReader::readSpeech()
{
    static const QRegularExpression opening(QStringLiteral(R"(^[\d:.]+ - SPEECH OUTPUT: '(.*)$)"));
    static const QRegularExpression closing(
        QStringLiteral(R"(^(.*)'(?: voice=\S+)?\s?\{[^{}]*\}$)"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QString indent(18, u' ');
    char buffer[4096];
    ssize_t got;
    while (m_terminal >= 0 && (got = read(m_terminal, buffer, sizeof buffer)) > 0)
        m_unread.append(buffer, got);
    qsizetype end;
    while ((end = m_unread.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_unread.left(end)).remove(u'\r');
        m_unread.remove(0, end + 1);
        if (!m_record.isNull() && line.startsWith(indent)) {
            m_record += u'\n' + line.mid(indent.size());
        } else {
            const QRegularExpressionMatch open = opening.match(line);
            m_record = open.hasMatch() ? open.captured(1) : QString();
        }
        if (const QRegularExpressionMatch close = closing.match(m_record); close.hasMatch()) {
            m_spoken.append(close.captured(1));
            m_record = QString();
        }
    }
}

void ScreenReader::endAll()
{
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it)
        stopProcess(**it, 2000);
    // The accessibility registry and the speech modules are started by the
    // buses and the speech server, and live on unless ended here.
    for (int signal : {SIGTERM, SIGKILL}) {
        const QList<pid_t> left = processesWithHome(m_home.path());
        for (const pid_t pid : left)
            kill(pid, signal);
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && !processesWithHome(m_home.path()).isEmpty())
            QThread::msleep(20);
    }
}
