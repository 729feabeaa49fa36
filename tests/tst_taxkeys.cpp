// The tax keys +TAX and −TAX, and the tax-rate box that a right click opens,
// answered as a user does.

#include "formdriver.h"

#include "keys/keytable.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QPushButton>

namespace {

QLineEdit* answerField(QWidget* box) { return box->findChild<QLineEdit*>(); }

// Replaces the box's answer the way a user does: select all, delete, type.
void typeAnswer(QWidget* box, const QString& text)
{
    QLineEdit* field = answerField(box);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void clickButton(QWidget* box, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(box->findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

// Opens the real box with a right click on `key` and lets `answer` handle it.
void answerTaxBox(FormDriver& driver, int key, std::function<void(QWidget*)> answer)
{
    bool answered = false;
    const auto watch = FormDriver::answerNextModal([&answered, answer](QWidget* box) {
        answered = true;
        answer(box);
        if (box->isVisible())
            box->close();
    });
    driver.click(key, Qt::RightButton);
    QVERIFY2(answered, "the right click opened no tax-rate box");
    // As the window manager does when a modal box closes.
    driver.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&driver.form()));
}

void setRate(FormDriver& driver, int rate)
{
    answerTaxBox(driver, Key::AddTax, [rate](QWidget* box) {
        typeAnswer(box, QString::number(rate));
        QTest::keyClick(answerField(box), Qt::Key_Return);
    });
    QCOMPARE(int(driver.state().TaxRate), rate);
}

} // namespace

class TaxKeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void taxKeysWriteTaxAndTotalLines_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("result");
        QTest::addColumn<double>("total");
        auto row = [](const char* name, int rate, const char* setup, const char* key,
                      const QStringList& lines, const char* result, double total) {
            QTest::newRow(name) << rate << QString::fromLatin1(setup) << QString::fromLatin1(key)
                                << lines << QString::fromLatin1(result) << total;
        };
        const QString sep(23, u'_'), blank(23, u' '), overflow("E99,999,999,999,999.99");
        const QStringList plus18{tapeLine("+V", "18.00", "100.00"),
                                 tapeLine("T", "118.00", "118.00")};
        row("+TAX 18 on 100", 18, "100+", "T", plus18, "118.00", 118);
        row("-TAX 18 on 118", 18, "100+T", "t",
            {tapeLine("-V", "-18.00", "118.00"), tapeLine("T", "100.00", "100.00")}, "100.00", 100);
        row("typed entry is dropped", 18, "100+50", "T", plus18, "118.00", 118);
        // 1.18 × .25 − .25 comes out a hair below .045; at 15 digits it is .045.
        row("+TAX amount at 15 digits", 18, ".25+", "T",
            {tapeLine("+V", ".05", ".25"), tapeLine("T", ".30", ".30")}, ".30", 1.18 * .25);
        row("+TAX on zero", 18, "", "T", {tapeLine("+V", ".00", ".00")}, ".00", 0);
        row("-TAX on zero", 18, "", "t", {tapeLine("-V", ".00", ".00")}, ".00", 0);
        row("+TAX on a negative total", 18, "5-8=", "T", {tapeLine("+V", "-.54", "-3.00")}, "-3.54",
            -3.54);
        row("-TAX on a negative total", 18, "5-8=", "t", {tapeLine("-V", ".46", "-3.00")}, "-2.54",
            -3 / 1.18);
        row("negative rate lowers with +TAX", -10, "100+", "T",
            {tapeLine("+V", "-10.00", "100.00"), tapeLine("T", "90.00", "90.00")}, "90.00", 90);
        row("negative rate raises with -TAX", -10, "90+", "t",
            {tapeLine("-V", "10.00", "90.00"), tapeLine("T", "100.00", "100.00")}, "100.00", 100);
        // +TAX above the total-line limit writes the overflow text alone and keeps the total.
        row("+TAX above the total-line limit", 5, "96000000000000+", "T",
            {tapeLine("+V", "4,800,000,000,000.00", "96,000,000,000,000.00"),
             tapeLine(overflow, "", "100,800,000,000,000.00")},
            "100,800,000,000,000.00", 100800000000000);
        row("+TAX above the display limit", 1100, "90000000000000+", "T",
            {tapeLine("+V", "990,000,000,000,000.00", "90,000,000,000,000.00"),
             tapeLine(overflow, "", "1,080,000,000,000,000.00"),
             tapeLine(overflow, "", "1,080,000,000,000,000.00"), sep, blank, blank},
            ".00", 0);
        row("-TAX above the total-line limit", -5, "96000000000000+", "t",
            {tapeLine("-V", "5,052,631,578,947.38", "96,000,000,000,000.00"),
             tapeLine(overflow, "", "101,052,631,578,947.38"), sep, blank, blank},
            ".00", 0);
    }
    void taxKeysWriteTaxAndTotalLines()
    {
        QFETCH(int, rate);
        QFETCH(QString, setup);
        QFETCH(QString, key);
        QFETCH(QStringList, lines);
        QFETCH(QString, result);
        QFETCH(double, total);
        FormDriver driver;
        if (rate != 18)
            setRate(driver, rate);
        driver.clickKeys(setup);
        const int before = int(driver.tapeLines().size());
        driver.clickKeys(key);
        QCOMPARE(driver.tapeLines().mid(before), lines);
        QCOMPARE(driver.display("Label1"), result);
        QCOMPARE(driver.state().Accumulator, total);
        QCOMPARE(driver.entryField()->text(), QString());
        QCOMPARE(driver.display("Label2"), QStringLiteral("+"));
        QCOMPARE(driver.state().PendingOperator, QStringLiteral("+"));
        QCOMPARE(driver.state().LastOperator, QString());
        QCOMPARE(int(driver.state().TaxRate), rate);
    }

    // −100 % makes −TAX divide by zero; whatever the total's sign, the total
    // that is not a number ends in the overflow display.
    void removingMinusHundredPercentOverflows_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("totalBefore");
        QTest::newRow("positive") << QStringLiteral("100+") << QStringLiteral("100.00");
        QTest::newRow("zero") << QString() << QStringLiteral(".00");
        QTest::newRow("negative") << QStringLiteral("5-8=") << QStringLiteral("-3.00");
    }
    void removingMinusHundredPercentOverflows()
    {
        QFETCH(QString, setup);
        QFETCH(QString, totalBefore);
        FormDriver driver;
        setRate(driver, -100);
        driver.clickKeys(setup);
        const int before = int(driver.tapeLines().size());
        driver.clickKeys(QStringLiteral("t"));
        const QStringList lines = driver.tapeLines().mid(before);
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith(QStringLiteral("-V")));
        QVERIFY(lines[0].endsWith(QLatin1Char(' ') + totalBefore));
        QVERIFY(lines[1].startsWith(QStringLiteral("E99,999,999,999,999.99 ")));
        QCOMPARE(lines.mid(2),
                 (QStringList{QString(23, u'_'), QString(23, u' '), QString(23, u' ')}));
        QCOMPARE(driver.state().Accumulator, 0.0);
        QCOMPARE(driver.display("Label1"), QStringLiteral(".00"));
        driver.clickKeys(QStringLiteral("7+"));
        QCOMPARE(driver.display("Label1"), QStringLiteral("7.00"));
    }

    void rightClickAsksForTheRate()
    {
        for (int key : {int(Key::AddTax), int(Key::RemoveTax)}) {
            FormDriver driver;
            driver.clickKeys(QStringLiteral("100+5"));
            const QStringList tape = driver.tapeLines();
            QString title, prompt, preset;
            QStringList buttons;
            answerTaxBox(driver, key, [&](QWidget* box) {
                title = box->windowTitle();
                buttons = buttonTexts(box);
                prompt = qobject_cast<QInputDialog*>(box)->labelText();
                preset = answerField(box)->text();
                QVERIFY(box->findChild<QLabel*>()->text() == prompt);
                typeAnswer(box, QStringLiteral("20"));
                clickButton(box, QDialogButtonBox::Ok);
            });
            if (QTest::currentTestFailed())
                return;
            QCOMPARE(title, QStringLiteral("www.serit.example"));
            QCOMPARE(prompt, QStringLiteral("Vergi % sini girin"));
            QCOMPARE(preset, QStringLiteral("18"));
            QCOMPARE(buttons, (QStringList{QStringLiteral("Tamam"), QStringLiteral("\u0130ptal")}));
            QCOMPARE(int(driver.state().TaxRate), 20);
            QCOMPARE(driver.tapeLines(), tape);
            QCOMPARE(driver.state().Accumulator, 100.0);
            QCOMPARE(driver.entryField()->text(), QStringLiteral("5"));
            answerTaxBox(driver, Key::AddTax + Key::RemoveTax - key, [&](QWidget* box) {
                preset = answerField(box)->text();
                QTest::keyClick(answerField(box), Qt::Key_Escape);
            });
            if (QTest::currentTestFailed())
                return;
            QCOMPARE(preset, QStringLiteral("20"));
            driver.type(QStringLiteral("0"));
            QCOMPARE(driver.entryField()->text(), QStringLiteral("50"));
            driver.clickKeys(QStringLiteral("T"));
            QCOMPARE(driver.display("Label1"), QStringLiteral("120.00"));
        }
    }

    void answersSetTheRate_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("rate");
        auto row = [](const QString& answer, int rate) {
            QTest::newRow(answer.isEmpty() ? "empty" : qPrintable(answer.left(12)))
                << answer << rate;
        };
        row("20", 20);
        row("0", 18);
        row("", 18);
        row("abc", 18);
        row("18%", 18);
        row("12.5", 12);
        row("13.5", 14);
        row("8,5", 8);
        row("-10", -10);
        row("250", 250);
        row("40000", 25);
        row("1e309", 25);
        row("-1e309", 25);
        row("nan", 18);
        row("inf", 18);
        row("0x1F", 18);
        row(QString(3000, u'9'), 25);
        row("7." + QString(3000, u'4'), 7);
        row(QStringLiteral("\u0662\u0660"), 18); // Arabic-Indic 20
    }
    void answersSetTheRate()
    {
        QFETCH(QString, answer);
        QFETCH(int, rate);
        FormDriver driver;
        setRate(driver, 25);
        answerTaxBox(driver, Key::RemoveTax, [&answer](QWidget* box) {
            typeAnswer(box, answer);
            QCOMPARE(answerField(box)->text(), answer);
            QTest::keyClick(answerField(box), Qt::Key_Return);
        });
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(int(driver.state().TaxRate), rate);
    }

    // Leaving the box without an answer keeps the rate; it never falls back to 18.
    // OK on the preset answers with the rate it showed.
    void leavingTheBoxKeepsTheRate_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK unedited") << "ok";
        QTest::newRow("Enter unedited") << "enter";
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("closed") << "close";
    }
    void leavingTheBoxKeepsTheRate()
    {
        QFETCH(QString, how);
        FormDriver driver;
        setRate(driver, -7);
        driver.platform().textAnswers.clear();
        answerTaxBox(driver, Key::AddTax, [&how](QWidget* box) {
            QCOMPARE(answerField(box)->text(), QStringLiteral("-7"));
            if (how == u"ok")
                clickButton(box, QDialogButtonBox::Ok);
            else if (how == u"enter")
                QTest::keyClick(answerField(box), Qt::Key_Enter);
            else if (how == u"cancel" || how == u"escape") {
                typeAnswer(box, QStringLiteral("30"));
                if (how == u"cancel")
                    clickButton(box, QDialogButtonBox::Cancel);
                else
                    QTest::keyClick(answerField(box), Qt::Key_Escape);
            } else {
                typeAnswer(box, QStringLiteral("30"));
                box->close();
            }
        });
        // OK takes the preset the field holds; the others give no answer at all.
        const bool taken = how == u"ok" || how == u"enter";
        QCOMPARE(driver.platform().textAnswers.size(), 1);
        QCOMPARE(driver.platform().textAnswers.first().has_value(), taken);
        QCOMPARE(driver.platform().textAnswers.first().value_or(QString()),
                 taken ? QStringLiteral("-7") : QString());
        QCOMPARE(int(driver.state().TaxRate), -7);
    }
};

QTEST_MAIN(TaxKeysTest)
#include "tst_taxkeys.moc"
