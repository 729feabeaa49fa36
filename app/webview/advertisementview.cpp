// The web view of the advertisement strip, built as a module of its own that
// the program loads at run time once its window is on screen.

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// The strip shows one small page: no disk cache, no persistent storage, and no
// window that the page might try to open.
QWebEngineProfile* stripProfile(QObject* owner)
{
    auto* profile = new QWebEngineProfile(owner); // off the record: nothing on disk
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

} // namespace

extern "C" Q_DECL_EXPORT QWidget* serit_create_advertisement_view(QWidget* parent)
{
    auto* view = new QWebEngineView(parent);
    // QWebEngineView opens no window of its own: createWindow() answers nullptr.
    QWebEngineProfile* profile = stripProfile(nullptr);
    auto* page = new QWebEnginePage(profile, view);
    profile->setParent(page); // the page goes first, then its profile
    view->setPage(page);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    return view;
}
