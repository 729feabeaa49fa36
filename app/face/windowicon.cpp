#include "app/face/windowicon.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb BodyTop = 0xffb4defa;
constexpr QRgb BodyBottom = 0xff82c3f0;
constexpr QRgb Outline = 0xff2c6a99;
constexpr QRgb Display = 0xffd6e4cf;
constexpr QRgb DisplayInk = 0xff34444f;
constexpr QRgb DigitKey = 0xfff7fbfe;
constexpr QRgb OperatorKey = 0xff3f8fd2;

// Every edge of the drawing is a whole pixel of a size x size square, so that
// small sizes stay sharp instead of being a scaled-down large drawing.
int part(int size, double fraction, int least = 1)
{
    return std::max(least, static_cast<int>(std::lround(size * fraction)));
}

int keyRows(int size)
{
    if (size >= 48)
        return 5;
    if (size >= 32)
        return 4;
    return size >= 24 ? 3 : 2;
}

// Equal keys of whole pixels, the grid centred in `area`.
void paintKeys(QPainter& painter, const QRect& area, int size)
{
    const int columns = size >= 32 ? 4 : 3;
    const int rows = keyRows(size);
    const int gap = part(size, 0.035);
    const int keyWidth = (area.width() - (columns - 1) * gap) / columns;
    const int keyHeight = (area.height() - (rows - 1) * gap) / rows;
    const QPoint origin(area.left() + (area.width() - columns * (keyWidth + gap) + gap) / 2,
                        area.top() + (area.height() - rows * (keyHeight + gap) + gap) / 2);
    const qreal radius = size >= 48 ? size / 96.0 : 0;
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const bool operatorKey = column == columns - 1;
            painter.setBrush(QColor(operatorKey ? OperatorKey : DigitKey));
            const QRectF key(origin.x() + column * (keyWidth + gap),
                             origin.y() + row * (keyHeight + gap), keyWidth, keyHeight);
            painter.drawRoundedRect(key, radius, radius);
        }
    }
}

void paintDisplay(QPainter& painter, const QRect& display, int size)
{
    const int frame = part(size, 1.0 / 48);
    painter.fillRect(display, QColor(Outline));
    const QRect glass = display.adjusted(frame, frame, -frame, -frame);
    painter.fillRect(glass, QColor(Display));
    if (size < 32)
        return;
    // A few digits' worth of dark segments at the right of the glass.
    const int inset = part(size, 0.05);
    const QRect ink = glass.adjusted(glass.width() / 3, inset, -inset, -inset);
    const int digits = 3;
    const int gap = part(size, 0.03);
    const int width = (ink.width() - (digits - 1) * gap) / digits;
    for (int i = 0; i < digits; ++i)
        painter.fillRect(QRect(ink.right() + 1 - (digits - i) * width - (digits - 1 - i) * gap,
                               ink.top(), width, ink.height()),
                         QColor(DisplayInk));
}

void paintCalculatorIcon(QPainter& painter, int size)
{
    const QRect body(part(size, 0.17), part(size, 0.04, 0), size - 2 * part(size, 0.17),
                     size - 2 * part(size, 0.04, 0));
    const int line = part(size, 1.0 / 48);
    const qreal radius = size * 0.09;

    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(body.topLeft(), body.bottomLeft());
    gradient.setColorAt(0, QColor(BodyTop));
    gradient.setColorAt(1, QColor(BodyBottom));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Outline));
    painter.drawRoundedRect(body, radius, radius);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(body).adjusted(line, line, -line, -line), radius - line,
                            radius - line);

    const int margin = part(size, 0.07);
    const QRect inner = body.adjusted(margin + line, margin + line, -margin - line, -margin - line);
    const QRect display(inner.left(), inner.top(), inner.width(), part(size, 0.2, 4));
    paintDisplay(painter, display, size);
    paintKeys(painter, inner.adjusted(0, display.height() + margin, 0, 0), size);
}

class CalculatorIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        const int size = std::min(rect.width(), rect.height());
        painter->save();
        painter->translate(rect.x() + (rect.width() - size) / 2,
                           rect.y() + (rect.height() - size) / 2);
        paintCalculatorIcon(*painter, size);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    // The sizes a window system is offered for the window's own icon; any
    // other size is drawn when asked for.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int size : {16, 24, 32, 48, 64})
            sizes.append(QSize(size, size));
        return sizes;
    }

    QIconEngine* clone() const override { return new CalculatorIconEngine; }
    QString key() const override { return QStringLiteral("serit-calculator"); }
};

} // namespace

QIcon windowIcon() { return QIcon(new CalculatorIconEngine); }
