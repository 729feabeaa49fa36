#include "app/face/calculatorface.h"

#include "app/face/facepainter.h"
#include "app/twips.h"

#include <QPainter>

CalculatorFace::CalculatorFace(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(pictureSize());
}

QSize CalculatorFace::pictureSize()
{
    return Twips::toPixels(QRectF(QPointF(), GeometryTwips.size())).size();
}

QRect CalculatorFace::keyRectInPicture(const QRectF& twips)
{
    return Twips::toPixels(twips.translated(-GeometryTwips.topLeft()));
}

QSize CalculatorFace::sizeHint() const { return pictureSize(); }

void CalculatorFace::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintCalculatorFace(painter);
}
