#include "tape/printlayout.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A tape line as the tape writes it: a marker, the entry right-aligned to
// column 22 and the running total right-aligned in the next 27 columns.
QString TapeLine(const QString& marker, const QString& entry, const QString& total)
{
    return marker + entry.rightJustified(22 - marker.size()) + total.rightJustified(27);
}

// Lines whose entry and total both name the line's index, so that every printed
// piece shows where it came from.
QStringList NumberedTape(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(TapeLine(u"+"_s, QString::number(i) + u".00"_s,
                              QString::number(100000 + i) + u".00"_s));
    return lines;
}

// The row that holds the given lines side by side in the given print.
QString RowOf(const QStringList& lines, const QList<int>& indices, PrintTotals totals)
{
    QString row;
    for (int column = 0; column < indices.size(); ++column) {
        const QString& line = lines.at(indices.at(column));
        if (totals == PrintTotals::With)
            row += line + u"  !"_s;
        else
            row += line.left(23) + (column == 0 ? u" !"_s : u"  !"_s);
    }
    return row;
}

} // namespace

Q_DECLARE_METATYPE(PrintTotals)

class TestPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void pageCount_data();
    void pageCount();
    void rowPlacement_data();
    void rowPlacement();
    void columnPositions_data();
    void columnPositions();
    void shortLinesTakenWhole_data();
    void shortLinesTakenWhole();
    void runningTotalsOnlyWithTotals_data();
    void runningTotalsOnlyWithTotals();
};

void TestPrintLayout::pageCount_data()
{
    QTest::addColumn<PrintTotals>("totals");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("pageCount");

    QTest::newRow("empty tape, with totals") << PrintTotals::With << 0 << 0;
    QTest::newRow("empty tape, without totals") << PrintTotals::Without << 0 << 0;
    QTest::newRow("one line") << PrintTotals::With << 1 << 1;
    QTest::newRow("120 lines fill a page with totals") << PrintTotals::With << 120 << 1;
    QTest::newRow("121 lines with totals") << PrintTotals::With << 121 << 2;
    QTest::newRow("121 lines without totals") << PrintTotals::Without << 121 << 1;
    QTest::newRow("180 lines fill a page without totals") << PrintTotals::Without << 180 << 1;
    QTest::newRow("181 lines without totals") << PrintTotals::Without << 181 << 2;
    QTest::newRow("10000 lines with totals") << PrintTotals::With << 10000 << 84;
    QTest::newRow("10000 lines without totals") << PrintTotals::Without << 10000 << 56;
}

void TestPrintLayout::pageCount()
{
    QFETCH(PrintTotals, totals);
    QFETCH(int, lineCount);
    QFETCH(int, pageCount);

    const QList<QStringList> pages = LayoutPrintPages(NumberedTape(lineCount), totals);
    QCOMPARE(pages.size(), pageCount);
    for (const QStringList& page : pages)
        QCOMPARE(page.size(), 60);
}

void TestPrintLayout::rowPlacement_data()
{
    QTest::addColumn<PrintTotals>("totals");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("lines");

    const auto with = PrintTotals::With;
    const auto without = PrintTotals::Without;
    QTest::newRow("121 with: first row") << with << 121 << 0 << 0 << QList<int>{0, 60};
    QTest::newRow("121 with: last row of page 1") << with << 121 << 0 << 59 << QList<int>{59, 119};
    QTest::newRow("121 with: line 120 alone") << with << 121 << 1 << 0 << QList<int>{120};
    QTest::newRow("121 with: then empty") << with << 121 << 1 << 1 << QList<int>{};
    QTest::newRow("121 with: last row empty") << with << 121 << 1 << 59 << QList<int>{};
    QTest::newRow("180 without: first row") << without << 180 << 0 << 0 << QList<int>{0, 60, 120};
    QTest::newRow("180 without: last row") << without << 180 << 0 << 59 << QList<int>{59, 119, 179};
    QTest::newRow("181 without: line 180 alone") << without << 181 << 1 << 0 << QList<int>{180};
    QTest::newRow("181 without: then empty") << without << 181 << 1 << 1 << QList<int>{};
    QTest::newRow("30 without: row 0") << without << 30 << 0 << 0 << QList<int>{0};
    QTest::newRow("30 without: row 29") << without << 30 << 0 << 29 << QList<int>{29};
    QTest::newRow("30 without: row 30 empty") << without << 30 << 0 << 30 << QList<int>{};
    QTest::newRow("30 without: row 59 empty") << without << 30 << 0 << 59 << QList<int>{};
    QTest::newRow("90 without: two columns") << without << 90 << 0 << 29 << QList<int>{29, 89};
    QTest::newRow("90 without: one column") << without << 90 << 0 << 30 << QList<int>{30};
    QTest::newRow("250 with: third page") << with << 250 << 2 << 9 << QList<int>{249};
}

