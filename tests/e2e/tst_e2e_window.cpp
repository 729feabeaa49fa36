// The real program on a real X display: where its window appears, what its
// face looks like under the key hotspots, and that a double click on C·CE ends it.

#include "realprogram.h"

#include "app/calculatorface.h"
#include "app/twips.h"
#include "keys/keytable.h"

#include <QTest>

namespace {

// The build's program, unless SERIT_PROGRAM names another, such as the installed one.
QString programPath()
{
    return qEnvironmentVariable("SERIT_PROGRAM", QStringLiteral(SERIT_PROGRAM));
}

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
        // Mapped is not yet painted: wait for the bottom-left key's face.
        const QPoint zero = Twips::toPixels(keyTable()[0].rect.translated(0, 765)).center();
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT(
            looksLike(Family::Light,
                      (shot = program.screenshot()).pixelColor(zero.x(), zero.y() - 9)),
            15000);
        for (const KeySpec& key : keyTable()) {
            const QRect hotspot = Twips::toPixels(key.rect.translated(0, 765));
            // Just below the key's top edge, clear of its legend.
            const QPoint probe(hotspot.center().x(), hotspot.top() + 3);
            const QColor colour = shot.pixelColor(probe);
            QVERIFY2(
                looksLike(familyOf(key.index), colour),
                qPrintable(QStringLiteral("key %1 shows %2").arg(key.index).arg(colour.name())));
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
        QTRY_VERIFY_WITH_TIMEOUT(whiteInStrip() > 173 * 36 / 2, 30000);
    }

    void doubleClickOnClearKeyEndsTheProgram()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        program.click(Key::ClearEntryAndTape, 1, 2);
        QVERIFY2(program.waitForExit(15000), "the program did not end");
        QCOMPARE(program.exitCode(), 0);
    }

    void singleClicksOnOtherKeysDoNotEndIt()
    {
        RealProgram program;
        QVERIFY2(program.start(programPath()), qPrintable(program.output()));
        program.click(3, 1, 2);
        program.click(Key::ClearEntryAndTape);
        QVERIFY(!program.waitForExit(1500));
    }
};

QTEST_MAIN(EndToEndWindowTest)
#include "tst_e2e_window.moc"
