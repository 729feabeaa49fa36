#include "strippage.h"

#include <QCoreApplication>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

#include <algorithm>

namespace {

// What the page may navigate by itself after each of the program's requests:
// a few loads at once (frames, redirects), then one now and then.
constexpr int NavigationBurst = 20;
constexpr int NavigationIntervalMs = 10000;
// Boxes, console lines, refused navigations and title changes a page may ask
// for: so many a second, and no more than so many at once (a page that starts
// up talkative). A network request counts as twenty: until it is answered,
// it holds memory in the calculator's process, which holds the engine's
// network side (a page of some dozen pictures is still well within).
constexpr double RequestsPerSecond = 100;
constexpr double RequestsAtOnce = 1000;
constexpr double NetworkRequest = 20;

// What the page's scripts may do with the user's input. A copy or cut writes
// nothing: the page's own handlers never see the event, which would let them
// put their data on the clipboard, and with nothing selected the engine has
// nothing to copy. The engine also puts what is selected while it handles the
// user's input into the selection that a middle click pastes elsewhere, so the
// user selects nothing with the mouse (a press does not focus a field either,
// whose keys the calculator takes anyway), and the page hears of each input
// event only once the engine has handled it, as a copy, still within the
// user's gesture. It runs in every frame, in a world of its own that the
// page's scripts cannot reach.
const char* const InputGuard = R"(
(() => {
    const refuse = (event) => {
        event.stopImmediatePropagation();
        const selection = document.getSelection();
        if (selection)
            selection.removeAllRanges();
    };
    for (const type of ['copy', 'cut', 'paste'])
        window.addEventListener(type, refuse, true);
    for (const type of ['mousedown', 'selectstart'])
        window.addEventListener(type, (event) => event.preventDefault(), true);
    const later = (event) => {
        if (!event.isTrusted)
            return;
        event.stopImmediatePropagation();
        // A click's default action (following a link) comes with its copy.
        if (event.type === 'click')
            event.preventDefault();
        const target = event.composedPath()[0];
        const copy = new event.constructor(event.type, event);
        setTimeout(() => target.dispatchEvent(copy), 0);
    };
    for (const type of ['mousedown', 'mouseup', 'mousemove', 'mouseover', 'mouseout',
                        'mouseenter', 'mouseleave', 'click', 'dblclick', 'auxclick',
                        'contextmenu', 'pointerdown', 'pointerup', 'pointermove',
                        'pointerover', 'pointerout', 'pointerenter', 'pointerleave',
                        'pointercancel', 'wheel', 'touchstart', 'touchmove', 'touchend',
                        'touchcancel', 'keydown', 'keyup', 'keypress'])
        window.addEventListener(type, later, true);
})();
)";

class RequestCounter : public QWebEngineUrlRequestInterceptor {
public:
    explicit RequestCounter(StripPage* page)
        : QWebEngineUrlRequestInterceptor(page)
        , m_page(page)
    {
    }

    // Past its allowance, a page's requests go nowhere: those it made
    // before it was ended are still on their way.
    void interceptRequest(QWebEngineUrlRequestInfo& request) override
    {
        request.block(!m_page->count(NetworkRequest));
    }

private:
    StripPage* m_page;
};

// The strip shows one small page, with none of the engine's features that an
// advertisement has no need of: no disk cache; none of what a page might keep
// (cookies, local storage, databases, caches: it is refused them all, as the
// engine asks the cookie filter about each); no window that the page might
// try to open.
QWebEngineProfile* stripProfile()
{
    auto* profile = new QWebEngineProfile; // off the record
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setHttpCacheMaximumSize(2 * 1024 * 1024);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    // Off the record, the engine still makes folders for the storage a page
    // asks for, under the user's data folder, even when it is refused: here
    // it finds no place where a folder can be made.
    profile->setPersistentStoragePath(QStringLiteral("/dev/null/serit"));
    profile->cookieStore()->setCookieFilter(
        [](const QWebEngineCookieStore::FilterRequest&) { return false; });
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);

    QWebEngineScript guard;
    guard.setName(QStringLiteral("input"));
    guard.setSourceCode(QString::fromLatin1(InputGuard));
    guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
    guard.setWorldId(QWebEngineScript::ApplicationWorld);
    guard.setRunsOnSubFrames(true);
    profile->scripts()->insert(guard);
    return profile;
}

// The question the engine asks when a page with an unload handler is left.
QString leaveQuestion()
{
    return QCoreApplication::translate(
        "QWebEnginePage",
        "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

// The engine hands an address of any other scheme (mail, telephone, torrents,
// games, whatever a desktop registers) to the desktop, which starts the program
// registered for it with the page's address as its argument.
bool isWebAddress(const QUrl& url) { return url.scheme() == u"http" || url.scheme() == u"https"; }

} // namespace

StripPage::StripPage(QObject* parent)
    : QWebEnginePage(stripProfile(), parent)
    , m_allowance(RequestsAtOnce)
{
    m_sinceRequest.start();
    profile()->setParent(this); // the page goes first, then its profile
    profile()->setUrlRequestInterceptor(new RequestCounter(this));
    // No microphone, camera, screen, location or notifications.
    connect(this, &QWebEnginePage::featurePermissionRequested, this, &StripPage::refuse);
    connect(this, &QWebEnginePage::titleChanged, this, [this] { count(); });
}

bool StripPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool)
{
    // Only the program loads a page as if it were typed.
    if (type == NavigationTypeTyped) {
        m_navigations = 0;
        m_allowance = RequestsAtOnce;
        return true;
    }
    if (isWebAddress(url) && mayNavigate())
        return true;
    count();
    return false;
}

bool StripPage::mayNavigate()
{
    if (m_navigations < NavigationBurst) {
        ++m_navigations;
        return true;
    }
    if (!m_nextNavigation.hasExpired())
        return false;
    m_nextNavigation.setRemainingTime(NavigationIntervalMs);
    return true;
}

void StripPage::refuse(const QUrl& origin, Feature feature)
{
    count();
    setFeaturePermission(origin, feature, PermissionDeniedByUser);
}

// The page is always left when the program asks for the next one; any other
// question of the page's is answered no, as if the user had cancelled it.
bool StripPage::javaScriptConfirm(const QUrl&, const QString& message)
{
    count();
    return message == leaveQuestion();
}

bool StripPage::count(double cost)
{
    const double seconds = static_cast<double>(m_sinceRequest.restart()) / 1000;
    m_allowance = std::min(RequestsAtOnce, m_allowance + seconds * RequestsPerSecond) - cost;
    if (m_allowance >= 0)
        return true;
    emit excessive();
    return false;
}
