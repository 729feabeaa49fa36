#include "app/environment.h"
#include "app/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("\u015Eerit"));
    QGuiApplication::setDesktopFileName(QStringLiteral("serit"));
    Form1 form;
    form.show();
    return app.exec();
}
