#include "app/face/keypainter.h"

#include "app/face/facepalette.h"
#include "keys/keytable.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace {

using FacePalette::KeyColours;

const KeyColours& coloursOf(KeyFamily family)
{
    switch (family) {
    case KeyFamily::Red:
        return FacePalette::RedKey;
    case KeyFamily::Teal:
        return FacePalette::TealKey;
    case KeyFamily::Function:
        return FacePalette::FunctionKey;
    case KeyFamily::Digit:
        break;
    }
    return FacePalette::DigitKey;
}

// The top face of a key: inside the outline, above the front skirt, with a
// sliver of skirt left showing at the sides.
QRectF faceOf(const QRectF& key)
{
    const qreal skirt = key.height() >= 24 ? 4 : 3;
    return key.adjusted(2, 1, -2, -skirt);
}

void paintSocket(QPainter& painter, const QRectF& key, qreal radius)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 35, 40, 110));
    painter.drawRoundedRect(key.adjusted(-1.5, -1.5, 1.5, 1.5), radius + 1.5, radius + 1.5);
}

void paintBody(QPainter& painter, const QRectF& key, const QRectF& face, qreal radius,
               const KeyColours& colours)
{
    painter.setPen(QPen(QColor(colours.outline), 1.0));
    painter.setBrush(QColor(colours.skirt));
    painter.drawRoundedRect(key.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    gradient.setColorAt(0, QColor(colours.faceTop));
    gradient.setColorAt(1, QColor(colours.faceBottom));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    const qreal faceRadius = std::max<qreal>(1.0, radius - 1.0);
    painter.drawRoundedRect(face, faceRadius, faceRadius);

    // Light catches the front edge of the face.
    painter.setPen(QPen(QColor(255, 255, 255, 140), 1.0));
    const qreal y = face.top() + 0.5;
    painter.drawLine(QPointF(face.left() + faceRadius, y), QPointF(face.right() - faceRadius, y));
}

// The largest bold font up to `preferred` pixels whose text fits `width`.
QFont legendFont(const QString& text, int preferred, qreal width)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    for (int size = preferred; size > 5; --size) {
        font.setPixelSize(size);
        if (QFontMetricsF(font).tightBoundingRect(text).width() <= width)
            break;
    }
    return font;
}

void paintLegend(QPainter& painter, const QString& text, const QRectF& face, QColor colour)
{
    int preferred = 8;
    if (text.size() == 1) {
        // Signs have less ink than digits at the same size.
        const qreal scale = text.front().isDigit() ? 0.85 : 1.1;
        preferred = std::min(20, static_cast<int>(face.height() * scale));
    }
    const QFont font = legendFont(text, preferred, face.width() - 3);
    // Centre the ink, not the line box, so digits and signs sit in the middle.
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(text);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(face.center() - ink.center(), text);
}

void paintPoint(QPainter& painter, const QRectF& face, QColor colour)
{
    const qreal radius = std::max<qreal>(1.75, face.height() * 0.1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(face.center(), radius, radius);
}

} // namespace

KeyFamily keyFamily(int index)
{
    switch (index) {
    case Key::ClearEntryAndTape:
        return KeyFamily::Red;
    case Key::AddTax:
    case Key::RemoveTax:
        return KeyFamily::Teal;
    default:
        return index <= Key::DecimalPoint ? KeyFamily::Digit : KeyFamily::Function;
    }
}

void paintKey(QPainter& painter, const KeySpec& key, const QRect& rect)
{
    const KeyColours& colours = coloursOf(keyFamily(key.index));
    const QRectF bounds(rect);
    const QRectF face = faceOf(bounds);
    const qreal radius = std::min(bounds.width(), bounds.height()) * 0.16;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintSocket(painter, bounds, radius);
    paintBody(painter, bounds, face, radius, colours);
    if (key.index == Key::DecimalPoint)
        paintPoint(painter, face, QColor(colours.legend));
    else
        paintLegend(painter, QString::fromUtf8(key.legend), face, QColor(colours.legend));
    painter.restore();
}
