#pragma once

#include <QWidget>

// An invisible key area laid over the calculator face. Releasing a mouse button
// over it presses the key; its only look is the one-pixel frame of a flash.
// It never takes the keyboard focus.
class Hotspot : public QWidget {
    Q_OBJECT

public:
    Hotspot(int index, QWidget* parent);

    int index() const { return m_index; }

    bool isFlashed() const { return m_flashed; }
    void setFlashed(bool flashed);

signals:
    void released(int button);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_index;
    bool m_flashed = false;
};

// Exposes each hotspot to screen readers as a push button named by its legend,
// whose press action is a left click.
void installHotspotAccessibility();
