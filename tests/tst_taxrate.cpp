#include "keys/taxrate.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTaxRate : public QObject {
    Q_OBJECT

private slots:
    void taxRateFromAnswer_data();
    void taxRateFromAnswer();
};

using Answer = std::optional<QString>;
Q_DECLARE_METATYPE(Answer)

void TestTaxRate::taxRateFromAnswer_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("currentRate");
    QTest::addColumn<int>("expected");

    QTest::newRow("cancel keeps the rate") << Answer() << 20 << 20;
    QTest::newRow("cancel keeps a negative rate") << Answer() << -5 << -5;
    QTest::newRow("preset answer") << Answer(u"20"_s) << 20 << 20;
    QTest::newRow("new rate") << Answer(u"8"_s) << 20 << 8;
    QTest::newRow("empty") << Answer(u""_s) << 20 << 18;
    QTest::newRow("blanks") << Answer(u"  "_s) << 20 << 18;
    QTest::newRow("not numeric") << Answer(u"abc"_s) << 20 << 18;
    QTest::newRow("zero") << Answer(u"0"_s) << 20 << 18;
    QTest::newRow("rounds to zero") << Answer(u"0.4"_s) << 20 << 18;
    QTest::newRow("negative half rounds to zero") << Answer(u"-0.5"_s) << 20 << 18;
    QTest::newRow("percent sign") << Answer(u"18%"_s) << 20 << 18;
    QTest::newRow("tie to even down") << Answer(u"12.5"_s) << 20 << 12;
    QTest::newRow("tie to even up") << Answer(u"13.5"_s) << 20 << 14;
    QTest::newRow("negative tie to even down") << Answer(u"-12.5"_s) << 20 << -12;
    QTest::newRow("negative tie to even up") << Answer(u"-13.5"_s) << 20 << -14;
    QTest::newRow("above a tie") << Answer(u"12.5000001"_s) << 20 << 13;
    QTest::newRow("below a tie") << Answer(u"13.4999999"_s) << 20 << 13;
    QTest::newRow("half rounds to zero") << Answer(u"0.5"_s) << 20 << 18;
    QTest::newRow("one and a half") << Answer(u"1.5"_s) << 20 << 2;
    QTest::newRow("comma ends the number") << Answer(u"8,5"_s) << 20 << 8;
    QTest::newRow("negative rate") << Answer(u"-10"_s) << 20 << -10;
    QTest::newRow("above 100") << Answer(u"250"_s) << 20 << 250;
    QTest::newRow("blanks inside") << Answer(u" 2 5 "_s) << 20 << 25;
    QTest::newRow("exponent") << Answer(u"1e3"_s) << 20 << 1000;
    QTest::newRow("too large") << Answer(u"40000"_s) << 20 << 20;
    QTest::newRow("largest") << Answer(u"32767"_s) << 20 << 32767;
    QTest::newRow("largest plus one") << Answer(u"32768"_s) << 20 << 20;
    QTest::newRow("rounds past the largest") << Answer(u"32767.5"_s) << 20 << 20;
    QTest::newRow("rounds down to the largest") << Answer(u"32767.49"_s) << 20 << 32767;
    QTest::newRow("smallest") << Answer(u"-32768"_s) << 20 << -32768;
    QTest::newRow("tie to even at the smallest") << Answer(u"-32768.5"_s) << 20 << -32768;
    QTest::newRow("smallest minus one") << Answer(u"-32769"_s) << 20 << 20;
    QTest::newRow("infinity") << Answer(u"1e309"_s) << 20 << 20;
    QTest::newRow("negative infinity") << Answer(u"-1e309"_s) << 20 << 20;
    QTest::newRow("underflow") << Answer(u"1e-400"_s) << 20 << 18;
    QTest::newRow("nan") << Answer(u"nan"_s) << 20 << 18;
    QTest::newRow("inf") << Answer(u"inf"_s) << 20 << 18;
    QTest::newRow("hexadecimal") << Answer(u"0x1F"_s) << 20 << 18;
    QTest::newRow("basic hexadecimal") << Answer(u"&H1F"_s) << 20 << 18;
    QTest::newRow("Arabic-Indic digits") << Answer(u"\u0662\u0660"_s) << 20 << 18;
    QTest::newRow("Arabic-Indic after digits") << Answer(u"5\u0662"_s) << 20 << 5;
    QTest::newRow("thousands of digits") << Answer(u"9"_s.repeated(5000)) << 20 << 20;
    QTest::newRow("thousands of fraction digits")
        << Answer(u"7."_s + u"4"_s.repeated(5000)) << 20 << 7;
}

void TestTaxRate::taxRateFromAnswer()
{
    QFETCH(Answer, answer);
    QFETCH(int, currentRate);
    QFETCH(int, expected);
    QCOMPARE(TaxRateFromAnswer(answer, static_cast<std::int16_t>(currentRate)), expected);
}

QTEST_GUILESS_MAIN(TestTaxRate)
#include "tst_taxrate.moc"
