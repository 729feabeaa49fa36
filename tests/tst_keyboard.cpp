// The keyboard: what each typed character does to the entry field and which
// key it presses, sent as real key events.

#include "amountoracle.h"
#include "formdriver.h"
#include "keyrules.h"

#include "keys/hotspot.h"
#include "keys/keytable.h"

#include <QClipboard>
#include <QMimeData>
#include <QRegularExpression>
#include <QTimer>

namespace {

QList<int> flashedKeys(const FormDriver& driver)
{
    QList<int> flashed;
    for (int i = 0; i < KeyCount; ++i)
        if (qobject_cast<Hotspot*>(driver.hotspot(i))->isFlashed())
            flashed.append(i);
    return flashed;
}

// The tick of the flash timer, which ends every flash.
void endFlash(FormDriver& driver)
{
    QMetaObject::invokeMethod(driver.form().findChild<QTimer*>(QStringLiteral("Timer1")),
                              "timeout");
}

// Everything the user can see or the next key depends on, after `steps`.
QStringList seenAfter(const std::function<void(FormDriver&)>& steps)
{
    FormDriver driver;
    steps(driver);
    QStringList all = driver.tapeLines();
    for (const char* name : {"Label1", "Label2", "Label4"})
        all << QLatin1String(name) + QStringLiteral(": ") + driver.display(name);
    all << QStringLiteral("entry: ") + driver.entryField()->text()
        << QStringLiteral("operators: ") + driver.state().PendingOperator +
               driver.state().LastOperator;
    for (int key : flashedKeys(driver))
        all << QStringLiteral("flash %1").arg(key);
    return all;
}

// The key a typed character presses or flashes, or -1.
int keyOf(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c == u'.' || c == u',')
        return Key::DecimalPoint;
    if (c == u'C' || c == u'c')
        return Key::ClearAll;
    const qsizetype at = QStringLiteral("\r+-*/%").indexOf(QChar(c)); // keys 11 to 16
    return at < 0 ? -1 : int(Key::Equals + at);
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void charactersGoIntoTheEntry_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("echo");
        QTest::addColumn<QList<int>>("flashed");
        const QList<int> digits{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        auto row = [](const char* name, const QString& typed, const QString& entry,
                      const QString& echo, const QList<int>& flashed) {
            QTest::newRow(name) << typed << entry << echo << flashed;
        };
        row("digits", "0123456789", "0123456789", "123,456,789.00", digits);
        row("comma becomes a point", "1,5", "1.5", "1.50", {1, 5, 10});
        row("second point", "1..", "1.", "1.00", {1, 10});
        row("comma after a point", "1.2,3", "1.23", "1.23", {1, 2, 3, 10});
        row("comma first", ",5", ".5", ".50", {5, 10});
        row("point again after backspace", "12.\b,5", "12.5", "12.50", {1, 2, 5, 10});
        row("backspace on empty", "\b\b", "", ".00", {});
        row("leading zeros", "007", "007", "7.00", {0, 7});
        row("fifteenth digit", "123456789012345", "12345678901234", "12,345,678,901,234.00",
            digits);
        row("point past capacity", "12345678901234.", "12345678901234", "12,345,678,901,234.00",
            digits + QList<int>{10});
        row("swallowed", QStringLiteral("=xX sSa\u00E9\u20AC\t\u001B\u0000"), "", ".00", {});
        row("swallowed between digits", "1a2=3s", "123", "123.00", {1, 2, 3});
    }
    void charactersGoIntoTheEntry()
    {
        QFETCH(QString, typed);
        QFETCH(QString, entry);
        QFETCH(QString, echo);
        QFETCH(QList<int>, flashed);
        FormDriver driver;
        driver.type(typed);
        QCOMPARE(driver.entryField()->text(), entry);
        QCOMPARE(driver.display("Label4"), echo);
        QCOMPARE(driver.entryField()->cursorPosition(), entry.size());
        QCOMPARE(flashedKeys(driver), flashed);
        QCOMPARE(driver.tapeLines().size(), 1);
        QCOMPARE(driver.display("Label2"), QStringLiteral("+"));
    }

