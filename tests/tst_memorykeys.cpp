// The memory keys R·CM, M− and M+, clicked as a user does.

#include "formdriver.h"

#include "keys/keytable.h"

class MemoryKeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // `setup` is clicked first ("R" stores the total, "C" is C·CE, which keeps
    // the memory); then the memory key writes `lines` and shows `result`.
    void memoryFlowsIntoTheTotal_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("result");
        QTest::addColumn<double>("total");
        auto row = [](const char* name, const char* setup, const char* key,
                      const QStringList& lines, const char* result, double total) {
            QTest::newRow(name) << QString::fromLatin1(setup) << QString::fromLatin1(key) << lines
                                << QString::fromLatin1(result) << total;
        };
        const QString sep(23, u'_'), blank(23, u' ');
        const QStringList plus250{tapeLine("+M", "250.00", "100.00"),
                                  tapeLine("T", "350.00", "350.00")};
        row("M+ 250 on 100", "250+RC100+", "M", plus250, "350.00", 350);
        row("typed entry is dropped", "250+RC100+7", "M", plus250, "350.00", 350);
        row("M- 30 from 100", "30+RC100+", "m",
            {tapeLine("-M", "30.00", "100.00"), tapeLine("T", "70.00", "70.00")}, "70.00", 70);
        row("M+ at start adds nothing", "", "M", {tapeLine("+M", ".00", ".00")}, ".00", 0);
        row("M- at start", "", "m", {tapeLine("-M", ".00", ".00")}, ".00", 0);
        row("M- below zero writes no total", "250+RC100+", "m",
            {tapeLine("-M", "250.00", "100.00")}, "-150.00", -150);
        row("negative memory added", "5-8=R", "M", {tapeLine("+M", "-3.00", "-3.00")}, "-6.00", -6);
        row("negative memory taken away", "5-8=RC", "m",
            {tapeLine("-M", "-3.00", ".00"), tapeLine("T", "3.00", "3.00")}, "3.00", 3);
        row("total at the total-line limit", "1+RC99999999999998+", "M",
            {tapeLine("+M", "1.00", "99,999,999,999,998.00"),
             tapeLine("T", "99,999,999,999,999.00", "99,999,999,999,999.00")},
            "99,999,999,999,999.00", 99999999999999);
        row("total above the limit overflows", "1+RC99999999999999+", "M",
            {tapeLine("+M", "1.00", "99,999,999,999,999.00"),
             tapeLine("E99,999,999,999,999.99", "", "100,000,000,000,000.00"), sep, blank, blank},
            ".00", 0);
        // An amount too wide for its column is still written, right after the marker.
        row("memory too wide for its column", "10000000000000+R", "M",
            {tapeLine("+M", "10,000,000,000,000.00", "10,000,000,000,000.00"),
             tapeLine("T", "20,000,000,000,000.00", "20,000,000,000,000.00")},
            "20,000,000,000,000.00", 20000000000000);
    }
    void memoryFlowsIntoTheTotal()
    {
        QFETCH(QString, setup);
        QFETCH(QString, key);
        QFETCH(QStringList, lines);
        QFETCH(QString, result);
        QFETCH(double, total);
        FormDriver driver;
        driver.clickKeys(setup);
        const double memory = driver.state().MemoryValue;
        const int before = int(driver.tapeLines().size());
        driver.clickKeys(key);
        QCOMPARE(driver.tapeLines().mid(before), lines);
        QCOMPARE(driver.display("Label1"), result);
        QCOMPARE(driver.state().Accumulator, total);
        QCOMPARE(driver.state().MemoryValue, memory);
        QCOMPARE(driver.entryField()->text(), QString());
        QCOMPARE(driver.display("Label4"), QStringLiteral(".00"));
        QCOMPARE(driver.display("Label2"), QStringLiteral("+"));
        QCOMPARE(driver.state().PendingOperator, QStringLiteral("+"));
        QCOMPARE(driver.state().LastOperator, QString());
        QCOMPARE(driver.tape()->currentRow(), driver.tape()->count() - 1);
    }

    void storeCopiesTheTotalAndNothingElse()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("80+5"));
        const QStringList tape = driver.tapeLines();
        driver.clickKeys(QStringLiteral("R"));
        QCOMPARE(driver.state().MemoryValue, 80.0);
        QCOMPARE(driver.tapeLines(), tape);
        QCOMPARE(driver.display("Label1"), QStringLiteral("80.00"));
        QCOMPARE(driver.entryField()->text(), QStringLiteral("5"));
        QCOMPARE(driver.display("Label2"), QStringLiteral("+"));
    }

    void memorySurvivesTheClearKeys()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("80+RA"));
        QCOMPARE(driver.state().Accumulator, 0.0);
        driver.clickKeys(QStringLiteral("M"));
        QCOMPARE(driver.tapeLines().last(), tapeLine("T", "80.00", "80.00"));
        driver.clickKeys(QStringLiteral("CM"));
        QCOMPARE(driver.tapeLines(), (QStringList{QString(18, u' '), tapeLine("+M", "80.00", ".00"),
                                                  tapeLine("T", "80.00", "80.00")}));
        QCOMPARE(driver.display("Label1"), QStringLiteral("80.00"));
    }

    void rightClickEmptiesTheMemoryOnly()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("80+R12"));
        driver.entryField()->setCursorPosition(1);
        const QStringList tape = driver.tapeLines();
        driver.click(Key::MemoryStore, Qt::RightButton);
        QCOMPARE(driver.state().MemoryValue, 0.0);
        QCOMPARE(driver.tapeLines(), tape);
        QCOMPARE(driver.entryField()->text(), QStringLiteral("12"));
        QCOMPARE(driver.entryField()->cursorPosition(), 1);
        QCOMPARE(driver.state().Accumulator, 80.0);
        driver.clickKeys(QStringLiteral("M"));
        QCOMPARE(driver.tapeLines().mid(tape.size()),
                 (QStringList{tapeLine("+M", ".00", "80.00"), tapeLine("T", "80.00", "80.00")}));
    }
};

QTEST_MAIN(MemoryKeysTest)
#include "tst_memorykeys.moc"
