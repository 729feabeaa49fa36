// Calculations clicked on the keys as a user does, checked by the whole tape,
// the result display, the operator box and the entry: the operators, equals,
// percent, the overflow display and numbers too long for their column.

#include "formdriver.h"

#include "keys/hotspot.h"
#include "keys/keytable.h"

namespace {

const QString StartLine(18, u' ');
const QString Nines = QStringLiteral("99,999,999,999,999.00");

// The lines the overflow display writes after the step that overflowed.
QStringList overflowLines(const QString& total)
{
    return {QStringLiteral("E99,999,999,999,999.99") + total.rightJustified(27, u' '),
            QString(23, u'_'), QString(23, u' '), QString(23, u' ')};
}

void compareTape(FormDriver& driver, const QStringList& written)
{
    QCOMPARE(driver.tapeLines(), QStringList{StartLine} + written);
    if (!written.isEmpty())
        QCOMPARE(driver.tape()->currentRow(), driver.tape()->count() - 1);
}

} // namespace

class EvaluationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void calculations_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("tape"); // after the start line
        QTest::addColumn<QString>("result");   // Label1
        QTest::addColumn<QString>("shown");    // Label2
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QString>("entry");
        const auto row = [](const char* name, const char* keys, const QStringList& tape,
                            const QString& result, const char* shown, const char* pending,
                            const char* entry = "") {
            QTest::newRow(name) << QString::fromUtf8(keys) << tape << result
                                << QString::fromUtf8(shown) << QString::fromUtf8(pending)
                                << QString::fromUtf8(entry);
        };
        const QString l200 = tapeLine("+", "200.00", "200.00");
        const QString p20 = tapeLine("%", "20.00", "200.00");

        row("entry", "200+", {l200}, "200.00", "+", "+");
        row("entry line shows the new total", "200+7+", {l200, tapeLine("+", "7.00", "207.00")},
            "207.00", "+", "+");
        row("percent after +", "200+10%", {l200, p20}, "220.00", "+", "+");
        row("percent after -", "200-10%", {l200, p20}, "180.00", "+", "+");
        row("percent after *", "200*10%", {l200, p20}, "20.00", "+", "+");
        row("percent after /", "200/10%", {l200, p20}, "2,000.00", "+", "+");
        row("percent to zero", "100-100%",
            {tapeLine("+", "100.00", "100.00"), tapeLine("%", "100.00", "100.00")}, ".00", "+",
            "+");
        row("percent to a negative total", "200-102.5%", {l200, tapeLine("%", "205.00", "200.00")},
            "-5.00", "+", "+");
        row("percent of zero after /", "0/5%",
            {tapeLine("+", ".00", ".00"), tapeLine("%", ".00", ".00")}, ".00", "+", "+");
        row("negative zero", "-5*0+", {tapeLine("-", "5.00", "-5.00"), tapeLine("*", ".00", ".00")},
            ".00", "+", "+");
        row("operator with nothing typed", "-", {}, "", "-", "-");
        row("+ then - applies -", "10+-3+",
            {tapeLine("+", "10.00", "10.00"), tapeLine("-", "3.00", "7.00")}, "7.00", "+", "+");
        row("divide by zero is refused", "8/0+", {tapeLine("+", "8.00", "8.00")}, "8.00", "+", "+",
            "0");
        row("divide by zero, then equals",
            "8/0=", {tapeLine("+", "8.00", "8.00"), tapeLine("T", "8.00", "8.00")}, "8.00", "/",
            "+", "0");
        row("percent pending, percent again", "50+%7%", {tapeLine("+", "50.00", "50.00")}, "50.00",
            "%", "%", "7");
        row("percent pending, equals",
            "50+%7=", {tapeLine("+", "50.00", "50.00"), tapeLine("T", "50.00", "50.00")}, "50.00",
            "%", "+", "7");
        const QString t5 = tapeLine("T", "5.00", "5.00");
        row("equals three times", "5+===", {tapeLine("+", "5.00", "5.00"), t5, t5, t5}, "5.00", "+",
            "+");
        const QStringList to3 = {tapeLine("+", "5.00", "5.00"), tapeLine("-", "8.00", "-3.00")};
        row("equals on a negative total", "5-8=", to3, "-3.00", "-", "-");
        row("negative total keeps - pending", "5-8=2+",
            to3 + QStringList{tapeLine("-", "2.00", "-5.00")}, "-5.00", "+", "+");
        row("equals on a zero total",
            "5-5=", {tapeLine("+", "5.00", "5.00"), tapeLine("-", "5.00", ".00")}, ".00", "-", "-");
        row("total line at its limit",
            "99999999999999=", {tapeLine("+", Nines, Nines), tapeLine("T", Nines, Nines)}, Nines,
            "+", "+");

        const QString big = QStringLiteral("999,999,999,999,999.00");
        const QStringList toBig = {tapeLine("+", Nines, Nines),
                                   tapeLine("*", "10.00", "999,999,999,999,990.00"),
                                   tapeLine("+", "9.00", big)};
        row("largest result by an operator", "99999999999999*10+9+", toBig, big, "+", "+");
        row("largest result by percent", "99999999999999*10+9+0%",
            toBig + QStringList{tapeLine("%", ".00", big)}, big, "+", "+");
        row("percent amount too long for its column", "12345678901200+1000%",
            {tapeLine("+", "12,345,678,901,200.00", "12,345,678,901,200.00"),
             "%123,456,789,012,000.00      12,345,678,901,200.00"},
            "135,802,467,913,200.00", "+", "+");
    }
    void calculations()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, tape);
        QFETCH(QString, result);
        QFETCH(QString, shown);
        QFETCH(QString, pending);
        QFETCH(QString, entry);
        FormDriver driver;
        driver.clickKeys(keys);
        compareTape(driver, tape);
        QCOMPARE(driver.display("Label1"), result);
        QCOMPARE(driver.display("Label2"), shown);
        QCOMPARE(driver.state().PendingOperator, pending);
        QCOMPARE(driver.entryField()->text(), entry);
    }

    // Every road into the overflow display ends with the same tape and state.
    void overflow_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("tape"); // before the overflow lines
        QTest::addColumn<QString>("overflowed");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* keys, const QStringList& tape,
                            const char* overflowed, const char* shown) {
            QTest::newRow(name) << QString::fromUtf8(keys) << tape << QString::fromUtf8(overflowed)
                                << QString::fromUtf8(shown);
        };
        const QString entry = tapeLine("+", Nines, Nines);
        row("operator", "99999999999999*100-",
            {entry, tapeLine("*", "100.00", "9,999,999,999,999,900.00")},
            "9,999,999,999,999,900.00", "-");
        row("just above the result limit", "99999999999999*10+9+.5-",
            {entry, tapeLine("*", "10.00", "999,999,999,999,990.00"),
             tapeLine("+", "9.00", "999,999,999,999,999.00"),
             tapeLine("+", ".50", "999,999,999,999,999.50")},
            "999,999,999,999,999.50", "-");
        row("percent just above the result limit", "99999999999999*10+9+.0000000000001%",
            {entry, tapeLine("*", "10.00", "999,999,999,999,990.00"),
             tapeLine("+", "9.00", "999,999,999,999,999.00"),
             tapeLine("%", "1.00", "999,999,999,999,999.00")},
            "1,000,000,000,000,000.00", "%");
        row("percent", "50000000000000+2000%",
            {tapeLine("+", "50,000,000,000,000.00", "50,000,000,000,000.00"),
             "%1,000,000,000,000,000.00      50,000,000,000,000.00"},
            "1,050,000,000,000,000.00", "%");
        row("equals above the total-line limit",
            "99999999999999*2=", {entry, tapeLine("*", "2.00", "199,999,999,999,998.00")},
            "199,999,999,999,998.00", "*");
        row("equals just above the total-line limit",
            "99999999999999+1=", {entry, tapeLine("+", "1.00", "100,000,000,000,000.00")},
            "100,000,000,000,000.00", "+");
        row("percent dividing by zero", "5/0%",
            {tapeLine("+", "5.00", "5.00"), tapeLine("%", ".00", "5.00")}, "∞", "%");
        row("percent dividing zero by zero", "0/0%",
            {tapeLine("+", ".00", ".00"), tapeLine("%", ".00", ".00")}, "NaN", "%");
    }
    void overflow()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, tape);
        QFETCH(QString, overflowed);
        QFETCH(QString, shown);
        FormDriver driver;
        driver.clickKeys(keys);
        compareTape(driver, tape + overflowLines(overflowed));
        QCOMPARE(driver.display("Label1"), QStringLiteral(".00"));
        QCOMPARE(driver.display("Label2"), shown);
        QCOMPARE(driver.display("Label4"), QStringLiteral(".00"));
        QCOMPARE(driver.entryField()->text(), QString());
        QCOMPARE(driver.state().Accumulator, 0.0);
        QCOMPARE(driver.state().PendingOperator, QStringLiteral("+"));
        QCOMPARE(driver.state().LastOperator, QString());

        driver.clickKeys(QStringLiteral("3+"));
        QCOMPARE(driver.tapeLines().last(), tapeLine("+", "3.00", "3.00"));
        QCOMPARE(driver.display("Label1"), QStringLiteral("3.00"));
    }

    // Each step as a user sees it: the tape, both displays, and the operator
    // being applied and the one pending.
    void stepsOfACalculation()
    {
        struct Step {
            const char* keys;
            QStringList lines; // what the step adds to the tape
            const char* result;
            const char* shown;
            const char* last;
            const char* pending;
        };
        const Step steps[] = {
            {"100", {}, "", "+", "", "+"},
            {"+", {tapeLine("+", "100.00", "100.00")}, "100.00", "+", "+", "+"},
            {"20", {}, "100.00", "+", "+", "+"},
            {"-", {tapeLine("+", "20.00", "120.00")}, "120.00", "-", "+", "-"},
            {"5", {}, "120.00", "-", "+", "-"},
            {"=",
             {tapeLine("-", "5.00", "115.00"), tapeLine("T", "115.00", "115.00")},
             "115.00",
             "-",
             "-",
             "+"},
            {"7", {}, "115.00", "-", "-", "+"},
            {"+", {tapeLine("+", "7.00", "122.00")}, "122.00", "+", "+", "+"},
        };
        FormDriver driver;
        QStringList tape;
        for (const Step& step : steps) {
            driver.clickKeys(QString::fromLatin1(step.keys));
            tape += step.lines;
            compareTape(driver, tape);
            QCOMPARE(driver.display("Label1"), QString::fromLatin1(step.result));
            QCOMPARE(driver.display("Label2"), QString::fromLatin1(step.shown));
            QCOMPARE(driver.state().LastOperator, QString::fromLatin1(step.last));
            QCOMPARE(driver.state().PendingOperator, QString::fromLatin1(step.pending));
        }
        QCOMPARE(driver.state().Accumulator, 122.0);
    }

    void typedCalculationMatchesTheClickedOne()
    {
        FormDriver clicked;
        clicked.clickKeys(QStringLiteral("100+20-5=7+"));
        FormDriver typed;
        typed.type(QStringLiteral("100+20-5\r"));
        auto* equals = qobject_cast<Hotspot*>(typed.hotspot(Key::Equals));
        QVERIFY(equals->isFlashed());
        typed.type(QStringLiteral("7+"));
        QCOMPARE(typed.tapeLines(), clicked.tapeLines());
        QCOMPARE(typed.display("Label1"), clicked.display("Label1"));
        QCOMPARE(typed.display("Label2"), clicked.display("Label2"));
    }

    // However far below zero the total goes it is shown and written whole;
    // only when it is no longer a number does the overflow display take over.
    void largeNegativeTotalsAreKeptWhole()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("-99999999999999*"));
        const QString first = QStringLiteral("-99,999,999,999,999.00");
        QCOMPARE(driver.tapeLines().last(), tapeLine("-", Nines, first));
        QCOMPARE(driver.display("Label1"), first);

        driver.clickKeys(QStringLiteral("99999999999999*"));
        const QString second = QStringLiteral("-9,999,999,999,999,800,000,000,000,000.00");
        QCOMPARE(driver.tapeLines().last(), "*" + Nines + " " + second);
        QCOMPARE(driver.display("Label1"), second);
        driver.clickKeys(QStringLiteral("="));
        QCOMPARE(driver.tapeLines().size(), 3);

        for (int step = 2; step < 22; ++step) {
            driver.clickKeys(QStringLiteral("99999999999999*"));
            const QString total = driver.display("Label1");
            QVERIFY2(total.startsWith(u'-') && total.size() > 41, qPrintable(total));
            QCOMPARE(driver.tapeLines().last(), "*" + Nines + " " + total);
        }
        QVERIFY(driver.state().Accumulator < -1e307);

        driver.clickKeys(QStringLiteral("99999999999999*"));
        const QStringList lines = driver.tapeLines();
        QCOMPARE(lines.mid(lines.size() - 5),
                 QStringList{tapeLine("*", Nines, "-∞")} + overflowLines(QStringLiteral("-∞")));
        QCOMPARE(driver.state().Accumulator, 0.0);
        QCOMPARE(driver.display("Label1"), QStringLiteral(".00"));
    }
};

QTEST_MAIN(EvaluationTest)
#include "tst_evaluation.moc"
