// Another program's drags over and onto the strip of the real program: the
// program lives, the strip stays on the maker's page, and the page is handed
// nothing, neither the dragged file or text nor the events of the drag.

#include "makerhost.h"
#include "realprogram.h"

#include "keys/keytable.h"

#include <QTemporaryFile>
#include <QTest>

namespace {

const QColor PageColour(0x33, 0xcc, 0x99);

// The maker's page reports what it is handed; a page that accepts drops.
const QByteArray DropPage = R"(<!doctype html><html>
<body style="margin:0;height:100%;background:#3c9">Reklam<script>
function report(what) { fetch('/report?' + what); }
for (const type of ['dragenter', 'dragover', 'dragleave', 'drop'])
    addEventListener(type, (event) => { event.preventDefault(); report(type); }, true);
requestAnimationFrame(() => requestAnimationFrame(() => report('ready')));
</script></body></html>)";

// A point of the strip, right of the page's text, in window pixels.
const QPoint StripPoint(120, 20);

bool stripShowsThePage(const RealProgram& program)
{
    return program.screenshot().pixelColor(StripPoint) == PageColour;
}

QString dragSourceWindow()
{
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"), QStringLiteral("^dragsource$")})
        .section(QLatin1Char('\n'), 0, 0);
}

void moveTo(const QPoint& onScreen)
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(onScreen.x()),
             QString::number(onScreen.y())});
    QTest::qWait(50); // the drag's messages go back and forth at each step
}

} // namespace

class EndToEndDragTest : public QObject {
    Q_OBJECT

private slots:
    void dragOntoTheStrip_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << QStringLiteral("file");
        QTest::newRow("text") << QStringLiteral("text");
    }

    void dragOntoTheStrip()
    {
        QFETCH(QString, kind);
        QTemporaryFile dragged;
        QVERIFY(dragged.open());
        dragged.write("12345");
        dragged.flush();

        MakerHost host;
        host.setPage(DropPage);
        RealProgram program;
        program.setHostResolverRule(host.resolverRule());
        QVERIFY2(program.start(QStringLiteral(SERIT_PROGRAM)), qPrintable(program.output()));
        QTRY_VERIFY_WITH_TIMEOUT(host.reports().contains(u"ready"), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(stripShowsThePage(program), 15000);

        QProcess source;
        source.start(QStringLiteral(SERIT_DRAGSOURCE),
                     {kind, kind == u"file" ? dragged.fileName() : QStringLiteral("Reklam")});
        QTRY_VERIFY_WITH_TIMEOUT(!dragSourceWindow().isEmpty(), 15000);
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
                 dragSourceWindow(), QStringLiteral("60"), QStringLiteral("40")});
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        const QPoint start(60, 40);
        const QPoint target = program.geometry().topLeft() + StripPoint;
        for (int step = 1; step <= 8; ++step)
            moveTo(start + (target - start) * step / 8);
        for (const QPoint& over : {QPoint(-30, 0), QPoint(20, -5), QPoint(0, 0)})
            moveTo(target + over);
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        QTRY_VERIFY_WITH_TIMEOUT(source.canReadLine(), 15000);
        const QByteArray outcome = source.readLine().trimmed();
        source.kill();
        source.waitForFinished();

        QCOMPARE(outcome, QByteArray("ignored"));
        QVERIFY2(program.processId() != 0, "the program has gone");
        QCOMPARE(host.reports(), QStringList{QStringLiteral("ready")});
        QCOMPARE(host.pageRequests(), 1);
        QVERIFY(stripShowsThePage(program));
        program.click(Key::ClearEntryAndTape, 1, 2);
        QVERIFY2(program.waitForExit(15000), "the program did not end");
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_MAIN(EndToEndDragTest)
#include "tst_e2e_drag.moc"
