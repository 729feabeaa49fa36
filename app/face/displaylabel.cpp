#include "app/face/displaylabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// Glyphs drawn at a high device pixel ratio can come out a little wider than
// measured in logical pixels; the text keeps this much of the width spare.
constexpr qreal SpareWidth = 0.04;

} // namespace

QFont DisplayLabel::fittedFont() const
{
    QFont font = this->font();
    const qreal room = contentsRect().width() * (1 - SpareWidth);
    int pixels = font.pixelSize();
    qreal width = QFontMetricsF(font, this).horizontalAdvance(text());
    if (pixels <= 0 || width <= room)
        return font;
    pixels = std::max(1, int(std::floor(pixels * room / width)));
    for (;;) {
        font.setPixelSize(pixels);
        width = QFontMetricsF(font, this).horizontalAdvance(text());
        if (width <= room || pixels == 1)
            return font;
        --pixels;
    }
}

void DisplayLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(fittedFont());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()), text());
}
