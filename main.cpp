#include "app/form1.h"
#include "app/platform/environment.h"
#include "app/platform/routinenotes.h"
#include "app/platform/windowsystem.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    quietenRoutineNotes();
    chooseWindowSystem();
    prepareWebEngineEnvironment();
    expectWindowSystem();
    QApplication app(argc, argv);
    windowSystemReached();
    // The window class that task bars match with the desktop entry: plain
    // ASCII, as the X property that carries it is Latin-1.
    QApplication::setApplicationName(QStringLiteral("Serit"));
    QGuiApplication::setDesktopFileName(QStringLiteral("serit"));
    Form1 form;
    form.show();
    // Typing works at once: without a window manager to give the new window the
    // keyboard, the window takes it itself.
    form.activateWindow();
    return app.exec();
}
