#include "strippage.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include <algorithm>

namespace {

// What the page may navigate by itself after each of the program's requests:
// a few loads at once (frames, redirects), then one now and then.
constexpr int NavigationBurst = 20;
constexpr int NavigationIntervalMs = 10000;
// Boxes, console lines and refused navigations a page may ask for: so many a
// second, and no more than so many at once (a page that starts up talkative).
constexpr double RequestsPerSecond = 100;
constexpr double RequestsAtOnce = 1000;

// A copy or cut writes nothing: the page's own handlers never see the event,
// which would let them put their data on the clipboard, and with nothing
// selected the engine has nothing to copy. It runs in every frame, in a world
// of its own that the page's scripts cannot reach.
const char* const ClipboardGuard = R"(
(() => {
    const refuse = (event) => {
        event.stopImmediatePropagation();
        const selection = document.getSelection();
        if (selection)
            selection.removeAllRanges();
    };
    for (const type of ['copy', 'cut', 'paste'])
        window.addEventListener(type, refuse, true);
})();
)";

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
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);

    QWebEngineScript guard;
    guard.setName(QStringLiteral("clipboard"));
    guard.setSourceCode(QString::fromLatin1(ClipboardGuard));
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

} // namespace

StripPage::StripPage(QObject* parent)
    : QWebEnginePage(stripProfile(), parent)
    , m_allowance(RequestsAtOnce)
{
    m_sinceRequest.start();
    profile()->setParent(this); // the page goes first, then its profile
}

bool StripPage::acceptNavigationRequest(const QUrl&, NavigationType type, bool)
{
    // Only the program loads a page as if it were typed.
    if (type == NavigationTypeTyped) {
        m_navigations = 0;
        return true;
    }
    if (m_navigations < NavigationBurst) {
        ++m_navigations;
        return true;
    }
    if (!m_nextNavigation.hasExpired()) {
        count();
        return false;
    }
    m_nextNavigation.setRemainingTime(NavigationIntervalMs);
    return true;
}

// The page is always left when the program asks for the next one; any other
// question of the page's is answered no, as if the user had cancelled it.
bool StripPage::javaScriptConfirm(const QUrl&, const QString& message)
{
    count();
    return message == leaveQuestion();
}

void StripPage::count()
{
    const double seconds = static_cast<double>(m_sinceRequest.restart()) / 1000;
    m_allowance = std::min(RequestsAtOnce, m_allowance + seconds * RequestsPerSecond) - 1;
    if (m_allowance < 0) {
        m_allowance = RequestsAtOnce;
        emit excessive();
    }
}
