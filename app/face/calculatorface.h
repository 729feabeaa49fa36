#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QWidget>

// Image3: the picture of the calculator that lies under the key hotspots of
// Picture1. It is drawn, not loaded, so that it stays sharp at any device pixel
// ratio, and its keys are drawn from the key table so that they always lie
// under their hotspots. It only shows; the hotspots above it take the mouse.
class CalculatorFace : public QWidget {
    Q_OBJECT

public:
    // Where the picture lies inside Picture1, in twips: shifted left and up so
    // that its outer margin is cut off.
    static constexpr QRectF GeometryTwips{-180, -840, 3000, 4890};

    explicit CalculatorFace(QWidget* parent = nullptr);

    // The picture's natural size in logical pixels.
    static QSize pictureSize();

    // The picture pixels under a hotspot whose rectangle in Picture1 is `twips`.
    // Edges are rounded as the hotspots' own edges are, so both cover the same
    // pixels.
    static QRect keyRectInPicture(const QRectF& twips);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
