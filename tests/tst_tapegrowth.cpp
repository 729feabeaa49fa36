// The window grows upward by one step with each calculation line until its top
// reaches one fifth of the screen height; the newest line is always selected.

#include "formdriver.h"

#include "app/twips.h"

namespace {

constexpr double Step = 208;

struct Expected {
    double top, height, list1Height, picture1Top;
};

// The start geometry of the test window after `steps` growth steps.
Expected grownBy(int steps)
{
    const double height = 5070 + steps * Step;
    // The calculator body's bottom edge ends 400 twips above the outer
    // window's bottom edge; it stays at its design place until the first step.
    return {5550 - steps * Step, height, 300 + steps * Step,
            steps == 0 ? 765 : height - 3855 - 400};
}

void compareGeometry(FormDriver& driver, const Expected& expected)
{
    const Form1::Geometry g = driver.form().geometryTwips();
    QCOMPARE(g.windowTop, expected.top);
    QCOMPARE(g.windowHeight, expected.height);
    QCOMPARE(g.list1Height, expected.list1Height);
    QCOMPARE(g.picture1Top, expected.picture1Top);
    QCOMPARE(g.windowLeft, 12660.0);
    QCOMPARE(g.windowWidth, 2700.0);
    QCOMPARE(g.list1Top, 540.0);
    // The controls stand where the twips say, and the bottom edge stays put;
    // the client area lies under the frame's top.
    QCOMPARE(driver.form().geometry().y(),
             Twips::toPixels(expected.top) + driver.platform().frame.top());
    QCOMPARE(driver.form().height(), Twips::toPixels(expected.height) - 34);
    QCOMPARE(driver.tape()->geometry().bottom() + 1, Twips::toPixels(540 + expected.list1Height));
    QCOMPARE(driver.form().findChild<QWidget*>(QStringLiteral("Picture1"))->y(),
             Twips::toPixels(expected.picture1Top));
}

void compareLastLineSelected(FormDriver& driver)
{
    TapeView* tape = driver.tape();
    QCOMPARE(tape->currentRow(), tape->count() - 1);
    // Scrolled into view (lines are wider than the box, which cuts them off).
    const QRect last = tape->rowRect(tape->count() - 1);
    QVERIFY(last.top() >= 0 && last.bottom() < tape->viewport()->height());
}

// A screen `height` pixels high with a frame `frameHeight` pixels high in all.
std::unique_ptr<TestPlatform> platformWith(int height, int frameHeight)
{
    auto platform = std::make_unique<TestPlatform>();
    platform->screen.setHeight(height);
    platform->frame.setTop(frameHeight - platform->frame.bottom());
    return platform;
}

} // namespace

class TapeGrowthTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void sixteenCalculationLinesGrowTheWindow()
    {
        FormDriver driver;
        compareGeometry(driver, grownBy(0));
        for (int line = 1; line <= 20; ++line) {
            driver.clickKeys(QStringLiteral("1+"));
            compareGeometry(driver, grownBy(std::min(line, 16)));
            compareLastLineSelected(driver);
        }
        const Form1::Geometry g = driver.form().geometryTwips();
        QCOMPARE(g.windowTop, 2222.0);
        QCOMPARE(g.windowHeight, 8398.0);
        QCOMPARE(g.list1Height, 3628.0);
        QCOMPARE(g.picture1Top, 4143.0);
        QCOMPARE(driver.tapeLines().size(), 21);
    }

    // Each row writes one calculation line per growth step; the start line
    // and the separators go straight onto the tape and grow nothing.
    void onlyCalculationLinesGrowTheWindow_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("steps");
        QTest::newRow("nothing written") << "-*12" << 1 << 0;
        QTest::newRow("percent line") << "200+10%" << 3 << 2;
        QTest::newRow("total line") << "5+=" << 3 << 2;
        QTest::newRow("clear all") << "5+A" << 5 << 1;
        QTest::newRow("overflow") << "99999999999999*100+" << 7 << 3;
    }
    void onlyCalculationLinesGrowTheWindow()
    {
        QFETCH(QString, keys);
        QFETCH(int, lines);
        QFETCH(int, steps);
        FormDriver driver;
        driver.clickKeys(keys);
        QCOMPARE(driver.tapeLines().size(), lines);
        compareGeometry(driver, grownBy(steps));
    }

    // Growth puts a moved window back above the bottom of the screen, keeping
    // its left edge; one moved above the one-fifth line stays where it is.
    void grownWindowReturnsAboveTheScreenBottom()
    {
        FormDriver driver;
        // Moved by its frame, the window's client area goes along.
        const auto moveFrameTo = [&driver](int left, int top) {
            const QMargins frame = driver.platform().frame;
            driver.form().setGeometry(
                QRect(QPoint(left + frame.left(), top + frame.top()), driver.form().size()));
        };
        moveFrameTo(100, 420);
        driver.clickKeys(QStringLiteral("1+"));
        Form1::Geometry g = driver.form().geometryTwips();
        QCOMPARE(g.windowLeft, 1500.0);
        QCOMPARE(g.windowTop, 5342.0);
        QCOMPARE(g.windowHeight, 5278.0);

        moveFrameTo(100, 50);
        driver.clickKeys(QStringLiteral("2+"));
        g = driver.form().geometryTwips();
        QCOMPARE(g.windowTop, 750.0);
        QCOMPARE(g.windowHeight, 5278.0);
        QCOMPARE(driver.form().geometry().topLeft(), QPoint(100 + 4, 50 + 30));
    }

    void windowAtTheOneFifthLineDoesNotGrow()
    {
        // 500 pixels high: one fifth is 1500 twips, where a 36-pixel frame
        // puts the top of a window 5100 twips high.
        FormDriver driver(platformWith(500, 36));
        const Form1::Geometry start = driver.form().geometryTwips();
        QCOMPARE(start.windowTop, 1500.0);
        QCOMPARE(start.windowHeight, 5100.0);
        driver.clickKeys(QStringLiteral("1+2+3="));
        const Form1::Geometry g = driver.form().geometryTwips();
        QCOMPARE(g.windowTop, 1500.0);
        QCOMPARE(g.windowHeight, 5100.0);
        QCOMPARE(g.list1Height, 300.0);
        QCOMPARE(g.picture1Top, 765.0);
        QCOMPARE(driver.tapeLines().size(), 5);
        compareLastLineSelected(driver);
    }

    void windowThatCannotGrowNeverGrows_data()
    {
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<double>("top");
        QTest::newRow("starting above the one-fifth line") << 400 << true << 30.0;
        // Where the window system keeps the window's place to itself (Wayland),
        // the window may stand anywhere, even on the screen's bottom edge.
        QTest::newRow("place unknown") << 768 << false << 5550.0;
    }

    void windowThatCannotGrowNeverGrows()
    {
        QFETCH(int, screenHeight);
        QFETCH(bool, placed);
        QFETCH(double, top);
        auto platform = platformWith(screenHeight, 34);
        platform->windowsPlaced = placed;
        FormDriver driver(std::move(platform));
        QCOMPARE(driver.form().geometryTwips().windowTop, top);
        for (int line = 1; line <= 5; ++line) {
            driver.clickKeys(QStringLiteral("1+"));
            const Form1::Geometry g = driver.form().geometryTwips();
            QCOMPARE(g.windowTop, top);
            QCOMPARE(g.windowHeight, 5070.0);
            QCOMPARE(g.list1Height, 300.0);
            QCOMPARE(g.picture1Top, 765.0);
            compareLastLineSelected(driver);
        }
    }

    // A right click that asks for a printout, or a middle click, on an older
    // line keeps the newest line selected; the left button picks a line.
    void onlyTheLeftButtonSelectsATapeLine()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("1+2+3+4+"));
        TapeView* tape = driver.tape();
        const QPoint second = tape->rowRect(1).center();
        bool asked = false;
        const auto watch = FormDriver::answerNextModal([&asked](QWidget* box) {
            asked = true;
            box->close();
        });
        QTest::mouseClick(tape->viewport(), Qt::RightButton, Qt::NoModifier, second);
        QVERIFY(asked);
        QTest::mouseClick(tape->viewport(), Qt::MiddleButton, Qt::NoModifier, second);
        QTest::mouseDClick(tape->viewport(), Qt::MiddleButton, Qt::NoModifier, second);
        compareLastLineSelected(driver);
        QTest::mouseClick(tape->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QCOMPARE(tape->currentRow(), 1);
    }
};

QTEST_MAIN(TapeGrowthTest)
#include "tst_tapegrowth.moc"
