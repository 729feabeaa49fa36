// Renders the application icon to PNG files at build time, for the icon theme.
// Usage: exporticon SIZE FILE [SIZE FILE ...]

#include "app/face/windowicon.h"

#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.size() % 2 != 0) {
        std::fputs("usage: exporticon SIZE FILE [SIZE FILE ...]\n", stderr);
        return 2;
    }
    const QIcon icon = windowIcon();
    for (qsizetype i = 0; i < args.size(); i += 2) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        const QString& file = args[i + 1];
        const QPixmap pixmap = ok && size > 0 ? icon.pixmap(QSize(size, size)) : QPixmap();
        if (pixmap.size() != QSize(size, size) || !pixmap.save(file, "PNG")) {
            std::fprintf(stderr, "exporticon: cannot write %s at size %s\n", qPrintable(file),
                         qPrintable(args[i]));
            return 1;
        }
    }
    return 0;
}
