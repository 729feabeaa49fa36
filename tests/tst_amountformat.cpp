#include "amountoracle.h"
#include "core/amountformat.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QLocale English(QLocale::English, QLocale::UnitedStates);
constexpr double Inf = std::numeric_limits<double>::infinity();

double RandomSigned(QRandomGenerator& random, double magnitude)
{
    return random.bounded(2) ? magnitude : -magnitude;
}

// Doubles over many magnitudes, with many of them on or next to a half at the
// third decimal.
double RandomAmount(QRandomGenerator& random, int kind)
{
    switch (kind) {
    case 0:
        return RandomSigned(random,
                            random.generateDouble() * std::pow(10.0, random.bounded(-4, 31)));
    case 1: // typed with three decimals, like 2.675
        return RandomSigned(random, double(random.bounded(quint64(1) << 40)) / 1000);
    case 2: // exact binary halves, like 0.125, up to where doubles are 1/4 apart
        return RandomSigned(random, double(random.bounded(quint64(1) << 55)) / 8);
    case 3: { // one step off a typed half
        const double typed = double(random.bounded(quint64(1) << 40) * 10 + 5) / 1000;
        return RandomSigned(random, std::nextafter(typed, random.bounded(2) ? Inf : 0.0));
    }
    default: { // any bit pattern of a finite number
        double value = Inf;
        while (!std::isfinite(value)) {
            const quint64 bits = random.generate64();
            std::memcpy(&value, &bits, sizeof value);
        }
        return value;
    }
    }
}

QString Repeated(QStringView piece, int count) { return piece.toString().repeated(count); }

} // namespace

class TestAmountFormat : public QObject {
    Q_OBJECT

private slots:
    void formatAmount_data();
    void formatAmount();
    void formatAmountUsesLocaleSeparators_data();
    void formatAmountUsesLocaleSeparators();
    void formattedLengthFollowsDigitCount();
    void formatAmountMatchesDecimalOracle();
    void parseLeadingNumber_data();
    void parseLeadingNumber();
    void parseLongInputs_data();
    void parseLongInputs();
    void parseMatchesReference();
    void roundToSignificantDigits_data();
    void roundToSignificantDigits();
    void taxAmountRoundedBeforeFormatting();
};

void TestAmountFormat::formatAmount_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << u".00"_s;
    QTest::newRow("negative zero") << -0.0 << u".00"_s;
    QTest::newRow("half") << 0.5 << u".50"_s;
    QTest::newRow("seven") << 7.0 << u"7.00"_s;
    QTest::newRow("grouped") << 1234.5 << u"1,234.50"_s;
    QTest::newRow("negative grouped") << -1234.5 << u"-1,234.50"_s;
    QTest::newRow("negative half") << -0.5 << u"-.50"_s;
    QTest::newRow("14 integer digits") << 99999999999999.98 << u"99,999,999,999,999.98"_s;
    QTest::newRow("14 digits and a half") << 12345678901234.5 << u"12,345,678,901,234.50"_s;
    QTest::newRow("15 integer digits") << 123456789012345.0 << u"123,456,789,012,345.00"_s;
    QTest::newRow("1e15") << 1e15 << u"1,000,000,000,000,000.00"_s;
    QTest::newRow("negative 13 digits") << -1234567890123.5 << u"-1,234,567,890,123.50"_s;
    QTest::newRow("below a cent") << 0.004 << u".00"_s;
    QTest::newRow("negative below a cent") << -0.004 << u".00"_s;
    QTest::newRow("half a cent") << 0.005 << u".01"_s;
    QTest::newRow("binary half up") << 0.125 << u".13"_s;
    QTest::newRow("binary half away from zero") << -0.125 << u"-.13"_s;
    QTest::newRow("binary half 1.125") << 1.125 << u"1.13"_s;
    QTest::newRow("typed half 1.005") << 1.005 << u"1.01"_s;
    QTest::newRow("typed half 2.675") << 2.675 << u"2.68"_s;
    QTest::newRow("typed half negative") << -2.675 << u"-2.68"_s;
    QTest::newRow("just below a half") << 2.6749999 << u"2.67"_s;
    QTest::newRow("halfway between shortest texts")
        << 124194910066811.625 << u"124,194,910,066,811.63"_s;
    QTest::newRow("halfway between shortest texts, negative")
        << -124194910066811.625 << u"-124,194,910,066,811.63"_s;
    QTest::newRow("halfway between one-decimal texts")
        << 1125899906842624.25 << u"1,125,899,906,842,624.25"_s;
    QTest::newRow("carry into a new group") << 999.995 << u"1,000.00"_s;
    QTest::newRow("carry through all digits") << 9999999.999 << u"10,000,000.00"_s;
    QTest::newRow("carry from zero integer") << 0.999 << u"1.00"_s;
    QTest::newRow("1e20") << 1e20 << u"100,000,000,000,000,000,000.00"_s;
    QTest::newRow("above 1e15 from shortest text")
        << 123456789012345678.0 << u"123,456,789,012,345,680.00"_s;
    QTest::newRow("1e300") << 1e300 << u"1"_s + Repeated(u",000", 100) + u".00"_s;
    QTest::newRow("largest double")
        << DBL_MAX << u"179,769,313,486,231,570"_s + Repeated(u",000", 97) + u".00"_s;
    QTest::newRow("smallest denormal") << 5e-324 << u".00"_s;
    QTest::newRow("infinity") << Inf << u"\u221E"_s;
    QTest::newRow("negative infinity") << -Inf << u"-\u221E"_s;
    QTest::newRow("not a number") << std::nan("") << u"NaN"_s;
}

