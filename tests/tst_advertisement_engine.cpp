// The advertisement strip with the real web engine: loaded after the window is
// painted, sent to the maker's page (served here by a local stand-in for the
// maker's host), and whatever that page does, never opening a window, taking
// a key, exhausting the machine, starting another program, making a sound or
// leaving anything behind. On an X display, whose selection a page could write.

#include "app/advertisementstrip.h"
#include "app/form1.h"
#include "app/platform/environment.h"
#include "desktopwitness.h"
#include "formdriver.h"
#include "makerhost.h"
#include "rendererprocesses.h"
#include "stripdriver.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QUrl>
#include <QVariant>
#include <QWindow>

namespace {

MakerHost* host = nullptr;
DesktopWitness* witness = nullptr;

#ifdef __SANITIZE_ADDRESS__
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif

QByteArray makerPage(const QByteArray& body, const QByteArray& script = {})
{
    return MakerHost::page(body, script);
}

// A page's rules fire once it has done what it does for long enough, which a
// busy machine makes take longer; this only stops a test whose page is never
// ended (QtTest waits three times as long before it fails, and ends a test
// function after five minutes).
constexpr int RuleFiresWithinMs = 90000;
// What the calculator's own process may grow by from what it held as the page
// came: a page is ended once it has grown it by 32 MiB, checked four times a
// second, and the fastest page here adds 12 MiB in a quarter of a second (27
// to 44 MiB measured at the most). Then what the strip's renderer may hold.
constexpr qint64 CalculatorGrowthMiB = 56;
constexpr qint64 RendererMiB = 256;
// Below the calculator's priority, for every thread of the renderer.
constexpr int RendererNiceness = 10;

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
Q_DECLARE_METATYPE(Click)

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
        clickStrip(form, Click::Left);
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

    // A page of a secure origin (as the local host is) may ask for them; it
    // is refused at once.
    void pageGetsNoMicrophoneNorCamera()
    {
        host->setPage(makerPage({},
                                "navigator.mediaDevices.getUserMedia({ audio: true, video: true })"
                                ".then(() => report('granted'), (e) =>"
                                " report('refused=' + e.name));"));
        Form1 form(std::make_unique<SmallScreen>());
        form.show();
        auto* strip = form.findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
        QTRY_VERIFY_WITH_TIMEOUT(strip->view(), 30000);
        strip->navigate(QStringLiteral("localhost/tarkal_reklam.htm"));
        QTRY_VERIFY_WITH_TIMEOUT(host->reports().contains(u"ready"), 30000);
        QTRY_COMPARE(reportsBeyond(host->reports()), QStringList{"refused=NotAllowedError"});
    }

    void hostilePage_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<Click>("click");
        QTest::addColumn<Fate>("fate");
        QTest::addColumn<QStringList>("reports"); // what the page reports it got

