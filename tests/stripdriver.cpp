#include "stripdriver.h"

#include "tape/tapeview.h"
#include <QApplication>
#include <QHash>

#include <QTest>
#include <QTimer>
#include <QWindow>

WindowWatch::WindowWatch(QWindow* calculator)
    : m_calculator(calculator)
{
    qApp->installEventFilter(this);
}

bool WindowWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Expose)
        return false;
    auto* window = qobject_cast<QWindow*>(watched);
    if (window && !window->parent() && window != m_calculator && window->isVisible())
        shown.append(QString::fromLatin1(window->metaObject()->className()) + u' ' +
                     window->title());
    return false;
}

QWindow* stripWindow(const Form1& form)
{
    QWindow* innermost = nullptr;
    int deepest = 0;
    for (QWindow* window : QGuiApplication::allWindows()) {
        int depth = 0;
        const QWindow* ancestor = window;
        while (ancestor && ancestor != form.windowHandle()) {
            ancestor = ancestor->parent();
            ++depth;
        }
        if (ancestor && depth > deepest) {
            deepest = depth;
            innermost = window;
        }
    }
    return innermost;
}

bool stripShowsThePage(const Form1& form)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowHandle() && widget->windowHandle() == stripWindow(form)) {
            const QImage strip = widget->grab().toImage();
            return !strip.isNull() &&
                   strip.pixelColor(strip.width() - 10, strip.height() - 5) == QColor(0xffcc00);
        }
    return false;
}

void clickStrip(const Form1& form, Click click)
{
    static const QHash<Click, Qt::MouseButton> buttons{{Click::Left, Qt::LeftButton},
                                                       {Click::Right, Qt::RightButton},
                                                       {Click::Middle, Qt::MiddleButton},
                                                       {Click::Double, Qt::LeftButton}};
    QWindow* strip = stripWindow(form);
    const QPoint point(60, 15);
    QTest::mouseMove(strip, point);
    for (int press = click == Click::Double ? 2 : 1; press > 0; --press) {
        QTest::mousePress(strip, buttons.value(click), {}, point, 50);
        QTest::mouseRelease(strip, buttons.value(click), {}, point, 80);
    }
}

void typeKeys(const Form1& form, const QString& keys)
{
    for (const QChar key : keys) {
        QWindow* focus = QGuiApplication::focusWindow();
        QTest::keyClick(focus ? focus : form.windowHandle(), key.toLatin1());
    }
}

QStringList tapeLines(const Form1& form)
{
    return form.findChild<TapeView*>(QStringLiteral("List1"))->lines();
}

void askForThePageAgain(Form1& form)
{
    auto* timer2 = form.findChild<QTimer*>(QStringLiteral("Timer2"));
    for (int tick = 0; tick < 60; ++tick)
        QMetaObject::invokeMethod(timer2, "timeout");
}
