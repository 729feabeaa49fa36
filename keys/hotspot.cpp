#include "keys/hotspot.h"

#include "keys/keytable.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

Hotspot::Hotspot(int index, QWidget* parent)
    : QWidget(parent)
    , m_index(index)
{
    setObjectName(QStringLiteral("Image1_%1").arg(index));
    setFocusPolicy(Qt::NoFocus);
    const KeySpec& key = keyTable()[static_cast<size_t>(index)];
    if (*key.tooltip)
        setToolTip(QString::fromUtf8(key.tooltip));
}

void Hotspot::setFlashed(bool flashed)
{
    if (m_flashed == flashed)
        return;
    m_flashed = flashed;
    update();
}

void Hotspot::paintEvent(QPaintEvent*)
{
    if (!m_flashed)
        return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

// A press only starts the click; the release is the key press.
void Hotspot::mousePressEvent(QMouseEvent* event) { event->accept(); }

void Hotspot::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit released(static_cast<int>(event->button()));
}

void Hotspot::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    emit doubleClicked();
}

namespace {

class AccessibleHotspot : public QAccessibleWidget {
public:
    explicit AccessibleHotspot(Hotspot* hotspot)
        : QAccessibleWidget(hotspot, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return keyAccessibleName(hotspot()->index());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = false;
        s.pressed = hotspot()->isFlashed();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            emit hotspot()->released(Button::Left);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    Hotspot* hotspot() const { return static_cast<Hotspot*>(object()); }
};

QAccessibleInterface* hotspotFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Hotspot") && object && object->isWidgetType())
        return new AccessibleHotspot(static_cast<Hotspot*>(object));
    return nullptr;
}

} // namespace

void installHotspotAccessibility() { QAccessible::installFactory(hotspotFactory); }