    // Typing an operator, Enter or "C" is clicking its key, flash included.
    void keyCharactersPressTheirKeys_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("clicked");
        QTest::newRow("percent") << QStringLiteral("200+10%") << QStringLiteral("200+10%");
        QTest::newRow("operators, Enter")
            << QStringLiteral("100-20*3/4\r") << QStringLiteral("100-20*3/4=");
        QTest::newRow("Enter twice") << QStringLiteral("7\r\r") << QStringLiteral("7==");
        QTest::newRow("C") << QStringLiteral("5+2C") << QStringLiteral("5+2A");
        QTest::newRow("c") << QStringLiteral("5+c") << QStringLiteral("5+A");
        QTest::newRow("c, negative total") << QStringLiteral("5-8\r9c") << QStringLiteral("5-8=9A");
    }
    void keyCharactersPressTheirKeys()
    {
        QFETCH(QString, typed);
        QFETCH(QString, clicked);
        QCOMPARE(seenAfter([&](FormDriver& d) { d.type(typed); }),
                 seenAfter([&](FormDriver& d) { d.clickKeys(clicked); }));
    }

    void swallowedCharacterRefreshesEchoAndCaret()
    {
        FormDriver driver;
        QCOMPARE(driver.display("Label4"), QString());
        driver.type(QStringLiteral("a"));
        QCOMPARE(driver.display("Label4"), QStringLiteral(".00"));
        driver.type(QStringLiteral("12"));
        driver.entryField()->setCursorPosition(0);
        driver.type(QStringLiteral("q"));
        QCOMPARE(driver.entryField()->cursorPosition(), 2);
        driver.entryField()->setCursorPosition(0);
        driver.type(QStringLiteral("3"));
        QCOMPARE(driver.entryField()->text(), QStringLiteral("123"));
        driver.entryField()->setCursorPosition(1);
        driver.type(QStringLiteral("\b"));
        QCOMPARE(driver.entryField()->text(), QStringLiteral("12"));
    }

    // The numeric keypad's keys do what the same characters do on the main keys.
    void keypadTypesLikeTheMainKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        auto row = [](const char* name, Qt::Key key, const char* text, const char* plain) {
            QTest::newRow(name) << int(key) << QString::fromLatin1(text)
                                << QString::fromLatin1(plain);
        };
        row("digit", Qt::Key_7, "7", "7");
        row("+", Qt::Key_Plus, "+", "+");
        row("-", Qt::Key_Minus, "-", "-");
        row("*", Qt::Key_Asterisk, "*", "*");
        row("/", Qt::Key_Slash, "/", "/");
        row("Enter", Qt::Key_Enter, "\r", "\r");
        row("Enter without text", Qt::Key_Enter, "", "\r");
        row("Enter as ETX", Qt::Key_Enter, "\x03", "\r");
        row("decimal point", Qt::Key_Period, ".", ".");
        row("decimal comma", Qt::Key_Comma, ",", ".");
    }
    void keypadTypesLikeTheMainKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QString, plain);
        const QStringList byKeypad = seenAfter([&](FormDriver& d) {
            d.type(QStringLiteral("12"));
            for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent event(type, key, Qt::KeypadModifier, text);
                QApplication::sendEvent(QApplication::focusWidget(), &event);
            }
            d.type(QStringLiteral("5+"));
        });
        QCOMPARE(byKeypad,
                 seenAfter([&](FormDriver& d) { d.type("12" + plain + QStringLiteral("5+")); }));
    }

    // Key events as the window system delivers them, with no click first.
    void typingWorksAsSoonAsTheWindowIsShown()
    {
        FormDriver driver;
        QCOMPARE(QApplication::focusWidget(), driver.entryField());
        QWindow* window = driver.form().windowHandle();
        QTest::keyClick(window, '1');
        QTest::keyClick(window, Qt::Key_2, Qt::KeypadModifier);
        QTest::keyClick(window, '+');
        QTest::keyClick(window, Qt::Key_3, Qt::KeypadModifier);
        QTest::keyClick(window, ',');
        QTest::keyClick(window, '5');
        QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(driver.tapeLines().mid(1),
                 (QStringList{tapeLine("+", "12.00", "12.00"), tapeLine("+", "3.50", "15.50"),
                              tapeLine("T", "15.50", "15.50"), tapeLine("T", "15.50", "15.50")}));
    }

    // Each of the 65,536 character codes, typed alone: the entry never holds
    // anything but digits and points, and only the listed characters act.
    void everyCharacterCode()
    {
        FormDriver driver;
        EntryField* field = driver.entryField();
        static const QRegularExpression entryText(QStringLiteral("^[0-9.]{0,14}$"));
        for (int code = 0; code <= 0xFFFF; ++code) {
            if (field->text().isEmpty())
                driver.type(QStringLiteral("12.5"));
            endFlash(driver);
            const QString before = field->text();
            const QStringList tape = driver.tapeLines();
            const QString pending = driver.state().PendingOperator;
            driver.type(QString(QChar(char16_t(code))));
            const QString text = field->text();
            const int key = keyOf(char16_t(code));
            const QString where = QStringLiteral("code %1, entry '%2'").arg(code).arg(text);
            if (!entryText.match(text).hasMatch())
                QFAIL(qPrintable(where));
            if (driver.display("Label4") != OracleFormat(entryValue(text)))
                QFAIL(qPrintable(where + QStringLiteral(": echo ") + driver.display("Label4")));
            if (flashedKeys(driver) != (key < 0 ? QList<int>{} : QList<int>{key}))
                QFAIL(qPrintable(where + QStringLiteral(": wrong flash")));
            if (key < 0 && code != u'\b' &&
                (text != before || driver.tapeLines() != tape ||
                 driver.state().PendingOperator != pending))
                QFAIL(qPrintable(where + QStringLiteral(": not swallowed")));
            if (code == u'\b' && text != before.chopped(1))
                QFAIL(qPrintable(where + QStringLiteral(": backspace")));
        }
    }

    void nothingElseGetsIntoTheEntry()
    {
        FormDriver driver;
        EntryField* field = driver.entryField();
        QWindow* window = driver.form().windowHandle();
        driver.type(QStringLiteral("7"));

        QGuiApplication::clipboard()->setText(QStringLiteral("345abc"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("345abc"));
        QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(field->text(), QStringLiteral("7"));

        // Dropped text, where the entry display shows and where the field lies.
        QMimeData dragged;
        dragged.setText(QStringLiteral("999"));
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        for (QWidget* target :
             {static_cast<QWidget*>(driver.label("Label4")), static_cast<QWidget*>(field)}) {
            const QPoint at = target->mapTo(&driver.form(), target->rect().center());
            QDragEnterEvent enter(at, actions, &dragged, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window, &enter);
            QVERIFY(!enter.isAccepted());
            QDropEvent drop(at, actions, &dragged, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window, &drop);
        }
        QCOMPARE(field->text(), QStringLiteral("7"));

        QTest::keyClick(window, Qt::Key_Tab);
        QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(window, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), field);
        QCOMPARE(field->text(), QStringLiteral("7"));

        // No input method is engaged; text one commits anyway is typed like keys.
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(field, &query);
        QVERIFY(!query.value(Qt::ImEnabled).toBool());
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("a5\u00E9+"));
        QApplication::sendEvent(field, &composed);
        QCOMPARE(driver.tapeLines().last(), tapeLine("+", "75.00", "75.00"));
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
