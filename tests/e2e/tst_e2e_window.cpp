// The real program on a real X display: where its window appears, what its
// face looks like under the key hotspots, that it starts quietly, that a double
// click on C·CE ends it, and that it stays on the screen under Wayland.

#include "desktops.h"
#include "realprogram.h"

#include "keys/keytable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <unistd.h>

namespace {

// Waits are for what the program shows; the deadline only ends a test whose
// program never shows it.
constexpr int Deadline = 60000;

enum class Family { Light, Red, Teal };

Family familyOf(int index)
{
    if (index == Key::ClearEntryAndTape)
        return Family::Red;
    if (index == Key::AddTax || index == Key::RemoveTax)
        return Family::Teal;
    return Family::Light;
}

bool looksLike(Family family, const QColor& c)
{
    switch (family) {
    case Family::Light:
        return c.red() > 200 && c.green() > 200 && c.blue() > 200;
    case Family::Red:
        return c.red() > 170 && c.green() < 110 && c.blue() < 110;
    case Family::Teal:
        return c.red() < 90 && c.green() > 110 && c.blue() > 110;
    }
    return false;
}

// The calculator as a Wayland compositor shows it: where its result line, the
// pale yellow row below the tape, lies on the compositor's screen.
struct ResultLine {
    int top = -1;
    int left = 0, right = 0; // the window's client area spans these columns

