#include "app/platform/routinenotes.h"

#include <QLoggingCategory>
#include <QString>

#include <cstring>

namespace {

// Off unless the user's rules turn it on.
Q_LOGGING_CATEGORY(lcRoutine, "serit.routine", QtCriticalMsg)

// Notes that the toolkit and the engine give without a category of their own,
// by how they begin.
constexpr const char* RoutineNotes[] = {
    // Qt takes a folder of its own when the session names no runtime folder.
    "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to ",
    // The engine composes the page in software when Qt has no OpenGL, as the
    // program asks of it.
    "No suitable graphics backend found",
    // A renderer in the engine's sandbox, which keeps fontconfig from its
    // configuration file; it has its fonts from the program.
    "Fontconfig error: Cannot load default config file: No such file: (null)",
};

QtMessageHandler g_next = nullptr;

bool isRoutine(const QString& text)
{
    for (const char* note : RoutineNotes)
        if (text.startsWith(QLatin1String(note)))
            return true;
    return false;
}

bool isUncategorized(const QMessageLogContext& context)
{
    return !context.category || !*context.category || std::strcmp(context.category, "default") == 0;
}

void passOnAllButRoutine(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg && isUncategorized(context) && isRoutine(text) &&
        !lcRoutine().isEnabled(type))
        return;
    g_next(type, context, text);
}

} // namespace

void quietenRoutineNotes()
{
    // Rules the application sets give way to the user's.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    g_next = qInstallMessageHandler(passOnAllButRoutine);
}

bool isKeptBack(const QString& line) { return isRoutine(line) && !lcRoutine().isWarningEnabled(); }
