// The digit and decimal-point keys with the entry display that echoes them, and
// the two clear keys: CA closes a positive total, C·CE starts afresh.

#include "formdriver.h"

#include "keys/keytable.h"

namespace {

const QString StartLine(18, u' ');

QStringList closingLines() { return {QString(23, u'_'), QString(23, u' '), QString(23, u' ')}; }

} // namespace

class EntryKeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The keys append what they show; the display and the tape read the
    // number at the start of the entry.
    void clickedEntries_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("shown"); // Label4, and the amount the entry adds
        const auto row = [](const char* keys, const char* entry, const char* shown) {
            QTest::newRow(keys) << QString::fromLatin1(keys) << QString::fromLatin1(entry)
                                << QString::fromLatin1(shown);
        };
        row("12.5", "12.5", "12.50");
        row("1.5", "1.5", "1.50");
        row(".5", ".5", ".50");
        row("12.", "12.", "12.00");
        row("007", "007", "7.00");
        row(".", ".", ".00");
        row("1..5", "1..5", "1.00");
        row("1.2.3", "1.2.3", "1.20");
        row("12345678901234", "12345678901234", "12,345,678,901,234.00");
        // Past fourteen characters a key adds nothing.
        row("123456789012345", "12345678901234", "12,345,678,901,234.00");
        row("12345678901234.", "12345678901234", "12,345,678,901,234.00");
        row("1234567890.1239", "1234567890.123", "1,234,567,890.12");
    }
    void clickedEntries()
    {
        QFETCH(QString, keys);
        QFETCH(QString, entry);
        QFETCH(QString, shown);
        FormDriver driver;
        driver.clickKeys(keys);
        QCOMPARE(driver.entryField()->text(), entry);
        QCOMPARE(driver.display("Label4"), shown);
        QCOMPARE(driver.entryField()->cursorPosition(), entry.size());
        driver.clickKeys(QStringLiteral("+"));
        QCOMPARE(driver.tapeLines().last(), tapeLine("+", shown, shown));
        QCOMPARE(driver.display("Label4"), QStringLiteral(".00"));
    }

    void clearAll_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("tape");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QString>("entry");
        const auto row = [](const char* name, const char* keys, const QStringList& tape,
                            const char* result, const char* shown, const char* pending,
                            const char* entry) {
            QTest::newRow(name) << QString::fromLatin1(keys) << tape << QString::fromLatin1(result)
                                << QString::fromLatin1(shown) << QString::fromLatin1(pending)
                                << QString::fromLatin1(entry);
        };
        const QString l10 = tapeLine("+", "10.00", "10.00");
        row("zero total", "12A", {}, "", "+", "+", "12");
        row("negative total", "5-8-2A",
            {tapeLine("+", "5.00", "5.00"), tapeLine("-", "8.00", "-3.00")}, "-3.00", "-", "-",
            "2");
        row("positive total", "10-3A", QStringList{l10} + closingLines(), ".00", "-", "+", "");
        row("next number starts a new total", "10-3A4+",
            QStringList{l10} + closingLines() + QStringList{tapeLine("+", "4.00", "4.00")}, "4.00",
            "+", "+", "");
    }
    void clearAll()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, tape);
        QFETCH(QString, result);
        QFETCH(QString, shown);
        QFETCH(QString, pending);
        QFETCH(QString, entry);
        FormDriver driver;
        driver.clickKeys(keys);
        QCOMPARE(driver.tapeLines(), QStringList{StartLine} + tape);
        if (!tape.isEmpty())
            QCOMPARE(driver.tape()->currentRow(), driver.tape()->count() - 1);
        QCOMPARE(driver.display("Label1"), result);
        QCOMPARE(driver.display("Label2"), shown);
        QCOMPARE(driver.state().PendingOperator, pending);
        QCOMPARE(driver.entryField()->text(), entry);
    }

    void clearAllKeepsMemoryAndTaxRate()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("80+R-A"));
        QCOMPARE(driver.state().Accumulator, 0.0);
        QCOMPARE(driver.state().MemoryValue, 80.0);
        QCOMPARE(driver.state().TaxRate, std::int16_t(18));
        QCOMPARE(driver.state().LastOperator, QStringLiteral("+"));
    }

    void clearEntryAndTapeStartsAfresh()
    {
        FormDriver driver;
        const Form1::Geometry start = driver.form().geometryTwips();
        for (int line = 0; line < 20; ++line)
            driver.clickKeys(QStringLiteral("9+"));
        driver.clickKeys(QStringLiteral("5-7"));
        QCOMPARE(driver.form().geometryTwips().windowHeight, 8398.0);

        driver.clickKeys(QStringLiteral("C"));
        QCOMPARE(driver.tapeLines(), QStringList{StartLine});
        QCOMPARE(driver.entryField()->text(), QString());
        QCOMPARE(driver.display("Label1"), QStringLiteral(".00"));
        QCOMPARE(driver.display("Label4"), QStringLiteral(".00"));
        // The window stays under the pointer while a second click of a double
        // click may still come, then returns to its start.
        QCOMPARE(driver.form().geometryTwips().windowHeight, 8398.0);
        QTRY_COMPARE(driver.form().geometryTwips().windowHeight, 5070.0);
        const Form1::Geometry g = driver.form().geometryTwips();
        QCOMPARE(g.windowTop, 11520.0 - 5070 - 900);
        QCOMPARE(g.windowLeft, start.windowLeft);
        QCOMPARE(g.windowWidth, start.windowWidth);
        QCOMPARE(g.list1Top, 540.0);
        QCOMPARE(g.list1Height, 300.0);
        QCOMPARE(g.picture1Top, 765.0);
        QCOMPARE(driver.form().height(), 304); // 5070 twips less the 34-pixel frame

        // The pending "-" stays, and the window grows again from its start.
        driver.clickKeys(QStringLiteral("5+"));
        QCOMPARE(driver.tapeLines(), (QStringList{StartLine, tapeLine("-", "5.00", "-5.00")}));
        QCOMPARE(driver.display("Label1"), QStringLiteral("-5.00"));
        QCOMPARE(driver.form().geometryTwips().windowHeight, 5278.0);
        QCOMPARE(driver.form().geometryTwips().picture1Top, 1023.0);

        // A line written before the window has returned grows it from its start too.
        for (int line = 0; line < 5; ++line)
            driver.clickKeys(QStringLiteral("9+"));
        driver.clickKeys(QStringLiteral("C5+"));
        QCOMPARE(driver.form().geometryTwips().windowHeight, 5278.0);
        QCOMPARE(driver.form().geometryTwips().list1Height, 508.0);
    }

    void clearEntryAndTapeKeepsMemoryAndClearsANegativeTotal()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("80+R-100+"));
        QCOMPARE(driver.state().Accumulator, -20.0);
        driver.clickKeys(QStringLiteral("C"));
        QCOMPARE(driver.state().Accumulator, 0.0);
        QCOMPARE(driver.state().MemoryValue, 80.0);
        QCOMPARE(driver.state().TaxRate, std::int16_t(18));
        driver.clickKeys(QStringLiteral("M"));
        QCOMPARE(driver.display("Label1"), QStringLiteral("80.00"));
    }
};

QTEST_MAIN(EntryKeysTest)
#include "tst_entrykeys.moc"
