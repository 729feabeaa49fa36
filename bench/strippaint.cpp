// Checks that the strip's web engine, set up as the calculator sets it up,
// still draws a page: the real window on the X display, its strip sent to a
// data: page of one colour (there is no network here), and the screen read back.
// Prints strip_paints=1 and the time it took, or strip_paints=0.

#include "app/advertisementstrip.h"
#include "app/form1.h"
#include "app/platform/environment.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

namespace {

int pixelsOf(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

} // namespace

int main(int argc, char* argv[])
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    Form1 form;
    form.show();
    auto* strip = form.findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
    QDeadlineTimer deadline(30000);
    while (!strip->view() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!strip->view()) {
        std::printf("strip_paints=0 (no web view)\n");
        return 1;
    }
    const QColor orange(255, 165, 0);
    QElapsedTimer elapsed;
    elapsed.start();
    strip->navigate(QStringLiteral("data:text/html,<body style=background:orange></body>"));
    deadline.setRemainingTime(20000);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        const QImage shot =
            QGuiApplication::primaryScreen()->grabWindow(form.winId(), 0, 0, 173, 36).toImage();
        if (pixelsOf(shot, orange) > shot.width() * shot.height() / 2) {
            std::printf("strip_paints=1 after_ms=%lld\n", elapsed.elapsed());
            return 0;
        }
    }
    std::printf("strip_paints=0\n");
    return 1;
}
