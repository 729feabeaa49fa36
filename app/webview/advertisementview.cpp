// The web view of the advertisement strip, built as a module of its own that
// the program loads at run time once its window is on screen.

#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

namespace {

// The strip shows one small page: no disk cache, no persistent storage, and no
// window that the page might try to open.
QWebEngineProfile* stripProfile()
{
    auto* profile = new QWebEngineProfile; // off the record: nothing on disk
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setHttpCacheMaximumSize(2 * 1024 * 1024);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    return profile;
}

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
        QWebEngineProfile* profile = stripProfile();
        auto* page = new QWebEnginePage(profile, m_view);
        profile->setParent(page); // the page goes first, then its profile
        m_view->setPage(page);    // QWebEngineView opens no window of its own
        m_view->setContextMenuPolicy(Qt::NoContextMenu);
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
    QWebEngineView* m_view;
};

} // namespace

extern "C" Q_DECL_EXPORT QWidget* serit_create_advertisement_view(QWidget* parent)
{
    return new AdvertisementView(parent);
}

#include "advertisementview.moc"
