#include "app/face/facepainter.h"

#include "app/face/calculatorface.h"
#include "app/face/facepalette.h"
#include "app/face/keypainter.h"
#include "keys/keytable.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

namespace {

using namespace FacePalette;

// The parts of the picture, in picture pixels. The window cuts off the 12 left
// columns and the 56 top rows, so the maker's name and the solar cell above
// the display are only seen in the whole picture; the liquid-crystal panel
// lies behind the display labels.
constexpr QRectF BodyRect{3, 3, 194, 320};
constexpr QRectF SolarCellRect{122, 20, 62, 22};
constexpr QRectF BezelRect{8, 59, 184, 70};
constexpr QRectF PanelRect{12, 64, 176, 62};

QLinearGradient verticalGradient(const QRectF& rect, QRgb top, QRgb bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, QColor(top));
    gradient.setColorAt(1, QColor(bottom));
    return gradient;
}

QFont printFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Draws `text` with the centre of its ink at `centre`.
void printCentred(QPainter& painter, const QString& text, QPointF centre, const QFont& font)
{
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(text);
    painter.setFont(font);
    painter.drawText(centre - ink.center(), text);
}

void paintBackdrop(QPainter& painter, const QRectF& picture)
{
    painter.fillRect(picture, verticalGradient(picture, BackdropTop, BackdropBottom));
}

void paintBody(QPainter& painter)
{
    // A soft shadow on the backdrop, then the brushed silver case.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRoundedRect(BodyRect.translated(1, 2), 12, 12);

    painter.setPen(QPen(QColor(BodyOutline), 1.0));
    painter.setBrush(verticalGradient(BodyRect, BodyTop, BodyBottom));
    painter.drawRoundedRect(BodyRect.adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

    QLinearGradient sheen(BodyRect.topLeft(), BodyRect.topRight());
    sheen.setColorAt(0, QColor(255, 255, 255, 0));
    sheen.setColorAt(0.35, QColor(255, 255, 255, 38));
    sheen.setColorAt(0.6, QColor(255, 255, 255, 0));
    painter.setPen(QPen(QColor(255, 255, 255, 120), 1.0));
    painter.setBrush(sheen);
    painter.drawRoundedRect(BodyRect.adjusted(1.5, 1.5, -1.5, -1.5), 11, 11);
}

void paintMakerAndSolarCell(QPainter& painter)
{
    painter.setPen(QColor(Print));
    printCentred(painter, QStringLiteral("ŞERİT"), QPointF(46, 27), printFont(14, true));
    printCentred(painter, QStringLiteral("HESAP MAKİNESİ"), QPointF(46, 40), printFont(6, false));

    painter.setPen(QPen(QColor(BezelBottom), 1.0));
    painter.setBrush(QColor(SolarCell));
    painter.drawRect(SolarCellRect.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(QColor(120, 100, 90), 1.0));
    for (int cell = 1; cell < 4; ++cell) {
        const qreal x = SolarCellRect.left() + cell * SolarCellRect.width() / 4 + 0.5;
        painter.drawLine(QPointF(x, SolarCellRect.top() + 2),
                         QPointF(x, SolarCellRect.bottom() - 2));
    }
}

void paintDisplay(QPainter& painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(verticalGradient(BezelRect, BezelTop, BezelBottom));
    painter.drawRoundedRect(BezelRect, 5, 5);

    painter.fillRect(PanelRect, verticalGradient(PanelRect, PanelTop, PanelBottom));
    // The glass sits slightly below the bezel: a shadow along its top and left.
    painter.fillRect(QRectF(PanelRect.left(), PanelRect.top(), PanelRect.width(), 2),
                     QColor(0, 0, 0, 45));
    painter.fillRect(QRectF(PanelRect.left(), PanelRect.top(), 2, PanelRect.height()),
                     QColor(0, 0, 0, 30));
}

// "ON" is printed above the C·CE key, which also switches the calculator on.
void paintOnMark(QPainter& painter)
{
    const QRect key = CalculatorFace::keyRectInPicture(keyTable()[Key::ClearEntryAndTape].rect);
    painter.setPen(QColor(Print));
    printCentred(painter, QStringLiteral("ON"), QPointF(key.center().x() + 0.5, key.top() - 5),
                 printFont(7, true));
}

void paintKeys(QPainter& painter)
{
    for (const KeySpec& key : keyTable())
        paintKey(painter, key, CalculatorFace::keyRectInPicture(key.rect));
}

} // namespace

void paintCalculatorFace(QPainter& painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintBackdrop(painter, QRectF(QPointF(), CalculatorFace::pictureSize()));
    paintBody(painter);
    paintMakerAndSolarCell(painter);
    paintDisplay(painter);
    paintOnMark(painter);
    paintKeys(painter);
    painter.restore();
}
