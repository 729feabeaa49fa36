#include "app/windowsystem.h"

#include <QByteArray>
#include <QList>
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

[[noreturn]] void sayNoDisplayAndExit()
{
    const QByteArray where = describe("DISPLAY") + ", " + describe("WAYLAND_DISPLAY");
    const char* format = speaksTurkish() ? "serit: \xC5\x9E"
                                           "erit bir grafik ekran gerektirir, ama hi\xC3\xA7"
                                           "bir "
                                           "ekrana ula\xC5\x9F\xC4\xB1lam\xC4\xB1yor (%s).\n"
                                         : "serit: \xC5\x9E"
                                           "erit needs a graphical display, and none can be "
                                           "reached (%s).\n";
    std::fprintf(stderr, format, where.constData());
    std::fflush(stderr);
    // The toolkit is half made: nothing of it is torn down on the way out.
    std::_Exit(1);
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
    if (text.contains(QLatin1String("platform plugin")))
        sayNoDisplayAndExit();
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