void TestAmountFormat::formatAmount()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatAmount(value, English), expected);
}

void TestAmountFormat::formatAmountUsesLocaleSeparators_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    QTest::newRow("Turkish grouped") << turkish << 1234.5 << u"1.234,50"_s;
    QTest::newRow("Turkish millions") << turkish << -1234567.0 << u"-1.234.567,00"_s;
    QTest::newRow("Turkish fraction") << turkish << 0.5 << u",50"_s;
    const QLocale french(QLocale::French, QLocale::France);
    QTest::newRow("French") << french << 1234.5
                            << u"1"_s + french.groupSeparator() + u"234"_s + french.decimalPoint() +
                                   u"50"_s;
}

void TestAmountFormat::formatAmountUsesLocaleSeparators()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatAmount(value, locale), expected);
}

void TestAmountFormat::formattedLengthFollowsDigitCount()
{
    for (int n = 1; n <= 22; ++n) {
        const double value = std::pow(10.0, n - 1) * 1.5;
        const qsizetype expected = n + (n - 1) / 3 + 3;
        QCOMPARE(FormatAmount(value, English).size(), expected);
        QCOMPARE(FormatAmount(-value, English).size(), expected + 1);
    }
}

void TestAmountFormat::formatAmountMatchesDecimalOracle()
{
    QRandomGenerator random(20240601);
    for (int i = 0; i < 200000; ++i) {
        const double value = RandomAmount(random, i % 5);
        const QString actual = FormatAmount(value, English);
        const QString expected = OracleFormat(value);
        if (actual != expected) {
            QFAIL(qPrintable(
                u"%1 formats as %2, expected %3"_s.arg(value, 0, 'g', 17).arg(actual, expected)));
        }
    }
}

