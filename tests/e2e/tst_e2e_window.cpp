// The real program on a real X display: where its window appears, what its
// face looks like under the key hotspots, and that a double click on C·CE ends it.

#include "desktops.h"
#include "realprogram.h"

#include "keys/keytable.h"

#include <QTest>

namespace {

// The build's program, unless SERIT_PROGRAM names another, such as the installed one.
QString programPath()
{
    return qEnvironmentVariable("SERIT_PROGRAM", QStringLiteral(SERIT_PROGRAM));
}

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

} // namespace

class EndToEndWindowTest : public QObject {
    Q_OBJECT

private slots:
    void windowIsMappedAtTheBottomRight()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        // No window manager here: the outer window is the client area, 173 x 304,
        // with its bottom 60 pixels above the bottom of the 1024 x 768 screen.
        QCOMPARE(program.geometry(), QRect(1024 - 173, 768 - 304 - 60, 173, 304));
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

    // The page cannot load here: the strip shows the engine's error page, white
    // where the window underneath is grey (above the tape's top row).
    void stripShowsTheWebView()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        const auto whiteInStrip = [&program] {
            const QImage strip = program.screenshot().copy(0, 0, 173, 36);
            int white = 0;
            for (int y = 0; y < strip.height(); ++y)
                for (int x = 0; x < strip.width(); ++x)
                    white += strip.pixelColor(x, y) == QColor(Qt::white) ? 1 : 0;
            return white;
        };
        QTRY_VERIFY_WITH_TIMEOUT(whiteInStrip() > 173 * 36 / 2, 2 * Deadline);
    }

    void doubleClickOnClearKeyEndsTheProgram()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
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

    // Under Wayland alone the window cannot be placed, but it still grows a
    // step for each tape line, and the strip's own window stays inside it.
    void growsUnderWaylandWithTheStripInside()
    {
        Weston weston;
        QVERIFY2(weston.start(), "weston did not start");
        QProcess program;
        program.setProcessEnvironment(weston.environment());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(programPath(), {});
        ResultLine start(QImage{});
        // Shown once the result line stands and the strip shows its page.
        QTRY_VERIFY_WITH_TIMEOUT(
            (start = ResultLine(weston.screenshot())).top >= 0 &&
                whiteRun(weston.screenshot(), start.top - 45, start.left, start.right) > 150,
            60000);
        const int stripRow = start.top - 45;
        const QImage shot = weston.screenshot();
        QVERIFY2(whiteRun(shot, stripRow, start.right + 1, shot.width()) < 10,
                 "the strip reaches beyond the window");

        weston.click(QPoint(start.left + 100, start.top + 30)); // the entry display
        for (int line = 1; line <= 5; ++line) {
            weston.type(QStringLiteral("5+"));
            // The calculator stands 1023 twips down the window after the first
            // line and 208 further for each line after it (765 at start).
            const int expected = start.top + (1023 + (line - 1) * 208 + 7) / 15 - 51;
            const auto top = [&weston, expected] {
                const int now = ResultLine(weston.screenshot()).top;
                return std::abs(now - expected) <= 1 ? expected : now; // a pixel of rounding
            };
            QTRY_COMPARE_WITH_TIMEOUT(top(), expected, 30000);
        }
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
    }
};

QTEST_MAIN(EndToEndWindowTest)
#include "tst_e2e_window.moc"
