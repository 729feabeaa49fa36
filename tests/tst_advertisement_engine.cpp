// The advertisement strip with the real web engine: loaded after the window is
// painted, sent to the maker's page (served here by a local stand-in for the
// maker's host), and whatever that page does, never opening a window, taking
// a key or exhausting the machine.

#include "app/advertisementstrip.h"
#include "app/form1.h"
#include "app/platform/environment.h"
#include "formdriver.h"
#include "makerhost.h"
#include "rendererprocesses.h"
#include "tape/tapeview.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QWindow>

namespace {

MakerHost* host = nullptr;

#ifdef __SANITIZE_ADDRESS__
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif

class SmallScreen : public Platform {
public:
    QSize screenSize() const override { return {1024, 768}; }
};

// The maker's page: `script` runs once the body is there; every page says
// when it is on screen (two frames drawn), and reports each click that reaches
// it. The engine takes no input before a page has shown some text.
QByteArray makerPage(const QByteArray& body, const QByteArray& script = {})
{
    return "<!doctype html><html><body style=\"margin:0;background:#fc0\">" + body + "Reklam" +
           "<script>function report(what) { fetch('/report?' + what); }\n"
           "addEventListener('click', () => report('clicked'), true);\n" +
           script +
           "\nrequestAnimationFrame(() => requestAnimationFrame(() => report('ready')));"
           "</script></body></html>";
}

// Top-level windows other than the calculator's that reach the screen.
class WindowWatch : public QObject {
public:
    explicit WindowWatch(QWindow* calculator)
        : m_calculator(calculator)
    {
        qApp->installEventFilter(this);
    }
    QStringList shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Expose)
            return false;
        auto* window = qobject_cast<QWindow*>(watched);
        if (window && !window->parent() && window != m_calculator && window->isVisible())
            shown.append(QString::fromLatin1(window->metaObject()->className()) + u' ' +
                         window->title());
        return false;
    }

private:
    QWindow* m_calculator;
};

// The strip's own window: the innermost window inside the calculator's.
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

// The page's background colour shows in the strip, past the page's content:
// what the user sees before clicking into it.
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

// A click as the mouse gives it: the pointer moves onto the strip, a button
// goes down and comes up.
void clickStrip(const Form1& form, Qt::MouseButton button)
{
    QWindow* strip = stripWindow(form);
    const QPoint point(60, 15);
    QTest::mouseMove(strip, point);
    QTest::mousePress(strip, button, {}, point, 50);
    QTest::mouseRelease(strip, button, {}, point, 80);
}

// Types as the keyboard does: into whichever window has the keyboard.
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

// Timer2 ticks once a minute; the page is asked for again at the 60th tick.
void askForThePageAgain(Form1& form)
{
    auto* timer2 = form.findChild<QTimer*>(QStringLiteral("Timer2"));
    for (int tick = 0; tick < 60; ++tick)
        QMetaObject::invokeMethod(timer2, "timeout");
}

QStringList reportsBeyond(const QStringList& reports)
{
    QStringList left;
    for (const QString& report : reports)
        if (report != u"ready" && report != u"clicked")
            left.append(report);
    return left;
}

// What becomes of a page's renderer: it stays, it is ended, or it stays but is
// held back (watched for longer, to see it held).
enum class Fate { Stays, Ended, HeldBack };

} // namespace

Q_DECLARE_METATYPE(Fate)

class AdvertisementEngineTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        host->clear();
        host->setPage(makerPage("Reklam"));
    }

    void engineFlagsKeepTheUsersLast()
    {
        const QByteArray saved = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--user-flag=1");
        prepareWebEngineEnvironment();
        const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", saved);
        QVERIFY2(flags.startsWith("--disable-gpu") && flags.endsWith(" --user-flag=1"), flags);
    }

    void stripLoadsTheMakersPageAfterThePaint()
    {
        Form1 form(std::make_unique<SmallScreen>());
        auto* strip = form.findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
        QVERIFY(!strip->view());
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_VERIFY_WITH_TIMEOUT(host->reports().contains(u"ready"), 30000);
        QTRY_VERIFY(stripShowsThePage(form));
        QCOMPARE(strip->view()->property("url").toUrl(),
                 QUrl(QStringLiteral("http://www.serit.example/tarkal_reklam.htm")));
        // A click into the page does not keep the keyboard in the strip.
        clickStrip(form, Qt::LeftButton);
        QTRY_VERIFY(host->reports().contains(u"clicked"));
        auto* entry = form.findChild<EntryField*>(QStringLiteral("Text1"));
        QTRY_COMPARE(QApplication::focusWidget(), entry);
        QVERIFY(form.isActiveWindow());
        // Keys the window system gives the strip's own window reach the calculator.
        QTest::keyClick(stripWindow(form), '7');
        QCOMPARE(entry->text(), QStringLiteral("7"));
    }

    void pageCannotOpenWindows()
    {
        Form1 form(std::make_unique<SmallScreen>());
        form.show();
        auto* strip = form.findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
        QTRY_VERIFY_WITH_TIMEOUT(strip->view(), 30000);
        const WindowWatch watch(form.windowHandle());
        strip->navigate(QStringLiteral("data:text/html,<script>window.open('about:blank','_blank');"
                                       "window.open('data:text/html,popup')</script>"));
        QTRY_COMPARE_WITH_TIMEOUT(strip->view()->property("url").toUrl().scheme(),
                                  QStringLiteral("data"), 30000);
        QTest::qWait(1500); // give the page's script its chance to open something
        QCOMPARE(watch.shown, QStringList());
    }

    void hostilePage_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<Qt::MouseButton>("click"); // NoButton: the user does not click
        QTest::addColumn<Fate>("fate");
        QTest::addColumn<QStringList>("reports"); // what the page reports it got

        const Qt::MouseButton none = Qt::NoButton, left = Qt::LeftButton;
        const Fate stays = Fate::Stays, ended = Fate::Ended;
        QTest::newRow("alert, confirm and prompt")
            << makerPage({}, "report(['alert=' + alert('a'), 'confirm=' + confirm('b'),"
                             " 'prompt=' + prompt('c', 'd')].join('&'));")
            << none << stays << QStringList{"alert=undefined&confirm=false&prompt=null"};
        QTest::newRow("prompt after a click")
            << makerPage("Tikla", "onclick = () => report('prompt=' + prompt('Kac?'));") << left
            << stays << QStringList{"prompt=null"};
        QTest::newRow("alert loop")
            << makerPage({}, "setTimeout(() => { for (;;) alert('again'); }, 200);") << none
            << ended << QStringList{};
        QTest::newRow("beforeunload at the reload")
            << makerPage("Kal", "onbeforeunload = (e) => { e.preventDefault(); e.returnValue = "
                                "'kal'; return 'kal'; };")
            << left << stays << QStringList{};
        QTest::newRow("context menu") << makerPage("Menu", "oncontextmenu = () => report('menu');")
                                      << Qt::RightButton << stays << QStringList{"menu"};
        QTest::newRow("authentication")
            << makerPage("<iframe src=\"/private\"></iframe>") << none << stays << QStringList{};
        QTest::newRow("file chooser")
            << makerPage("<input type=file id=f style=\"width:150px;height:30px\">",
                         "f.onchange = () => report('files=' + f.files.length);")
            << left << stays << QStringList{};
        QTest::newRow("colour chooser")
            << makerPage("<input type=color id=c style=\"width:150px;height:30px\">",
                         "c.onchange = () => report('colour=' + c.value);")
            << left << stays << QStringList{};
        QTest::newRow("list popup")
            << makerPage("<select style=\"width:150px;height:30px\"><option>a<option>b</select>")
            << left << stays << QStringList{};
        QTest::newRow("date popup")
            << makerPage("<input type=date id=d style=\"width:150px;height:30px\">",
                         "onclick = () => d.showPicker();")
            << left << stays << QStringList{};
        QTest::newRow("clipboard write after a click")
            << makerPage("<p id=t>Reklam</p>",
                         "onclick = () => { oncopy = (e) => { e.clipboardData.setData("
                         "'text/plain', 'page'); e.preventDefault(); };"
                         " getSelection().selectAllChildren(t); document.execCommand('copy'); };")
            << left << stays << QStringList{};
        QTest::newRow("clipboard write from a frame")
            << makerPage(
                   "<iframe id=f style=\"position:absolute;left:200px;width:80px;height:30px\" "
                   "srcdoc=\"<p id=t>Reklam</p>\"></iframe>",
                   "onclick = () => { const d = f.contentDocument;"
                   " f.contentWindow.oncopy = (e) => { e.clipboardData.setData("
                   "'text/plain', 'page'); e.preventDefault(); };"
                   " d.getSelection().selectAllChildren(d.getElementById('t'));"
                   " d.execCommand('copy'); };")
            << left << stays << QStringList{};
        QTest::newRow("clipboard read after a click")
            << makerPage("<textarea id=a style=\"width:150px;height:30px\"></textarea>",
                         "onclick = () => { a.focus(); document.execCommand('paste');"
                         " report('pasted=' + a.value); };")
            << left << stays << QStringList{"pasted="};
        QTest::newRow("middle click pastes the selection")
            << makerPage("<textarea id=a style=\"width:150px;height:30px\"></textarea>",
                         "onmouseup = (e) => report('button=' + e.button);")
            << Qt::MiddleButton << stays << QStringList{};
        QTest::newRow("memory hog")
            << makerPage({}, "const kept = []; setInterval(() => { const a = new Float64Array("
                             "1 << 20); a.fill(1); kept.push(a); }, 5);")
            << none << ended << QStringList{};
        QTest::newRow("processor hog") << makerPage({}, "setTimeout(() => { for (;;); }, 200);")
                                       << none << ended << QStringList{};
        // Every frame of it costs the calculator's process its share of showing it.
        QTest::newRow("animation without pause")
            << makerPage("<canvas id=c width=240 height=30></canvas>",
                         "const g = c.getContext('2d'); let t = 0; (function frame() { ++t;"
                         " for (let i = 0; i < 400; ++i) { g.fillStyle = `hsl(${(t + i) % 360},"
                         "80%,50%)`; g.fillRect((i * 17 + t * 3) % 240, (i * 7) % 30, 24, 24); }"
                         " requestAnimationFrame(frame); })();")
            << none << ended << QStringList{};
        QTest::newRow("console flood")
            << makerPage({}, "setTimeout(() => { for (let i = 0;; ++i) console.log("
                             "'line ' + i); }, 200);")
            << none << ended << QStringList{};
        QTest::newRow("reload storm") << makerPage({}, "setTimeout(() => location.reload(), 1);")
                                      << none << Fate::HeldBack << QStringList{};
    }

    void hostilePage()
    {
        QFETCH(QByteArray, page);
        QFETCH(Qt::MouseButton, click);
        QFETCH(Fate, fate);
        QFETCH(QStringList, reports);
        host->setPage(page);
        QGuiApplication::clipboard()->setText(QStringLiteral("the user's own"));

        Form1 form(std::make_unique<SmallScreen>());
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_VERIFY_WITH_TIMEOUT(host->reports().contains(u"ready"), 30000);
        QTRY_VERIFY(stripShowsThePage(form));
        const WindowWatch windows(form.windowHandle());
        RendererProcesses renderers;
        const QList<qint64> attackers = renderers.pids();
        QVERIFY(!attackers.isEmpty());
        const qint64 calculatorKiB =
            RendererProcesses::privateKiB(QCoreApplication::applicationPid());

        if (click != Qt::NoButton)
            clickStrip(form, click);
        typeKeys(form, QStringLiteral("12+"));
        if (fate == Fate::Ended)
            QTRY_VERIFY_WITH_TIMEOUT(!renderers.anyAlive(attackers), 20000);
        else if (click == Qt::LeftButton)
            QTRY_VERIFY(host->reports().contains(u"clicked"));
        // What the page does with it has its time to show.
        QTest::qWait(fate == Fate::HeldBack ? 3000 : 1000);
        typeKeys(form, QStringLiteral("3,5+"));
        const qint64 grownKiB =
            RendererProcesses::privateKiB(QCoreApplication::applicationPid()) - calculatorKiB;

        QCOMPARE(tapeLines(form), (QStringList{QString(18, u' '), tapeLine("+", "12.00", "12.00"),
                                               tapeLine("+", "3.50", "15.50")}));
        QCOMPARE(windows.shown, QStringList());
        QCOMPARE(reportsBeyond(host->reports()), reports);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's own"));
        QVERIFY2(renderers.largestMiB() <= 256,
                 qPrintable(QString::number(renderers.largestMiB())));
        QVERIFY2(host->pageRequests() < 30, qPrintable(QString::number(host->pageRequests())));
        if (!AddressSanitizer) // which keeps freed memory aside for a while
            QVERIFY2(grownKiB < 16 * 1024, qPrintable(QString::number(grownKiB)));

        // The next request shows the maker's page again, whatever the last one did.
        host->setPage(makerPage({}, "report('shown');"));
        askForThePageAgain(form);
        QTRY_VERIFY_WITH_TIMEOUT(host->reports().contains(u"shown"), 30000);
        QVERIFY(form.close());
    }
};

int main(int argc, char* argv[])
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    MakerHost maker;
    host = &maker;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + ' ' + maker.resolverRule());
    AdvertisementEngineTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_advertisement_engine.moc"
