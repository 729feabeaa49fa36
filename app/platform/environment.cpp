#include "app/platform/environment.h"

#include "app/webview/rendererbounds.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QOpenGLContext>

#include <pwd.h>
#include <unistd.h>

// Qt's own hook for the context that all others share with, as the web engine
// sets it when it is initialised before the application; exported by Qt GUI.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE

namespace {

bool runsAsRoot() { return geteuid() == 0; }

// As root, the page's renderers run as the system's unprivileged user: a
// renderer without its sandbox makes a "locales" folder beside its own
// executable where it may (as root, in /usr/lib/qt6/libexec), and foreign
// content has no business running with the calculator's privileges anyway.
// Its memory limit is set as it starts, as the calculator may not be allowed
// to set it on another user's process.
QByteArray unprivilegedRenderers()
{
    constexpr const char* SetLimit = "/usr/bin/prlimit";
    constexpr const char* DropPrivileges = "/usr/bin/setpriv";
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || nobody->pw_uid == 0 || access(SetLimit, X_OK) != 0 ||
        access(DropPrivileges, X_OK) != 0)
        return {};
    return QByteArray(" --renderer-cmd-prefix=\"") + SetLimit +
           " --data=" + QByteArray::number(quint64(RendererMemoryLimit)) + ' ' + DropPrivileges +
           " --reuid=" + QByteArray::number(nobody->pw_uid) +
           " --regid=" + QByteArray::number(nobody->pw_gid) + " --clear-groups --\"";
}

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
    // The strip is silent: the engine opens no sound device (nor connects to
    // a sound server, which keeps its files in the user's home).
    // Flags the user sets come after the program's: where they clash, the
    // engine takes the last, the user's.
    QByteArray flags = "--disable-gpu --disable-audio-output";
    if (runsAsRoot())
        flags += " --no-sandbox --no-zygote" + unprivilegedRenderers();
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
