// Saves a picture of an X window, as the user sees it, for the end-to-end tests.
// Usage: grabwindow WINDOW-ID OUTPUT.png

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: grabwindow WINDOW-ID OUTPUT.png\n");
        return 2;
    }
    bool ok = false;
    const WId window = QByteArray(argv[1]).toULongLong(&ok, 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!ok || !screen)
        return 2;
    const QPixmap picture = screen->grabWindow(window);
    return !picture.isNull() && picture.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
