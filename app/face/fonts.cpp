#include "app/face/fonts.h"

#include "app/twips.h"

#include <QStringList>

// The families are tried in turn; where none of them is installed, the
// typewriter hint makes the font system pick its fixed-pitch face. The font
// is not looked up here, so that the fonts are loaded only when first drawn.
QFont tapeFont()
{
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                                 QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(Twips::pointsToPixels(8.25));
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