    explicit ResultLine(const QImage& shot)
    {
        const QColor yellow(255, 255, 192);
        for (int y = 0; y < shot.height() && top < 0; ++y) {
            int run = 0;
            for (int x = 0; x < shot.width(); ++x) {
                run = shot.pixelColor(x, y) == yellow ? run + 1 : 0;
                if (run >= 150) {
                    top = y;
                    left = x - run + 1;
                    while (x + 1 < shot.width() && shot.pixelColor(x + 1, y) == yellow)
                        ++x;
                    right = x;
                    break;
                }
            }
        }
    }
};

// The longest run of white pixels in row `y` between the columns `from` and `to`.
int whiteRun(const QImage& shot, int y, int from, int to)
{
    int longest = 0, run = 0;
    for (int x = std::max(from, 0); x < std::min(to, shot.width()); ++x) {
        run = shot.pixelColor(x, y) == QColor(Qt::white) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Waits, handling events, until `seen` holds once. A screen looked at again
// may already show the next frame, as QTRY's second look after a success does.
template <typename Condition> bool seenOnce(Condition seen)
{
    const QDeadlineTimer deadline(Deadline);
    while (!seen()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

// The pale yellow result line of the calculator in `shot`, where it shows
// the running total; a null image where there is none.
QImage resultLine(const QImage& shot)
{
    const ResultLine line(shot);
    return line.top < 0 ? QImage() : shot.copy(line.left, line.top, line.right - line.left + 1, 17);
}

// Whether each place the window took, frame and all, has its right edge on
// the right edge of the 1024 x 768 screen and its bottom 60 pixels above the
// screen's bottom; the places are listed when not.
bool besideTheScreensCorner(const QList<QRect>& places, QString& listed)
{
    bool right = !places.isEmpty();
    for (const QRect& place : places) {
        listed += QStringLiteral(" (%1,%2 %3x%4)")
                      .arg(place.x())
                      .arg(place.y())
                      .arg(place.width())
                      .arg(place.height());
        right =
            right && place.x() + place.width() == 1024 && 768 - place.y() - place.height() == 60;
    }
    return right;
}

} // namespace

class EndToEndWindowTest : public QObject {
    Q_OBJECT

private slots:
    void placedByItsOuterEdges_data()
    {
        QTest::addColumn<QString>("windowManager");
        QTest::newRow("no window manager") << QString();
        for (const char* manager : {"openbox", "icewm", "xfwm4"})
            QTest::newRow(manager) << QString::fromLatin1(manager);
#ifdef SERIT_EVERY_DESKTOP
        QTest::newRow("kwin_x11") << QStringLiteral("kwin_x11");
#endif
    }
    // The window with its frame stands on the right edge of the 1024 x 768
    // screen, its bottom 60 pixels above the screen's bottom, from the moment
    // it is mapped (also where the window manager tells its frame only then),
    // as the first tape line makes it one step (208 twips) taller, and back.
    void placedByItsOuterEdges()
    {
        QFETCH(QString, windowManager);
        WindowManager manager(windowManager);
        QVERIFY2(manager.start(), "the window manager did not start");
        FramePlaces places;
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        QMargins frame;
        if (!windowManager.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(!(frame = frameExtents(program.window())).isNull(), Deadline);
        const auto outer = [&program, &frame] { return program.geometry().marginsAdded(frame); };
        QCOMPARE(program.geometry().size(), QSize(173, 304));
        QCOMPARE(outer().x() + outer().width(), 1024);
        QCOMPARE(768 - outer().y() - outer().height(), 60);
        // Task bars match the window with its desktop entry by its class.
        QCOMPARE(windowProperty(program.window(), QStringLiteral("WM_CLASS")),
                 QStringLiteral("\"serit\", \"Serit\""));
        if (!windowManager.isEmpty()) {
            // The window manager offers neither resizing nor maximizing.
            const QString actions =
                windowProperty(program.window(), QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
            QVERIFY2(actions.contains(QLatin1String("_NET_WM_ACTION_MOVE")), qPrintable(actions));
            QVERIFY2(!actions.contains(QLatin1String("RESIZE")), qPrintable(actions));
            QVERIFY2(!actions.contains(QLatin1String("MAXIMIZE")), qPrintable(actions));
        }

        program.typeText(QStringLiteral("5+"));
        QCOMPARE(program.waitForTallerThan(304), 318);
        QCOMPARE(outer().x() + outer().width(), 1024);
        QCOMPARE(768 - outer().y() - outer().height(), 60);
        // Whatever the frame, the calculator then stands 1023 twips (68 pixels)
        // down the client area, its bottom 110 twips below the client's.
        QCOMPARE(program.keyRect(0).top(), 68 + 224);

        // C·CE returns the window to its start size and place, frame and all.
        program.click(Key::ClearEntryAndTape);
        QTRY_COMPARE_WITH_TIMEOUT(program.geometry().height(), 304, Deadline);
        QCOMPARE(outer().x() + outer().width(), 1024);
        QCOMPARE(768 - outer().y() - outer().height(), 60);
        // And so it stood at every moment between.
        QString listed;
        QVERIFY2(besideTheScreensCorner(places.ofProgram(QSize(173, 304)), listed),
                 qPrintable(listed));
    }

    void faceShowsEachKeyUnderItsHotspot()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        // The calculator starts right below the tape.
        QCOMPARE(program.keyRect(0).topLeft(), QPoint(12, 51 + 224));
        // Mapped is not yet painted: wait for the bottom-left key's face.
        const QPoint zero = program.keyCentre(0);
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT(
            looksLike(Family::Light,
                      (shot = program.screenshot()).pixelColor(zero.x(), zero.y() - 9)),
            Deadline);
        for (int index = 0; index < KeyCount; ++index) {
            const QRect key = program.keyRect(index);
            // Just below the key's top edge, clear of its legend.
            const QPoint probe(key.center().x(), key.top() + 3);
            const QColor colour = shot.pixelColor(probe);
            QVERIFY2(looksLike(familyOf(index), colour),
                     qPrintable(QStringLiteral("key %1 shows %2").arg(index).arg(colour.name())));
        }
        // The result line is pale yellow and the entry display teal.
        QCOMPARE(shot.pixelColor(100, 51 + 12), QColor(255, 255, 192));
        QCOMPARE(shot.pixelColor(100, 51 + 50), QColor(0, 192, 192));
    }

    void stripShowsTheWebView()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        QTRY_VERIFY_WITH_TIMEOUT(stripShowsAPage(program), 2 * Deadline);
    }

    void startsQuietlyAndLeavesTheSystemAlone_data()
    {
        QTest::addColumn<bool>("runtimeFolder");
        QTest::addColumn<bool>("asUser");
        QTest::newRow("no runtime folder") << false << false;
        QTest::newRow("a runtime folder of the user's") << true << false;
        // With the engine's sandbox, whose renderers write to standard error.
        QTest::newRow("as a user, in a runtime folder of their own") << true << true;
    }
    // A normal start, the strip's engine and page included, prints nothing. As
    // root the program makes nothing in the system's folders; nothing of the
    // program is left in the runtime folder.
    void startsQuietlyAndLeavesTheSystemAlone()
    {
        QFETCH(bool, runtimeFolder);
        QFETCH(bool, asUser);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_RUNTIME_DIR", "QT_LOGGING_RULES", "QT_LOGGING_CONF"})
            environment.remove(QLatin1String(name));
        const QTemporaryDir folder;
        if (runtimeFolder)
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());
        PrivateRoot root;
        if (geteuid() == 0 && !root.start())
            QSKIP("no overlay can be mounted here to see what the program writes as root");
        const QTemporaryDir home;
        // A session with no bus: dbus-launch, where installed, would otherwise
        // start one and leave its folder in the runtime folder.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
        if (asUser) {
            if (geteuid() != 0)
                QSKIP("running the program as another user takes root");
            constexpr uint Nobody = 65534;
            for (const QTemporaryDir* own : {&folder, &home})
                QVERIFY(chown(QFile::encodeName(own->path()).constData(), Nobody, Nobody) == 0);
            environment.insert(QStringLiteral("HOME"), home.path());
            root.runAs(Nobody);
        }
        RealProgram program;
        QVERIFY2(
            program.start(geteuid() == 0 ? root.wrap(programPath()) : programPath(), environment),
            qPrintable(program.output()));
        QTRY_VERIFY_WITH_TIMEOUT(stripShowsAPage(program), 2 * Deadline);
        program.click(Key::ClearEntryAndTape, 1, 2);
        QVERIFY2(program.waitForExit(Deadline), "the program did not end");
        QCOMPARE(program.output(), QString());
        QCOMPARE(root.made(), QStringList());
        const QStringList left =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        QVERIFY2(!runtimeFolder || left.isEmpty(), qPrintable(left.join(u' ')));
    }

    void doubleClickOnClearKeyEndsTheProgram_data()
    {
        QTest::addColumn<QString>("windowManager");
        QTest::addColumn<bool>("moved");
        for (const QString& manager : {QString(), QStringLiteral("openbox")}) {
            const QByteArray name = manager.isEmpty() ? "no window manager" : manager.toLatin1();
            QTest::newRow(name + ", as started") << manager << false;
            QTest::newRow(name + ", moved by the user") << manager << true;
        }
#ifdef SERIT_EVERY_DESKTOP
        QTest::newRow("kwin_x11, moved by the user") << QStringLiteral("kwin_x11") << true;
#endif
    }
    // Also where the first click's return to the start geometry would move the
    // window under the pointer.
    void doubleClickOnClearKeyEndsTheProgram()
    {
        QFETCH(QString, windowManager);
        QFETCH(bool, moved);
        WindowManager manager(windowManager);
        QVERIFY2(manager.start(), "the window manager did not start");
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        if (moved) {
            xdotool({QStringLiteral("windowmove"), QStringLiteral("--sync"), program.window(),
                     QStringLiteral("100"), QStringLiteral("100")});
            QTRY_VERIFY_WITH_TIMEOUT(program.geometry().top() < 200, Deadline);
        }
        program.click(Key::ClearEntryAndTape, 1, 2);
        QVERIFY2(program.waitForExit(Deadline), "the program did not end");
        QCOMPARE(program.exitCode(), 0);
    }

    // A double click elsewhere and a single click on C·CE leave the program
    // running: a line typed after them still reaches its tape.
    void singleClicksOnOtherKeysDoNotEndIt()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        const int height = program.geometry().height();
        program.click(3, 1, 2);
        program.click(Key::ClearEntryAndTape);
        program.typeText(QStringLiteral("5"));
        program.pressKey(QStringLiteral("Return"));
        QVERIFY(program.waitForTallerThan(height) > 0);
        QVERIFY(!program.waitForExit(0));
    }

    void keepsEveryKeyOnTheScreenUnderWayland_data()
    {
        QTest::addColumn<Compositor::Kind>("kind");
        QTest::newRow("weston") << Compositor::Kind::Weston;
#ifdef SERIT_EVERY_DESKTOP
        QTest::newRow("KWin") << Compositor::Kind::KWin;
        QTest::newRow("KWin with XWayland") << Compositor::Kind::KWinWithXWayland;
        QTest::newRow("mutter") << Compositor::Kind::Mutter;
#endif
    }
    // Wherever the compositor puts the window, every key stays on its screen
    // however long the tape grows, and the strip's own window lies inside the
    // window from its first frame. Where there is XWayland the program runs on
    // it and stands by its frame's edges as on X.
    void keepsEveryKeyOnTheScreenUnderWayland()
    {
        QFETCH(Compositor::Kind, kind);
        Compositor compositor(kind);
        QVERIFY2(compositor.start(), "the compositor did not start");
        const bool onX = !compositor.xDisplay().isEmpty();
        std::optional<FramePlaces> places;
        if (onX)
            places.emplace(compositor.xDisplay());
        const QTemporaryDir folder;
        const QString log = folder.filePath(QStringLiteral("wayland.log"));
        QProcessEnvironment environment = compositor.environment();
        environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setStandardErrorFile(log);
        program.start(programPath(), {});
        ResultLine start(QImage{});
        QImage shot;
        // Shown once the result line stands and the strip shows its page.
        QVERIFY(seenOnce([&] {
            shot = compositor.screenshot();
            start = ResultLine(shot);
            return start.top >= 0 && whiteRun(shot, start.top - 45, start.left, start.right) > 150;
        }));
        QVERIFY2(whiteRun(shot, start.top - 45, start.right + 1, shot.width()) < 10,
                 "the strip reaches beyond the window");

        compositor.click(QPoint(start.left + 100, start.top + 30)); // the entry display
        const auto total = [&compositor] { return resultLine(compositor.screenshot()); };
        QImage shown;
        QVERIFY(seenOnce([&] { return !(shown = total()).isNull(); }));
        for (int line = 1; line <= 18; ++line) {
            const QImage before = shown;
            compositor.type(QStringLiteral("5+"));
            QVERIFY(seenOnce([&] { return !(shown = total()).isNull() && shown != before; }));
        }
        // The bottom row of keys, 224 to 249 pixels down the calculator
        // (whose top is 8 pixels above the result line), is on the screen.
        shot = compositor.screenshot();
        const ResultLine end(shot);
        QVERIFY2(end.top - 8 + 249 <= shot.height(), qPrintable(QString::number(end.top)));
        for (const int key : {12, 92}) // 0 and =
            QVERIFY(looksLike(Family::Light,
                              shot.pixelColor(end.left + key + 16, end.top - 8 + 224 + 3)));
        QString listed;
        if (onX) {
            QVERIFY2(besideTheScreensCorner(places->ofProgram(QSize(173, 304)), listed),
                     qPrintable(listed));
        } else {
            // Where it cannot know its place, the window keeps its start size.
            QCOMPARE(end.top, start.top);
            const int widest = widestSubsurfaceBuffer(log);
            QVERIFY2(widest > 0 && widest <= 173, qPrintable(QString::number(widest)));
        }
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
    }
};

QTEST_MAIN(EndToEndWindowTest)
#include "tst_e2e_window.moc"
