#include "app/environment.h"

#include <QCoreApplication>

#include <unistd.h>

void prepareWebEngineEnvironment()
{
    // The engine's renderer sandbox cannot run as root; it stays on otherwise.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine is loaded after the window exists and shares its GL contexts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
