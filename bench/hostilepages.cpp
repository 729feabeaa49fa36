// The calculator beside hostile advertisement pages. For an ordinary page and
// for each hostile one, served by a local stand-in for the maker's host: the
// processor time and memory of the real program's process (which holds the web
// engine's browser side) and of the page's renderer while the page does its
// worst, when the renderer was ended, and then, with the calculator in this
// process, the time a typed key takes meanwhile. On the display given.

#include "app/form1.h"
#include "app/platform/environment.h"
#include "makerhost.h"
#include "rendererprocesses.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

// Longer than the 10 s in which the calculator's own share of a page is judged.
constexpr int WatchSeconds = 16;
constexpr int KeyIntervalMs = 200;

class SmallScreen : public Platform {
public:
    QSize screenSize() const override { return {1024, 768}; }
};

QByteArray page(const QByteArray& script, const QByteArray& body = "Reklam")
{
    return "<!doctype html><html><body style=\"margin:0;background:#fc0\">" + body + "<script>" +
           script +
           "\nrequestAnimationFrame(() => requestAnimationFrame(() => fetch('/report?ready')));"
           "</script></body></html>";
}

// Some 60 MB of markup: a table of a million cells.
QByteArray hugePage()
{
    QByteArray rows;
    rows.reserve(62 * 1024 * 1024);
    for (int row = 0; row < 100000; ++row) {
        rows += "<tr>";
        for (int cell = 0; cell < 10; ++cell)
            rows += "<td>Reklam " + QByteArray::number(row) + "</td>";
        rows += "</tr>\n";
    }
    return page({}, "<table>" + rows + "</table>");
}

struct Page {
    const char* name;
    QByteArray html;
};

QList<Page> pages()
{
    return {
        {"ordinary", page({})},
        {"heavy animation",
         page("const c = document.getElementById('c').getContext('2d'); let t = 0;"
              "(function frame() { ++t; for (let i = 0; i < 400; ++i) {"
              " c.fillStyle = `hsl(${(t * 7 + i * 13) % 360},80%,50%)`;"
              " c.fillRect((i * 17 + t * 3) % 480, (i * 7) % 40, 24, 24); }"
              " requestAnimationFrame(frame); })();",
              "<canvas id=c width=480 height=40></canvas>")},
        {"alert loop", page("setTimeout(() => { for (;;) alert('again'); }, 200);")},
        {"console flood",
         page("setTimeout(() => { for (let i = 0;; ++i) console.log('line ' + i); }, 200);")},
        {"console trickle",
         page("setInterval(() => { for (let i = 0; i < 50; ++i) console.log('line ' + i); },"
              " 1000);")},
        {"reload storm", page("setTimeout(() => location.reload(), 1);")},
        {"memory hog", page("const kept = []; setInterval(() => { const a = new Float64Array("
                            "1 << 20); a.fill(1); kept.push(a); }, 5);")},
        {"processor hog", page("setTimeout(() => { for (;;); }, 200);")},
        {"60 MB page", hugePage()},
        {"title flood", page("let n = 0; setInterval(() => document.title = ++n, 1);")},
        {"request flood", page("let n = 0; (function more() { for (let i = 0; i < 50; ++i)"
                               " fetch('/flood?' + ++n).catch(() => {}); setTimeout(more, 10);"
                               " })();")},
        {"database hog",
         page("const chunk = new Uint8Array(8 << 20).fill(7); let n = 0;"
              " const r = indexedDB.open('hog');"
              " r.onupgradeneeded = () => r.result.createObjectStore('s');"
              " r.onsuccess = () => (function more() { const t = r.result.transaction('s',"
              " 'readwrite'); t.objectStore('s').put(chunk.slice(), ++n); t.oncomplete = more;"
              " })();")},
        {"blob hog", page("const kept = [], chunk = new Uint8Array(8 << 20).fill(7);"
                          " setInterval(() => kept.push(new Blob([chunk])), 300);")},
        {"10,000 frames", page("for (let i = 0; i < 10000; ++i)"
                               " document.body.append(document.createElement('iframe'));")},
        {"busy workers", page("for (let i = 0; i < 8; ++i) new Worker(URL.createObjectURL("
                              "new Blob(['for (;;);'])));")},
    };
}

struct Usage {
    qint64 ticks = 0;      // user and system time
    qint64 privateKiB = 0; // resident and not shared: what the process itself holds
};

Usage usage(qint64 pid)
{
    return {RendererProcesses::processorTicks(pid), RendererProcesses::privateKiB(pid)};
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1))];
}

