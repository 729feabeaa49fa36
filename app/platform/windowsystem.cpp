#include "app/platform/windowsystem.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPluginLoader>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

struct HeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};

QtMessageHandler g_previousHandler = nullptr;
QList<HeldMessage>* g_heldMessages = nullptr;

bool isSet(const char* name) { return !qEnvironmentVariableIsEmpty(name); }

QByteArray describe(const char* name) { return QByteArray(name) + '=' + qgetenv(name); }

// The user's language for the one line, read as the C library would: Turkish
// where the messages are Turkish, English elsewhere.
bool speaksTurkish()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (isSet(name))
            return qgetenv(name).startsWith("tr");
    return false;
}

// One line in the user's language, naming the displays of the session, and
// exit status 1. The toolkit is half made: nothing of it is torn down on the way out.
[[noreturn]] void sayAndExit(const char* english, const char* turkish, const QByteArray& where)
{
    std::fprintf(stderr, speaksTurkish() ? turkish : english, where.constData());
    std::fflush(stderr);
    std::_Exit(1);
}

[[noreturn]] void sayNoDisplayAndExit()
{
    sayAndExit("serit: \xC5\x9E"
               "erit needs a graphical display, and none can be reached (%s).\n",
               "serit: \xC5\x9E"
               "erit bir grafik ekran gerektirir, ama hi\xC3\xA7"
               "bir ekrana ula\xC5\x9F\xC4\xB1lam\xC4\xB1yor (%s).\n",
               describe("DISPLAY") + ", " + describe("WAYLAND_DISPLAY"));
}

[[noreturn]] void sayWaylandPluginMissingAndExit()
{
    sayAndExit("serit: \xC5\x9E"
               "erit needs the Qt Wayland platform plugin to show its window on this Wayland "
               "display (%s); install the package qt6-wayland.\n",
               "serit: \xC5\x9E"
               "erit'in penceresini bu Wayland ekran\xC4\xB1nda g\xC3\xB6sterebilmesi "
               "i\xC3\xA7in Qt Wayland platform eklentisi gerekir (%s); qt6-wayland paketini "
               "kurun.\n",
               describe("WAYLAND_DISPLAY"));
}

// Whether a platform plugin that offers `name` lies where the toolkit looks.
bool platformPluginInstalled(const QString& name)
{
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        const QDir platforms(folder + QStringLiteral("/platforms"));
        for (const QString& file : platforms.entryList(QDir::Files)) {
            const QJsonArray keys = QPluginLoader(platforms.filePath(file))
                                        .metaData()
                                        .value(QLatin1String("MetaData"))
                                        .toObject()
                                        .value(QLatin1String("Keys"))
                                        .toArray();
            for (const QJsonValue& key : keys)
                if (key.toString().compare(name, Qt::CaseInsensitive) == 0)
                    return true;
        }
    }
    return false;
}

// Whether the window system asked for (QT_QPA_PLATFORM, a list of names with
// their options) is Wayland, and the toolkit's plugin for it is not installed:
// an install with the program's dependencies alone, where Wayland is
// recommended.
bool waylandPluginMissing()
{
    const QStringList asked = qEnvironmentVariable("QT_QPA_PLATFORM").split(u';');
    for (const QString& entry : asked) {
        const QString name = entry.section(u':', 0, 0).trimmed();
        if (name.startsWith(QLatin1String("wayland")) && !platformPluginInstalled(name))
            return true;
    }
    return false;
}

void passOnHeldMessages()
{
    qInstallMessageHandler(g_previousHandler);
    for (const HeldMessage& message : *g_heldMessages) {
        const QByteArray category = message.category.toUtf8();
        const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qt_message_output(message.type, context, message.text);
    }
    delete std::exchange(g_heldMessages, nullptr);
}

void holdOrExit(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        g_heldMessages->append(
            {type, QString::fromUtf8(context.category ? context.category : ""), text});
        return;
    }
    if (text.contains(QLatin1String("platform plugin"))) {
        if (waylandPluginMissing())
            sayWaylandPluginMissingAndExit();
        sayNoDisplayAndExit();
    }
    passOnHeldMessages();
    qt_message_output(type, context, text);
}

// A Wayland display named by a relative name lies in the runtime folder;
// without one it cannot be reached (and the Wayland library would say so in
// words of its own).
bool waylandReachable()
{
    return qgetenv("WAYLAND_DISPLAY").startsWith('/') || isSet("XDG_RUNTIME_DIR");
}

} // namespace

void chooseWindowSystem()
{
    if (isSet("QT_QPA_PLATFORM"))
        return;
    if (isSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    else if (!isSet("WAYLAND_DISPLAY"))
        return;
    else if (waylandReachable())
        qputenv("QT_QPA_PLATFORM", "wayland");
    else
        sayNoDisplayAndExit();
}

void expectWindowSystem()
{
    g_heldMessages = new QList<HeldMessage>;
    g_previousHandler = qInstallMessageHandler(holdOrExit);
}

void windowSystemReached() { passOnHeldMessages(); }
