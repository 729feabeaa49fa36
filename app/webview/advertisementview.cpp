// The web view of the advertisement strip, built as a module of its own that
// the program loads at run time once its window is on screen.

#include "rendererlimits.h"
#include "stripguard.h"
#include "strippage.h"

#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

#include <malloc.h>

namespace {

// Where the web view draws through OpenGL (on platforms that give Qt their
// OpenGL), inside the calculator's window it would make the toolkit recreate
// that window as an OpenGL one, which unmaps it for a moment and loses the
// clicks and keys of that moment. So the view keeps a native window of its
// own, placed as a child window over the strip.
class AdvertisementView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QUrl url READ url WRITE setUrl)

public:
    explicit AdvertisementView(QWidget* parent)
        : QWidget(parent)
        , m_view(new QWebEngineView)
    {
        m_view->setPage(makePage()); // QWebEngineView opens no window of its own
        new StripGuard(m_view, this);
        m_view->setContextMenuPolicy(Qt::NoContextMenu);
        m_view->setAcceptDrops(false);
        // An OpenGL child from the start makes the view's own window an
        // OpenGL one at once, so it is never recreated once it is embedded.
        // Where there is no OpenGL the view draws in software.
        if (QOpenGLContext::globalShareContext() && QOpenGLContext::globalShareContext()->isValid())
            (new QOpenGLWidget(m_view))->hide();
        // A native window of no size is never mapped: the view would stay
        // hidden however its container is sized later.
        if (parent)
            m_view->resize(parent->size());
        m_view->winId();
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        QWidget* container = QWidget::createWindowContainer(m_view->windowHandle(), this);
        container->setFocusPolicy(Qt::NoFocus);
        // The container would hand a drag on to the view's window, whose
        // widgets hand it back to the container, without end.
        container->setAcceptDrops(false);
        layout->addWidget(container);
        m_view->windowHandle()->installEventFilter(this);
    }

    ~AdvertisementView() override { delete m_view; }

    QUrl url() const { return m_view->url(); }
    void setUrl(const QUrl& url) { m_view->setUrl(url); }

protected:
    // The keys belong to the calculator: a click into the page, or a platform
    // that activates every window it shows, must not leave them in the strip.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, this, [this] {
                window()->activateWindow();
                window()->setFocus(Qt::ActiveWindowFocusReason);
            });
        return QWidget::eventFilter(watched, event);
    }

private:
    // A page of its own profile, kept within bounds.
    QWebEnginePage* makePage()
    {
        auto* page = new StripPage(m_view);
        auto* limits = new RendererLimits(page);
        connect(page, &StripPage::excessive, limits, &RendererLimits::end);
        connect(limits, &RendererLimits::ended, this, &AdvertisementView::renewPage,
                Qt::QueuedConnection);
        return page;
    }

    // What an ended page holds outside its renderer (its frames, its
    // history, its profile's storage) is freed with it: the old page goes (the
    // view does not delete a page it was given), and the next request loads
    // into a new one.
    void renewPage()
    {
        QWebEnginePage* old = m_view->page();
        m_view->setPage(makePage());
        delete old;
        malloc_trim(0); // what the engine freed goes back to the system
    }

    QWebEngineView* m_view;
};

} // namespace

extern "C" Q_DECL_EXPORT QWidget* serit_create_advertisement_view(QWidget* parent)
{
    return new AdvertisementView(parent);
}

#include "advertisementview.moc"
