// The yardstick: a bare Qt window of the calculator's size (173 x 304 pixels),
// with nothing in it and no web engine.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(173, 304);
    window.show();
    return app.exec();
}