void TestPrintLayout::rowPlacement()
{
    QFETCH(PrintTotals, totals);
    QFETCH(int, lineCount);
    QFETCH(int, page);
    QFETCH(int, row);
    QFETCH(QList<int>, lines);

    const QStringList tape = NumberedTape(lineCount);
    const QList<QStringList> pages = LayoutPrintPages(tape, totals);
    QCOMPARE(pages.at(page).at(row), RowOf(tape, lines, totals));
}

void TestPrintLayout::columnPositions_data()
{
    QTest::addColumn<PrintTotals>("totals");
    QTest::addColumn<QList<int>>("closerColumns"); // counted from 1
    QTest::addColumn<QStringList>("closers");

    QTest::newRow("with totals") << PrintTotals::With << QList<int>{50, 102}
                                 << QStringList{u"  !"_s, u"  !"_s};
    QTest::newRow("without totals") << PrintTotals::Without << QList<int>{24, 49, 75}
                                    << QStringList{u" !"_s, u"  !"_s, u"  !"_s};
}

void TestPrintLayout::columnPositions()
{
    QFETCH(PrintTotals, totals);
    QFETCH(QList<int>, closerColumns);
    QFETCH(QStringList, closers);

    QStringList tape;
    for (int i = 0; i < 180; ++i)
        tape.append(TapeLine(u"-M"_s, u"8,765,432,109,876.54"_s, u"-12,345,678,901,234.5"_s));
    const QString row = LayoutPrintPages(tape, totals).at(0).at(0);

    QCOMPARE(row.size(), closerColumns.last() + closers.last().size() - 1);
    for (int i = 0; i < closerColumns.size(); ++i) {
        QCOMPARE(row.mid(closerColumns.at(i) - 1, closers.at(i).size()), closers.at(i));
        const int columnStart = i == 0 ? 1 : closerColumns.at(i - 1) + closers.at(i - 1).size();
        QCOMPARE(row.mid(columnStart - 1, 2), u"-M"_s);
    }
}

void TestPrintLayout::shortLinesTakenWhole_data()
{
    QTest::addColumn<PrintTotals>("totals");
    QTest::addColumn<QString>("firstRow");

    const QString start(18, u' ');
    const QString separator(23, u'_');
    const QString blank(23, u' ');
    QTest::newRow("without totals")
        << PrintTotals::Without << start + u" !"_s + separator + u"  !"_s + blank + u"  !"_s;
    QTest::newRow("with totals") << PrintTotals::With << start + u"  !"_s + separator + u"  !"_s;
}

void TestPrintLayout::shortLinesTakenWhole()
{
    QFETCH(PrintTotals, totals);
    QFETCH(QString, firstRow);

    QStringList tape = NumberedTape(121);
    tape[0] = QString(18, u' ');
    tape[60] = QString(23, u'_');
    tape[120] = QString(23, u' ');
    QCOMPARE(LayoutPrintPages(tape, totals).at(0).at(0), firstRow);
}

void TestPrintLayout::runningTotalsOnlyWithTotals_data()
{
    QTest::addColumn<PrintTotals>("totals");
    QTest::addColumn<bool>("totalsPrinted");

    QTest::newRow("with totals") << PrintTotals::With << true;
    QTest::newRow("without totals") << PrintTotals::Without << false;
}

void TestPrintLayout::runningTotalsOnlyWithTotals()
{
    QFETCH(PrintTotals, totals);
    QFETCH(bool, totalsPrinted);

    // Entries never use the digit 7 and totals use no other digit, so any 7 on
    // the paper comes from a running total; the totals include the widest,
    // 21-character ones.
    const QStringList totalTexts{u".00"_s, u"7.77"_s, u"77,777,777,777,777.77"_s,
                                 u"-77,777,777,777,777.7"_s};
    const QStringList markers{u"+"_s, u"-M"_s, u"+V"_s, u"T"_s, u"%"_s};
    QStringList tape{QString(18, u' ')};
    for (int i = 0; i < 400; ++i)
        tape.append(TapeLine(markers.at(i % markers.size()), u"8,865,432,109,886.54"_s,
                             totalTexts.at(i % totalTexts.size())));
    tape.append(QString(23, u'_'));
    tape.append(TapeLine(u"E99,999,999,999,999.99"_s, QString(), u"77,777,777,777,777.77"_s));

    bool sevenPrinted = false;
    for (const QStringList& page : LayoutPrintPages(tape, totals))
        for (const QString& row : page)
            sevenPrinted = sevenPrinted || row.contains(u'7');
    QCOMPARE(sevenPrinted, totalsPrinted);
}

QTEST_APPLESS_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
