#include "app/fonts.h"

#include "app/twips.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

QFont tapeFont()
{
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(Twips::pointsToPixels(8.25));
    if (!QFontInfo(font).fixedPitch()) {
        const int size = font.pixelSize();
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(size);
    }
    return font;
}

QFont displayFont(double points, bool bold)
{
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(Twips::pointsToPixels(points));
    font.setBold(bold);
    return font;
}