void TestAmountFormat::parseLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty") << u""_s << 0.0;
    QTest::newRow("decimal") << u"12.5"_s << 12.5;
    QTest::newRow("leading point") << u".5"_s << 0.5;
    QTest::newRow("trailing point") << u"12."_s << 12.0;
    QTest::newRow("second point stops") << u"1.2.3"_s << 1.2;
    QTest::newRow("two points in a row") << u"1..5"_s << 1.0;
    QTest::newRow("comma stops") << u"18,5"_s << 18.0;
    QTest::newRow("not a number") << u"abc"_s << 0.0;
    QTest::newRow("blanks inside") << u" 2 0 "_s << 20.0;
    QTest::newRow("tab and line feed") << u"\t1\n2.\n5"_s << 12.5;
    QTest::newRow("carriage return is no blank") << u"\r5"_s << 0.0;
    QTest::newRow("lone point") << u"."_s << 0.0;
    QTest::newRow("leading zeros") << u"007"_s << 7.0;
    QTest::newRow("percent sign") << u"18%"_s << 18.0;
    QTest::newRow("minus") << u"-10"_s << -10.0;
    QTest::newRow("plus") << u"+7"_s << 7.0;
    QTest::newRow("blank after sign") << u"- 3"_s << -3.0;
    QTest::newRow("two signs") << u"--3"_s << 0.0;
    QTest::newRow("sign alone") << u"-"_s << 0.0;
    QTest::newRow("exponent") << u"1e3"_s << 1000.0;
    QTest::newRow("negative exponent") << u"1E-2"_s << 0.01;
    QTest::newRow("exponent with blanks") << u"2.5 e +1"_s << 25.0;
    QTest::newRow("letter without digits") << u"1e"_s << 1.0;
    QTest::newRow("letter and sign without digits") << u"1e+"_s << 1.0;
    QTest::newRow("exponent cut short") << u"7e-x"_s << 7.0;
    QTest::newRow("exponent without mantissa") << u"e5"_s << 0.0;
    QTest::newRow("point and exponent only") << u".e5"_s << 0.0;
    QTest::newRow("zero with huge exponent") << u"0e999999999999"_s << 0.0;
    QTest::newRow("beyond range") << u"1e309"_s << Inf;
    QTest::newRow("beyond range negative") << u"-1e309"_s << -Inf;
    QTest::newRow("huge exponent") << u"1e99999999999999999999999"_s << Inf;
    QTest::newRow("largest double") << u"1.7976931348623157e308"_s << DBL_MAX;
    QTest::newRow("rounds past largest") << u"1.7976931348623159e308"_s << Inf;
    QTest::newRow("denormal") << u"4.9e-324"_s << 5e-324;
    QTest::newRow("underflow") << u"1e-400"_s << 0.0;
    QTest::newRow("tiny exponent") << u"5e-99999999999999999999"_s << 0.0;
    QTest::newRow("hexadecimal") << u"0x10"_s << 0.0;
    QTest::newRow("basic hexadecimal") << u"&H10"_s << 0.0;
    QTest::newRow("nan") << u"nan"_s << 0.0;
    QTest::newRow("inf") << u"inf"_s << 0.0;
    QTest::newRow("negative infinity word") << u"-Infinity"_s << 0.0;
    QTest::newRow("Arabic-Indic digits") << u"\u0661\u0662"_s << 0.0;
    QTest::newRow("Arabic-Indic after digits") << u"12\u0663"_s << 12.0;
    QTest::newRow("fullwidth digits") << u"\uFF11\uFF12"_s << 0.0;
    QTest::newRow("no-break space is no blank") << u"1\u00A02"_s << 1.0;
    QTest::newRow("nul stops") << u"3\u00004"_s << 3.0;
    QTest::newRow("2^53 + 1 ties to even") << u"9007199254740993"_s << 9007199254740992.0;
}

void TestAmountFormat::parseLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ParseLeadingNumber(text), expected);
}