// One key as the keyboard gives it, until the window has done all it does with it.
double timeKey(const Form1& form, char key)
{
    QElapsedTimer timer;
    timer.start();
    QWindow* focus = QGuiApplication::focusWindow();
    QTest::keyClick(focus ? focus : form.windowHandle(), key);
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Files and folders under the home folder, which the program is to leave alone.
int homeEntries()
{
    int entries = 0;
    QDirIterator it(QDir::homePath(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    for (; it.hasNext(); it.next())
        ++entries;
    return entries;
}

bool loaded(const MakerHost& host)
{
    // Watched from when the page has drawn, or some seconds after it was asked for.
    return QTest::qWaitFor([&] { return host.reports().contains(u"ready"); }, 10000);
}

// The calculator in this process, the engine's browser side with it: a key
// ("1" and "+" in turn) every 200 ms, each timed.
QString keyTimes(MakerHost& host)
{
    Form1 form(std::make_unique<SmallScreen>());
    form.show();
    form.activateWindow();
    (void)loaded(host);
    std::vector<double> keys;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < WatchSeconds * 1000) {
        keys.push_back(timeKey(form, keys.size() % 2 ? '+' : '1'));
        QTest::qWait(KeyIntervalMs);
    }
    form.close();
    return QStringLiteral("key_median=%1ms key_p90=%2ms")
        .arg(percentile(keys, 0.5), 0, 'f', 2)
        .arg(percentile(keys, 0.9), 0, 'f', 2);
}

// The real program, left alone with the page: its processor time and memory,
// and its renderer's, sampled once a second.
QString programFigures(MakerHost& host, const QString& program)
{
    QProcess calculator;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                       QString::fromLatin1(host.resolverRule()));
    calculator.setProcessEnvironment(environment);
    calculator.start(program, {});
    const qint64 pid = calculator.waitForStarted() ? calculator.processId() : 0;
    // The renderer is watched from its start, the page's figures from its first
    // drawing (or some seconds after it was asked for); `ended_after` counts
    // from the renderer's start.
    if (!pid || !QTest::qWaitFor([&] { return !RendererProcesses(pid).pids().isEmpty(); }, 30000))
        return QStringLiteral("no renderer within 30 s");
    RendererProcesses renderers(pid);
    const QList<qint64> attackers = renderers.pids();
    QElapsedTimer sinceStart;
    sinceStart.start();
    double endedAfter = -1;
    const auto notice = [&] {
        if (endedAfter < 0 && !RendererProcesses::anyAlive(attackers))
            endedAfter = static_cast<double>(sinceStart.elapsed()) / 1e3;
    };
    (void)QTest::qWaitFor([&] { return notice(), host.reports().contains(u"ready"); }, 10000);
    QHash<qint64, std::pair<qint64, qint64>> rendererTicks; // first and latest sample
    for (const qint64 renderer : attackers)
        rendererTicks.insert(renderer, {usage(renderer).ticks, usage(renderer).ticks});
    const Usage before = usage(pid);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < WatchSeconds * 1000) {
        QTest::qWait(1000);
        notice();
        for (const qint64 renderer : attackers)
            if (RendererProcesses::anyAlive({renderer}))
                rendererTicks[renderer].second = usage(renderer).ticks;
    }
    const Usage after = usage(pid);
    const double seconds = static_cast<double>(clock.elapsed()) / 1e3;
    qint64 rendererUsed = 0;
    for (const auto& [first, latest] : rendererTicks)
        rendererUsed += latest - first;
    calculator.kill();
    calculator.waitForFinished();
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    return QStringLiteral("calc_cpu=%1% calc_private=%2MiB calc_growth=%3MiB calc_peak=%7MiB "
                          "renderer_cpu=%4% renderer_peak=%5MiB ended_after=%6")
        .arg(100.0 * static_cast<double>(after.ticks - before.ticks) / tick / seconds, 0, 'f', 1)
        .arg(static_cast<double>(after.privateKiB) / 1024, 0, 'f', 1)
        .arg(static_cast<double>(after.privateKiB - before.privateKiB) / 1024, 0, 'f', 1)
        .arg(100.0 * static_cast<double>(rendererUsed) / tick / seconds, 0, 'f', 1)
        .arg(renderers.largestMiB())
        .arg(endedAfter < 0 ? QStringLiteral("-") : QString::number(endedAfter, 'f', 0) + u's')
        .arg(renderers.largestStarterMiB());
}

} // namespace

int main(int argc, char* argv[])
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    MakerHost host;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + ' ' + host.resolverRule());
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/serit");
    for (const Page& each : pages()) {
        host.setPage(each.html);
        host.clear();
        const int homeBefore = homeEntries();
        const QString figures = programFigures(host, program);
        host.clear();
        const QString keys = keyTimes(host);
        std::printf("%-16s %s %s page_requests=%d home_entries=%d\n", each.name,
                    qPrintable(figures), qPrintable(keys), host.pageRequests(),
                    homeEntries() - homeBefore);
        std::fflush(stdout);
    }
    return 0;
}
