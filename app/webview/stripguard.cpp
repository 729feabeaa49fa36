#include "stripguard.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

namespace {

bool isDrag(QEvent::Type type)
{
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::DragLeave ||
           type == QEvent::Drop;
}

bool isKey(QEvent::Type type)
{
    return type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::InputMethod;
}

bool isMiddleClick(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return static_cast<const QMouseEvent*>(event)->button() == Qt::MiddleButton;
    default:
        return false;
    }
}

} // namespace

StripGuard::StripGuard(QWidget* view, QWidget* host)
    : QObject(host)
    , m_view(view)
    , m_host(host)
{
    qApp->installEventFilter(this);
}

bool StripGuard::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && !isDrag(type) && !isKey(type) && !isMiddleClick(event))
        return false;
    if (!m_view || !m_host || !belongsToView(watched))
        return false;
    if (type == QEvent::Show) {
        // The view is a window of its own too, embedded in the calculator's.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->isWindow() && widget != m_view)
            keepOffScreen(widget);
        return false;
    }
    if (isKey(type)) {
        giveToCalculator(event);
        return true;
    }
    // A drag or a middle click: nothing of it reaches the page.
    event->ignore();
    return true;
}

// The view's own widgets and windows, and any window whose parent is one of them.
bool StripGuard::belongsToView(const QObject* object) const
{
    if (const auto* window = qobject_cast<const QWindow*>(object)) {
        for (; window; window = window->parent(QWindow::IncludeTransients))
            if (window == m_view->windowHandle())
                return true;
        return false;
    }
    for (const auto* widget = qobject_cast<const QWidget*>(object); widget;
         widget = widget->parentWidget())
        if (widget == m_view)
            return true;
    return false;
}

// The window was asked to show: it is kept off the screen, blocks no other
// window, and is closed as soon as its showing is over, which cancels a box.
void StripGuard::keepOffScreen(QWidget* window) const
{
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->setWindowModality(Qt::NonModal);
    QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

void StripGuard::giveToCalculator(QEvent* event) const
{
    // While the view's window has the keyboard, the calculator's window may
    // have no focus widget of its own; its focus proxy stands in.
    QWidget* calculator = m_host->window();
    QWidget* target = calculator->focusWidget();
    if (!target || belongsToView(target))
        target = calculator->focusProxy() ? calculator->focusProxy() : calculator;
    QCoreApplication::sendEvent(target, event);
}
