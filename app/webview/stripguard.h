#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QKeyEvent;

// Watches the whole application for what belongs to the strip's web view: a
// window of the view's (a box, a chooser, a popup list, a menu, a tool tip) is
// never shown and is closed at once, as if cancelled; keys meant for the view go
// to the calculator's window instead; drags over the view and middle clicks
// into it (which paste the selection) are refused.
class StripGuard : public QObject {
public:
    // `view` is the web view; keys go to the window that `host` is part of.
    StripGuard(QWidget* view, QWidget* host);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool belongsToView(const QObject* object) const;
    void keepOffScreen(QWidget* window) const;
    void giveToCalculator(QEvent* event) const;

    QPointer<QWidget> m_view;
    QPointer<QWidget> m_host;
};