        const Click none = Click::None, left = Click::Left;
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
                                      << Click::Right << stays << QStringList{"menu"};
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
            << Click::Middle << stays << QStringList{};
        QTest::newRow("memory hog")
            << makerPage({}, "const kept = []; setInterval(() => { const a = new Float64Array("
                             "1 << 20); a.fill(1); kept.push(a); }, 5);")
            << none << ended << QStringList{};
        QTest::newRow("processor hog") << makerPage({}, "setTimeout(() => { for (;;); }, 200);")
                                       << none << ended << QStringList{};
        // Allocations that succeed, and then nothing: only the memory rule ends it.
        QTest::newRow("memory taken slowly")
            << makerPage({}, "const kept = []; const take = setInterval(() => { const a = new "
                             "Float64Array(1 << 20); a.fill(1); kept.push(a);"
                             " if (kept.length == 16) clearInterval(take); }, 200);")
            << none << ended << QStringList{};
        // Every frame of it costs the calculator's process its share of showing it.
        QTest::newRow("animation without pause")
            << makerPage("<style>@keyframes k { to { transform: translateX(400px) rotate(1turn) }"
                         " } div { position: absolute; top: 0; width: 60px; height: 37px;"
                         " background: linear-gradient(90deg, red, blue);"
                         " animation: k 1s linear infinite }</style>",
                         "for (let i = 0; i < 20; ++i) document.body.append("
                         "Object.assign(document.createElement('div'),"
                         " { style: `animation-delay: -${i / 20}s` }));")
            << none << ended << QStringList{};
        QTest::newRow("console flood")
            << makerPage({}, "setTimeout(() => { for (let i = 0;; ++i) console.log("
                             "'line ' + i); }, 200);")
            << none << ended << QStringList{};
        QTest::newRow("reload storm") << makerPage({}, "setTimeout(() => location.reload(), 1);")
                                      << none << Fate::HeldBack << QStringList{};
        QTest::newRow("title flood")
            << makerPage({}, "let n = 0; setInterval(() => document.title = ++n, 1);") << none
            << ended << QStringList{};
        QTest::newRow("request flood")
            << makerPage({}, "let n = 0; const more = () => { for (let i = 0; i < 50; ++i)"
                             " fetch('/flood?' + ++n).catch(() => {}); setTimeout(more, 10); };"
                             " onclick = more;")
            << left << ended << QStringList{};
        // Addresses the engine would hand to the desktop, to start another program with.
        QTest::newRow("mail link") // wherever the user clicks, the link is followed
            << makerPage("<a style=\"position:absolute;inset:0\""
                         " href=\"mailto:reklam@serit.example?body=rm%20-rf\">Yaz</a>")
            << left << stays << QStringList{};
        QTest::newRow("game address set by a click")
            << makerPage({}, "onclick = () => { location.href = 'steam://run/1'; };") << left
            << stays << QStringList{};
        // Threads the renderer starts after its first sample.
        QTest::newRow("workers started later")
            << makerPage({}, "setTimeout(() => { let started = 0; for (let i = 0; i < 4; ++i)"
                             " new Worker(URL.createObjectURL(new Blob(['postMessage(0);"
                             " setInterval(() => {}, 1000);']))).onmessage = () => {"
                             " if (++started == 4) report('workers'); }; }, 1500);")
            << none << stays << QStringList{"workers"};
        QTest::newRow("selection by a double click")
            << makerPage("<span style=\"user-select:all;font:30px sans-serif\">rm -rf ~</span>")
            << Click::Double << stays << QStringList{};
        QTest::newRow("sound after a click")
            << makerPage("<audio id=a autoplay loop></audio>",
                         "onclick = () => { const c = new AudioContext(), o = c.createOscillator(),"
                         " d = c.createMediaStreamDestination(); o.connect(c.destination);"
                         " o.connect(d); o.start(); a.srcObject = d.stream; a.play();"
                         " if (window.speechSynthesis) speechSynthesis.speak("
                         "new SpeechSynthesisUtterance('Reklam'));"
                         " const playing = () => a.currentTime > 0.5 && c.currentTime > 0.5 ?"
                         " report('sounding') : setTimeout(playing, 50); playing(); };")
            << left << stays << QStringList{"sounding"};
        // What a page may keep: none of it is kept, and nothing of it is written.
        QTest::newRow("database hog")
            << makerPage({}, "const chunk = new Uint8Array(8 << 20).fill(7); let n = 0;"
                             " try { localStorage.k = sessionStorage.k = 'x'.repeat(1e6); }"
                             " catch (e) {} document.cookie = 'k=' + 'x'.repeat(4000);"
                             " const r = indexedDB.open('hog');"
                             " r.onupgradeneeded = () => r.result.createObjectStore('s');"
                             " r.onsuccess = () => (function more() { const t = r.result"
                             ".transaction('s', 'readwrite'); t.objectStore('s').put(chunk.slice(),"
                             " ++n); t.oncomplete = more; })();"
                             " const d = document.createElement('a'); d.download = 'reklam.txt';"
                             " d.href = URL.createObjectURL(new Blob(['x'])); d.click();")
            << none << stays << QStringList{};
        // Kept by the page itself, not its renderer.
        QTest::newRow("frame flood")
            << makerPage({}, "onclick = () => { for (let i = 0; i < 10000; ++i)"
                             " document.body.append(document.createElement('iframe')); };")
            << left << ended << QStringList{};
        QTest::newRow("history hog")
            << makerPage({}, "const big = 'x'.repeat(1 << 20); let n = 0; setInterval(() =>"
                             " history.pushState({ big: big + ++n }, '', '?' + n), 20);")
            << none << ended << QStringList{};
        QTest::newRow("blob hog") << makerPage(
                                         {},
                                         "const kept = [], chunk = new Uint8Array(8 << 20).fill(7);"
                                         " setInterval(() => kept.push(new Blob([chunk])), 300);")
                                  << none << ended << QStringList{};
    }

    void hostilePage()
    {
        QFETCH(QByteArray, page);
        QFETCH(Click, click);
        QFETCH(Fate, fate);
        QFETCH(QStringList, reports);
        host->setPage(page);
        witness->startAfresh();
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("the user's own"));
        if (clipboard->supportsSelection())
            clipboard->setText(QStringLiteral("the user's selection"), QClipboard::Selection);

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
        QVERIFY(!RendererProcesses::anyRunsAsRoot(attackers)); // also where the calculator does
        const qint64 calculatorKiB =
            RendererProcesses::privateKiB(QCoreApplication::applicationPid());

        if (click != Click::None)
            clickStrip(form, click);
        typeKeys(form, QStringLiteral("12+"));
        if (fate == Fate::Ended)
            QTRY_VERIFY_WITH_TIMEOUT(!renderers.anyAlive(attackers), RuleFiresWithinMs);
        else if (click == Click::Left)
            QTRY_VERIFY(host->reports().contains(u"clicked"));
        for (const QString& report : reports)
            QTRY_VERIFY_WITH_TIMEOUT(host->reports().contains(report), 30000);
        // Every thread of a renderer that stays, also one it started later.
        if (fate == Fate::Stays)
            QTRY_VERIFY_WITH_TIMEOUT(
                RendererProcesses::allRunAtNiceness(attackers, RendererNiceness), 30000);
        // What the page does with it has its time to show.
        QTest::qWait(fate == Fate::HeldBack ? 3000 : 1000);
        typeKeys(form, QStringLiteral("3,5+"));
        const qint64 grownKiB =
            RendererProcesses::privateKiB(QCoreApplication::applicationPid()) - calculatorKiB;

        QCOMPARE(tapeLines(form), (QStringList{QString(18, u' '), tapeLine("+", "12.00", "12.00"),
                                               tapeLine("+", "3.50", "15.50")}));
        QCOMPARE(windows.shown, QStringList());
        QCOMPARE(reportsBeyond(host->reports()), reports);
        QCOMPARE(clipboard->text(), QStringLiteral("the user's own"));
        if (clipboard->supportsSelection())
            QCOMPARE(clipboard->text(QClipboard::Selection),
                     QStringLiteral("the user's selection"));
        QVERIFY2(witness->opened().isEmpty(), qPrintable(witness->opened().join(u'\n')));
        QVERIFY2(witness->soundStreams().isEmpty(),
                 qPrintable(witness->soundStreams().join(u'\n')));
        QVERIFY2(witness->folderEntries().isEmpty(),
                 qPrintable(witness->folderEntries().join(u'\n')));
        QVERIFY2(renderers.largestMiB() <= RendererMiB,
                 qPrintable(QString::number(renderers.largestMiB())));
        QVERIFY2(host->pageRequests() < 30, qPrintable(QString::number(host->pageRequests())));
        // Each request costs the calculator's process; only so many are made.
        QVERIFY2(host->requests().size() < 100,
                 qPrintable(QString::number(host->requests().size())));
        if (!AddressSanitizer) { // which keeps freed memory aside for a while
            QVERIFY2(grownKiB < 16 * 1024, qPrintable(QString::number(grownKiB)));
            QVERIFY2(renderers.largestStarterMiB() - calculatorKiB / 1024 <= CalculatorGrowthMiB,
                     qPrintable(QStringLiteral("%1 MiB at the most, %2 MiB as the page came")
                                    .arg(renderers.largestStarterMiB())
                                    .arg(calculatorKiB / 1024)));
        }

        // The next request shows the maker's page again, whatever the last one did.
        host->setPage(makerPage({}, "report('shown');"));
        askForThePageAgain(form);
        QTRY_VERIFY_WITH_TIMEOUT(host->reports().contains(u"shown"), 30000);
        QVERIFY(form.close());
    }
};

int main(int argc, char* argv[])
{
    // No session bus: the toolkit would start one for the display, and leave it running.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null");
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    MakerHost maker;
    host = &maker;
    DesktopWitness desktop;
    witness = &desktop;
    // The engine's own stand-ins for a camera and a microphone, as a desktop has them.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + ' ' +
                                              maker.resolverRule() +
                                              " --use-fake-device-for-media-stream");
    AdvertisementEngineTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_advertisement_engine.moc"