void TestAmountFormat::parseLongInputs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    const QString zeros = Repeated(u"0", 5000);
    QTest::newRow("many digits overflow") << u"1"_s + zeros << Inf;
    QTest::newRow("many digits scaled back") << u"1"_s + zeros + u"e-5000"_s << 1.0;
    QTest::newRow("many fraction zeros") << u"0."_s + zeros + u"1e5010"_s << 1e9;
    QTest::newRow("many ones") << Repeated(u"1", 5000) + u"e-4990"_s << 1111111111.1111111111;
    // Just above the tie between 2^53 and 2^53 + 2, decided by a far digit.
    QTest::newRow("far digit breaks a tie")
        << u"9007199254740993."_s + zeros + u"1"_s << 9007199254740994.0;
    QTest::newRow("far zeros keep a tie") << u"9007199254740993."_s + zeros << 9007199254740992.0;
    QTest::newRow("million digits") << Repeated(u"7", 1000000) << Inf;
    QTest::newRow("million blanks") << Repeated(u" ", 1000000) + u"42"_s << 42.0;
    QTest::newRow("underflow after a million zeros")
        << u"-0."_s + Repeated(u"0", 1000000) + u"1"_s << 0.0;
}

void TestAmountFormat::parseLongInputs()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ParseLeadingNumber(text), expected);
}

// Well-formed numbers of up to 40 digits are read as Qt's own conversion reads
// them.
void TestAmountFormat::parseMatchesReference()
{
    QRandomGenerator random(7);
    for (int i = 0; i < 50000; ++i) {
        QByteArray text = random.bounded(2) ? "-" : "";
        const int digits = random.bounded(1, 41);
        const int point = random.bounded(digits + 1);
        for (int d = 0; d < digits; ++d) {
            text += d == point ? "." : "";
            text += char('0' + random.bounded(10));
        }
        text += "e" + QByteArray::number(random.bounded(-330, 290));
        bool ok = false;
        const double expected = text.toDouble(&ok);
        if (!ok || expected == 0) {
            continue;
        }
        const double actual = ParseLeadingNumber(QString::fromLatin1(text));
        QVERIFY2(actual == expected, text.constData());
    }
}

void TestAmountFormat::roundToSignificantDigits_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<double>("expected");

    QTest::newRow("tax noise") << 18.000000000000014 << 15 << 18.0;
    QTest::newRow("sum noise") << 0.1 + 0.2 << 15 << 0.3;
    QTest::newRow("negative") << -2.7755575615628914e-17 << 15 << -2.77555756156289e-17;
    QTest::newRow("large") << 1.2345678901234567e20 << 15 << 1.23456789012346e20;
    QTest::newRow("two digits") << 123.456 << 2 << 120.0;
    QTest::newRow("fewer than one digit") << 163.0 << 0 << 200.0;
    QTest::newRow("all digits kept") << 0.1 + 0.2 << 17 << 0.1 + 0.2;
    QTest::newRow("more than all digits") << 0.1 + 0.2 << 40 << 0.1 + 0.2;
    QTest::newRow("largest double stays finite") << DBL_MAX << 15 << DBL_MAX;
    QTest::newRow("negative largest") << -DBL_MAX << 1 << -DBL_MAX;
    QTest::newRow("denormal") << 5e-324 << 15 << 5e-324;
    QTest::newRow("zero") << 0.0 << 15 << 0.0;
    QTest::newRow("infinity") << Inf << 15 << Inf;
    QTest::newRow("negative infinity") << -Inf << 15 << -Inf;
}

void TestAmountFormat::roundToSignificantDigits()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(double, expected);
    QCOMPARE(RoundToSignificantDigits(value, digits), expected);
}

// A tax amount a few steps below a typed half rounds down as it stands but up
// once taken at 15 significant digits, as the tax keys write it.
void TestAmountFormat::taxAmountRoundedBeforeFormatting()
{
    const double amount = std::nextafter(std::nextafter(1.005, 0.0), 0.0);
    QCOMPARE(FormatAmount(amount, English), u"1.00"_s);
    QCOMPARE(FormatAmount(RoundToSignificantDigits(amount, 15), English), u"1.01"_s);
    QVERIFY(std::isnan(RoundToSignificantDigits(std::nan(""), 15)));
    QVERIFY(std::signbit(RoundToSignificantDigits(-0.0, 15)));
}

QTEST_GUILESS_MAIN(TestAmountFormat)
#include "tst_amountformat.moc"
