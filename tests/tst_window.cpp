// The calculator window: its layout and start-up, the key hotspots and the one
// road of every key press, the advertisement strip, focus and hints.

#include "formdriver.h"

#include "app/advertisementstrip.h"
#include "app/twips.h"
#include "keys/hotspot.h"
#include "keys/keytable.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QToolTip>

namespace {

Hotspot* hotspotOf(FormDriver& driver, int index)
{
    return qobject_cast<Hotspot*>(driver.hotspot(index));
}

QList<int> flashedKeys(FormDriver& driver)
{
    QList<int> flashed;
    for (int i = 0; i < KeyCount; ++i)
        if (hotspotOf(driver, i)->isFlashed())
            flashed.append(i);
    return flashed;
}

void waitForFlashTimer(FormDriver& driver)
{
    auto* timer = driver.form().findChild<QTimer*>(QStringLiteral("Timer1"));
    QCOMPARE(timer->interval(), 100); // the flash lasts a tenth of a second
    QSignalSpy tick(timer, &QTimer::timeout);
    QVERIFY(tick.wait(5000));
    QVERIFY(!timer->isActive());
}

void sendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button)
{
    const QPointF at = QRectF(target->rect()).center();
    QMouseEvent event(type, at, target->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The hint that shows when the pointer rests on the middle of `control`; empty
// when none shows.
QString hintOver(QWidget* control)
{
    const QPoint middle = control->rect().center();
    QHelpEvent rest(QEvent::ToolTip, middle, control->mapToGlobal(middle));
    QApplication::sendEvent(control, &rest);
    return rest.isAccepted() ? QToolTip::text() : QString();
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void startsAtTheBottomRightOfTheScreen()
    {
        FormDriver driver;
        const Form1::Geometry g = driver.form().geometryTwips();
        QCOMPARE(g.windowWidth, 2700.0);
        QCOMPARE(g.windowHeight, 5070.0);
        QCOMPARE(g.windowLeft, 12660.0);
        QCOMPARE(g.windowTop, 5550.0);
        // The client area, inside the test's frame of 4 pixels left, 30 top.
        QCOMPARE(driver.form().geometry().topLeft(), QPoint(844 + 4, 370 + 30));
        QCOMPARE(driver.form().size(), QSize(173, 304));
    }

    void declinesMaximizingAndFullScreen()
    {
        FormDriver driver;
        for (const Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
            driver.form().setWindowState(state);
            QTRY_COMPARE(driver.form().windowState(), Qt::WindowNoState);
            QCOMPARE(driver.form().size(), QSize(173, 304));
        }
    }

    void startsWithOneBlankTapeLineAndPlusPending()
    {
        FormDriver driver;
        QCOMPARE(driver.tapeLines(), QStringList{QString(18, u' ')});
        QCOMPARE(driver.display("Label2"), QStringLiteral("+"));
        QCOMPARE(driver.display("Label1"), QString());
        QCOMPARE(driver.display("Label4"), QString());
        QCOMPARE(driver.display("Label5"), QStringLiteral("T"));
        QCOMPARE(driver.state().PendingOperator, QStringLiteral("+"));
        QCOMPARE(driver.state().TaxRate, std::int16_t(18));
        QCOMPARE(driver.form().windowTitle(), QStringLiteral("www.serit.example"));
        QVERIFY(!driver.form().windowIcon().isNull());
    }

    void controlsStandWhereTheWindowPutsThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("advertisement strip") << "WebBrowser1" << QRect(0, 0, 475, 37);
        QTest::newRow("tape") << "List1" << QRect(0, 36, 180, 20);
        QTest::newRow("calculator body") << "Picture1" << QRect(0, 51, 177, 257);
        QTest::newRow("face") << "Image3" << QRect(-12, -56, 200, 326);
        QTest::newRow("result") << "Label1" << QRect(7, 8, 158, 17);
        QTest::newRow("result line") << "Label5" << QRect(0, 8, 177, 17);
        QTest::newRow("entry display") << "Label4" << QRect(7, 24, 158, 45);
        QTest::newRow("operator box") << "Picture2" << QRect(16, 48, 25, 21);
        QTest::newRow("hidden entry field") << "Text1" << QRect(8, 1067, 158, 42);
        QTest::newRow("hidden frame") << "Frame1" << QRect(0, 1067, 200, 36);
    }
    void controlsStandWhereTheWindowPutsThem()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        FormDriver driver;
        QWidget* control = driver.form().findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), pixels);
    }

    void entryFieldIsHiddenButHoldsTheFocus()
    {
        FormDriver driver;
        EntryField* field = driver.entryField();
        QVERIFY(field->isVisible());
        QVERIFY(!driver.form().rect().intersects(field->geometry()));
        QVERIFY(field->hasFocus());
        QCOMPARE(field->maxLength(), 14);
        driver.type(QStringLiteral("7"));
        QCOMPARE(driver.display("Label4"), QStringLiteral("7.00"));
    }

    // Each key, clicked alone in a fresh window, shows its own effect.
    void leftClickRunsTheKeysAction_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("operatorShown");
        QTest::addColumn<QString>("lastTapeLine");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("echo");
        const QString start(18, u' ');
        const auto row = [](const char* name, int index, const char* op = "+",
                            const QString& line = QString(18, u' '), const char* shown = "") {
            QTest::newRow(name) << index << QString() << QString::fromLatin1(op) << line
                                << QString::fromLatin1(shown) << QString::fromLatin1(shown);
        };
        for (int digit = 0; digit <= 9; ++digit)
            QTest::addRow("digit %d", digit)
                << digit << QString::number(digit) << "+" << start << ""
                << (digit ? QString::number(digit) : QString()) + ".00";
        QTest::newRow("point") << 10 << "."
                               << "+" << start << ""
                               << ".00";
        row("=", 11);
        row("+", 12);
        row("-", 13, "-");
        row("*", 14, "*");
        row("/", 15, "/");
        row("%", 16, "%");
        row("R.CM", 17);
        row("M-", 18, "+", tapeLine("-M", ".00", ".00"), ".00");
        row("M+", 19, "+", tapeLine("+M", ".00", ".00"), ".00");
        row("CA", 20);
        row("+TAX", 21, "+", tapeLine("+V", ".00", ".00"), ".00");
        row("-TAX", 22, "+", tapeLine("-V", ".00", ".00"), ".00");
        row("C.CE", 23, "+", start, ".00");
    }
    void leftClickRunsTheKeysAction()
    {
        QFETCH(int, index);
        QFETCH(QString, entry);
        QFETCH(QString, operatorShown);
        QFETCH(QString, lastTapeLine);
        QFETCH(QString, result);
        QFETCH(QString, echo);
        FormDriver driver;
        driver.click(index);
        QCOMPARE(driver.entryField()->text(), entry);
        QCOMPARE(driver.display("Label2"), operatorShown);
        QCOMPARE(driver.tapeLines().last(), lastTapeLine);
        QCOMPARE(driver.display("Label1"), result);
        QCOMPARE(driver.display("Label4"), echo);
        QCOMPARE(flashedKeys(driver), QList<int>{index});
        QCOMPARE(driver.entryField()->cursorPosition(), entry.size());
    }

    void flashShowsAFrameUntilTheNextTimerTick()
    {
        FormDriver driver;
        driver.click(5);
        driver.click(7);
        QCOMPARE(flashedKeys(driver), (QList<int>{5, 7}));
        Hotspot* key = hotspotOf(driver, 5);
        const QPoint corner = key->geometry().topLeft();
        QWidget* body = key->parentWidget();
        QCOMPARE(body->grab().toImage().pixelColor(corner), QColor(Qt::black));
        waitForFlashTimer(driver);
        QCOMPARE(flashedKeys(driver), QList<int>{});
        QVERIFY(body->grab().toImage().pixelColor(corner) != QColor(Qt::black));
        QCOMPARE(driver.entryField()->text(), QStringLiteral("57"));
    }

    void otherButtonsOnlyMoveTheFocus_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("button");
        for (int index = 0; index < KeyCount; ++index) {
            QTest::addRow("middle %d", index) << index << int(Qt::MiddleButton);
            if (index != Key::MemoryStore && index != Key::AddTax && index != Key::RemoveTax)
                QTest::addRow("right %d", index) << index << int(Qt::RightButton);
        }
    }
    void otherButtonsOnlyMoveTheFocus()
    {
        QFETCH(int, index);
        QFETCH(int, button);
        FormDriver driver;
        driver.type(QStringLiteral("12"));
        waitForFlashTimer(driver);
        driver.entryField()->setCursorPosition(1);
        driver.entryField()->clearFocus();
        QVERIFY(!driver.entryField()->hasFocus());
        driver.click(index, Qt::MouseButton(button));
        QVERIFY(driver.entryField()->hasFocus());
        QCOMPARE(driver.entryField()->text(), QStringLiteral("12"));
        QCOMPARE(driver.entryField()->cursorPosition(), 1);
        QCOMPARE(driver.tapeLines().size(), 1);
        QCOMPARE(flashedKeys(driver), QList<int>{});
    }

    void rightClickOnMemoryKeyClearsTheMemoryWithAFlash()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("80+R"));
        QCOMPARE(driver.state().MemoryValue, 80.0);
        waitForFlashTimer(driver);
        driver.click(Key::MemoryStore, Qt::RightButton);
        QCOMPARE(driver.state().MemoryValue, 0.0);
        QCOMPARE(flashedKeys(driver), QList<int>{Key::MemoryStore});
        QCOMPARE(driver.tapeLines().size(), 2);
        waitForFlashTimer(driver);
        QCOMPARE(flashedKeys(driver), QList<int>{});
    }

    void rightClickOnTaxKeysAsksForTheRateWithoutAFlash()
    {
        for (int index : {int(Key::AddTax), int(Key::RemoveTax)}) {
            FormDriver driver;
            QString title;
            const auto watch = FormDriver::answerNextModal([&title](QWidget* box) {
                title = box->windowTitle();
                QTest::keyClick(box, Qt::Key_Escape);
            });
            driver.click(index, Qt::RightButton);
            QCOMPARE(title, QStringLiteral("www.serit.example"));
            QCOMPARE(flashedKeys(driver), QList<int>{});
        }
    }

    void clicksBetweenKeysHitNothing()
    {
        FormDriver driver;
        QWidget* body = driver.form().findChild<QWidget*>(QStringLiteral("Picture1"));
        const QPoint gap = Twips::toPixels(QRectF(700, 3500, 0, 0)).topLeft();
        QCOMPARE(body->childAt(gap), nullptr); // the face itself takes no clicks
        QTest::mouseClick(body, Qt::LeftButton, Qt::NoModifier, gap);
        QCOMPARE(driver.entryField()->text(), QString());
        QCOMPARE(flashedKeys(driver), QList<int>{});
    }

    // The toolkit delivers a double click as press, release, double click, release.
    void doubleClickPressesTheKeyTwice()
    {
        FormDriver driver;
        QWidget* three = driver.hotspot(3);
        sendMouse(three, QEvent::MouseButtonPress, Qt::LeftButton);
        sendMouse(three, QEvent::MouseButtonRelease, Qt::LeftButton);
        sendMouse(three, QEvent::MouseButtonDblClick, Qt::LeftButton);
        sendMouse(three, QEvent::MouseButtonRelease, Qt::LeftButton);
        QCOMPARE(driver.entryField()->text(), QStringLiteral("33"));
        QVERIFY(driver.form().isVisible());
    }

    void doubleClickOnClearKeyClearsAndEndsTheProgram()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("5+"));
        QWidget* clear = driver.hotspot(Key::ClearEntryAndTape);
        sendMouse(clear, QEvent::MouseButtonPress, Qt::LeftButton);
        sendMouse(clear, QEvent::MouseButtonRelease, Qt::LeftButton);
        QVERIFY(driver.form().isVisible());
        QCOMPARE(driver.tapeLines(), QStringList{QString(18, u' ')});
        sendMouse(clear, QEvent::MouseButtonDblClick, Qt::LeftButton);
        QVERIFY(!driver.form().isVisible());
    }

    void advertisementIsRequestedEveryHour()
    {
        FormDriver driver;
        auto* strip = driver.form().findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
        auto* timer = driver.form().findChild<QTimer*>(QStringLiteral("Timer2"));
        QCOMPARE(timer->interval(), 60000);
        QVERIFY(timer->isActive());
        QSignalSpy requests(strip, &AdvertisementStrip::navigationRequested);
        for (int tick = 1; tick <= 59; ++tick)
            QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(requests.size(), 0);
        QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(requests.size(), 1);
        const QString address = requests.first().first().toString();
        QVERIFY(address.endsWith(QStringLiteral("/tarkal_reklam.htm")));
        QVERIFY(!address.contains(QStringLiteral("://")));
        for (int tick = 1; tick <= 60; ++tick)
            QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(requests.size(), 2);
    }

    // The web view is made after the first paint and loads the start-up request.
    void advertisementLoadsOnceTheWindowIsPainted()
    {
        struct ViewPlatform : TestPlatform {
            QWidget* createWebView(QWidget* parent) override { return new QWidget(parent); }
        };
        FormDriver driver(std::make_unique<ViewPlatform>());
        auto* strip = driver.form().findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
        QTRY_VERIFY(strip->view());
        QCOMPARE(strip->view()->property("url").toUrl(),
                 QUrl(QStringLiteral("http://www.serit.example/tarkal_reklam.htm")));
        QVERIFY(driver.entryField()->hasFocus());
        driver.type(QStringLiteral("7"));
        QCOMPARE(driver.display("Label4"), QStringLiteral("7.00"));
    }

    // Each key's hotspot lies over the key the face prints, in twips from the
    // calculator body's corner, and screen readers name it by its legend.
    void keysAreNamedButtonsOverTheirLegends_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRectF>("twips");
        QTest::addColumn<QString>("tooltip");
        const auto key = [](int index, const char* name, QRectF twips, const char* tooltip = "") {
            QTest::addRow("%d", index)
                << index << QString::fromUtf8(name) << twips << QString::fromUtf8(tooltip);
        };
        const char* tax = "sag click ile vergi orani girin.";
        key(0, "0", {180, 3360, 495, 375});
        key(1, "1", {180, 2900, 495, 375});
        key(2, "2", {775, 2900, 495, 375});
        key(3, "3", {1380, 2900, 495, 375});
        key(4, "4", {180, 2440, 495, 375});
        key(5, "5", {775, 2440, 495, 375});
        key(6, "6", {1380, 2440, 495, 375});
        key(7, "7", {180, 1980, 495, 375});
        key(8, "8", {775, 1980, 495, 375});
        key(9, "9", {1380, 1980, 495, 375});
        key(10, ".", {775, 3360, 495, 375});
        key(11, "=", {1380, 3360, 495, 375});
        key(12, "+", {1990, 2900, 495, 820});
        key(13, "\u2212", {1990, 2440, 495, 375});
        key(14, "\u00D7", {1990, 1980, 495, 375});
        key(15, "\u00F7", {1990, 1600, 495, 240});
        key(16, "%", {1380, 1600, 495, 240});
        key(17, "R\u00B7CM", {180, 1220, 360, 240}, "Sag Click memo sifirla");
        key(18, "M\u2212", {620, 1220, 360, 240});
        key(19, "M+", {1070, 1220, 360, 240});
        key(20, "CA", {1500, 1220, 360, 240});
        key(21, "+TAX", {180, 1600, 495, 240}, tax);
        key(22, "\u2212TAX", {775, 1600, 495, 240}, tax);
        key(23, "C\u00B7CE", {1990, 1220, 495, 240}, "Cift click ile kapat");
    }
    void keysAreNamedButtonsOverTheirLegends()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QRectF, twips);
        QFETCH(QString, tooltip);
        FormDriver driver;
        QWidget* hotspot = driver.hotspot(index);
        QCOMPARE(hotspot->geometry(), Twips::toPixels(twips));
        QCOMPARE(hintOver(hotspot), tooltip);
        QCOMPARE(hotspot->focusPolicy(), Qt::NoFocus);
        for (int other = 0; other < KeyCount; ++other)
            QVERIFY(other == index ||
                    !hotspot->geometry().intersects(driver.hotspot(other)->geometry()));
        QAccessibleInterface* key = QAccessible::queryAccessibleInterface(hotspot);
        QVERIFY(key);
        QCOMPARE(key->role(), QAccessible::Button);
        QCOMPARE(key->text(QAccessible::Name), name);
        QVERIFY(!key->state().focusable);
        QVERIFY(key->actionInterface());
        QVERIFY(key->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }

    // Besides the four keys above, only the tape gives a hint.
    void onlyTheTapeAndFourKeysGiveHints()
    {
        FormDriver driver;
        for (QWidget* control : driver.form().findChildren<QWidget*>()) {
            if (qobject_cast<Hotspot*>(control))
                continue;
            const bool tape = control == driver.tape() || driver.tape()->isAncestorOf(control);
            QCOMPARE(control->objectName() + u':' + hintOver(control),
                     control->objectName() + u':' +
                         (tape ? QStringLiteral("Sag click ile printer ciktisi.") : QString()));
        }
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
