#include "app/environment.h"
#include "app/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    // The name titles the credits message. It is not set as the display name,
    // which the window system would append to every caption, the tax-rate box's too.
    QApplication::setApplicationName(QStringLiteral("\u015Eerit"));
    QGuiApplication::setDesktopFileName(QStringLiteral("serit"));
    Form1 form;
    form.show();
    // Typing works at once: without a window manager to give the new window the
    // keyboard, the window takes it itself.
    form.activateWindow();
    return app.exec();
}
