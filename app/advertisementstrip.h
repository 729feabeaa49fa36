#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// The strip at the top of the window that shows the maker's advertisement page.
// It holds the web view, which is made only when startEngine() is called: the
// web engine is far heavier than the calculator and is loaded once the window
// is on screen. Requests made before that are kept and the latest is loaded
// then. Nothing in the calculator depends on the page.
class AdvertisementStrip : public QWidget {
    Q_OBJECT

public:
    using ViewFactory = std::function<QWidget*(QWidget* parent)>;

    AdvertisementStrip(ViewFactory createView, QWidget* parent);

    // Asks the web view to load `address`, given as the user would type it.
    void navigate(const QString& address);

    // Makes the web view, once; later calls do nothing.
    void startEngine();

    QWidget* view() const { return m_view; }

signals:
    void navigationRequested(const QString& address);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void load(const QString& address);

    ViewFactory m_createView;
    QPointer<QWidget> m_view;
    QString m_pendingAddress;
    bool m_started = false;
};
