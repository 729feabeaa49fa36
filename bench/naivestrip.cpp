// The strip done the obvious way: the bare window with a web view across its
// top, made before the window is shown and sent to the same page as the
// calculator's strip. The engine runs with its default settings.

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>
#include <QWidget>

#include <unistd.h>

int main(int argc, char* argv[])
{
    if (geteuid() == 0) // the engine's sandbox cannot run as root
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("naive strip"));
    window.setFixedSize(173, 304);
    auto* view = new QWebEngineView(&window);
    view->setGeometry(0, 0, 173, 37);
    view->setUrl(QUrl::fromUserInput(QStringLiteral("www.serit.example/tarkal_reklam.htm")));
    window.show();
    return app.exec();
}
