#include "app/platform/environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QOpenGLContext>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

// Qt's own hook for the context that all others share with, as the web engine
// sets it when it is initialised before the application; exported by Qt GUI.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE

namespace {

bool runsAsRoot() { return geteuid() == 0; }

// With no OpenGL integration on the X display, asking for a context only
// makes the toolkit say that it cannot make one.
bool openGLCanExist()
{
    return QGuiApplication::platformName() != QLatin1String("xcb") ||
           qgetenv("QT_XCB_GL_INTEGRATION") != "none";
}

} // namespace

void prepareWebEngineEnvironment()
{
    // The engine's renderer sandbox cannot run as root; it stays on otherwise.
    // (Turned off by its flag rather than by QTWEBENGINE_DISABLE_SANDBOX, the
    // engine says nothing about it on every start.)
    // One small strip: its page is drawn in software, with no GPU thread and
    // its OpenGL contexts, and without the sandbox there is no use for the
    // zygote processes that renderers are otherwise forked from. The page
    // keeps a renderer process of its own (not --single-process), so that a
    // page that crashes takes the strip with it and not the calculator.
    // Flags the user sets come after the program's: where they clash, the
    // engine takes the last, the user's.
    QByteArray flags = runsAsRoot() ? "--disable-gpu --no-sandbox --no-zygote" : "--disable-gpu";
    const QByteArray userFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").trimmed();
    if (!userFlags.isEmpty())
        flags += ' ' + userFlags;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // The calculator draws without OpenGL, and so can the strip's one small
    // page: without the X display's OpenGL the engine composes it in software,
    // and no OpenGL driver (with its compiler, some 50 MiB) is loaded at all.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

// Qt::AA_ShareOpenGLContexts would make the application create this context
// in its constructor: loading the OpenGL driver there costs the calculator
// about 50 ms before its window maps, and the driver's memory for the whole
// run even when the strip never starts. The engine only needs the context to
// exist when it is first loaded, so it is made here, just before, as the
// application would have made it.
void shareOpenGLContextsForWebEngine()
{
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    // Without OpenGL (no GLX on the display, the offscreen platform) the view
    // must draw in software, or the engine crashes the whole program.
    if (!openGLCanExist() || !context->create())
        qputenv("QT_QUICK_BACKEND", "software");
    qt_gl_set_global_share_context(context);
}

namespace {

constexpr QLatin1String EngineCopyPrefix("serit-engine-");

// The folders of earlier runs that ended before they could remove theirs.
void removeLeftEngineCopies(const QDir& runtime)
{
    const QFileInfoList folders =
        runtime.entryInfoList({EngineCopyPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoSymLinks);
    for (const QFileInfo& folder : folders) {
        const auto pid = static_cast<pid_t>(folder.fileName().mid(EngineCopyPrefix.size()).toInt());
        if (pid > 0 && folder.ownerId() == geteuid() && kill(pid, 0) != 0 && errno == ESRCH)
            QDir(folder.filePath()).removeRecursively();
    }
}

// Removes `folder` once this process has ended, however it ends (killed too):
// a shell of its own session waits for the end of a pipe whose writing end only
// this process holds.
void removeWhenThisProcessEnds(const QString& folder)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigmask(&attributes, &mask);
    sigaddset(&mask, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &mask);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    QByteArray path = QFile::encodeName(folder);
    char shell[] = "sh", command[] = "-c", script[] = "read _; rm -rf -- \"$0\"";
    char* const arguments[] = {shell, command, script, path.data(), nullptr};
    pid_t watcher;
    posix_spawn(&watcher, "/bin/sh", &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]); // the writing end stays open, unused, as long as the process lives
}

// A folder of this run in the user's runtime folder, removed when the program ends.
struct RunFolder {
    QDir dir;
    ~RunFolder()
    {
        if (!dir.path().isEmpty())
            dir.removeRecursively();
    }
};

} // namespace

// A renderer without the sandbox looks for its locale files in a "locales"
// folder beside its own executable, and makes that folder when it is missing:
// as root, /usr/lib/qt6/libexec/locales. So as root the renderers start from a
// copy of the engine's small process executable in a folder of the program's
// own, which goes with the program.
void keepWebEngineOutOfSystemFolders()
{
    if (!runsAsRoot() || qEnvironmentVariableIsSet("QTWEBENGINEPROCESS_PATH"))
        return;
    const QString installed = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                              QStringLiteral("/QtWebEngineProcess");
    const QDir runtime(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    removeLeftEngineCopies(runtime);
    static RunFolder folder;
    const QString name = EngineCopyPrefix + QString::number(QCoreApplication::applicationPid());
    QDir(runtime.filePath(name)).removeRecursively(); // of a run long gone with the same number
    if (!runtime.mkdir(name))
        return;
    folder.dir.setPath(runtime.filePath(name));
    removeWhenThisProcessEnds(folder.dir.path());
    const QString copy = folder.dir.filePath(QStringLiteral("QtWebEngineProcess"));
    if (QFile::copy(installed, copy))
        qputenv("QTWEBENGINEPROCESS_PATH", QFile::encodeName(copy));
}
