// The layout of a tape line: the entry column and the running-total column,
// also for numbers too long for their column.

#include "tape/tapeline.h"

#include <QTest>

namespace {
QString blanks(int count) { return QString(count, QLatin1Char(' ')); }
} // namespace

class TapeLineTest : public QObject {
    Q_OBJECT

private slots:
    void entryColumn_data()
    {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("column");
        const auto row = [](const char* name, const char* marker, const char* amount,
                            const QString& column) {
            QTest::newRow(name) << QString::fromLatin1(marker) << QString::fromLatin1(amount)
                                << column;
        };
        row("entry", "+", "200.00", "+" + blanks(15) + "200.00");
        row("total", "T", "1,234.50", "T" + blanks(13) + "1,234.50");
        row("zero behind two characters", "-M", ".00", "-M" + blanks(17) + ".00");
        row("fills one-character room", "%", "12,345,678,901,234.50", "%12,345,678,901,234.50");
        row("fills two-character room", "+V", "1,234,567,890,123.50", "+V1,234,567,890,123.50");
        row("one too long behind one character", "%", "123,456,789,012,345.00",
            "%123,456,789,012,345.00");
        row("one too long behind two characters", "-M", "-1,234,567,890,123.50",
            "-M-1,234,567,890,123.50");
        row("far too long", "*", "1,000,000,000,000,000,000.00", "*1,000,000,000,000,000,000.00");
    }
    void entryColumn()
    {
        QFETCH(QString, marker);
        QFETCH(QString, amount);
        QFETCH(QString, column);
        QCOMPARE(EntryColumn(marker, amount), column);
    }

    void tapeLine_data()
    {
        const QString entry = "+" + blanks(17) + "7.00";
        QTest::addColumn<QString>("entryColumn");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("line");
        QTest::newRow("zero") << entry << ".00" << entry + blanks(24) + ".00";
        QTest::newRow("short") << entry << "1,234.50" << entry + blanks(19) + "1,234.50";
        QTest::newRow("widest that keeps six blanks")
            << entry << "99,999,999,999,999.00" << entry + blanks(6) + "99,999,999,999,999.00";
        QTest::newRow("negative fourteen digits")
            << entry << "-99,999,999,999,999.00" << entry + blanks(5) + "-99,999,999,999,999.00";
        QTest::newRow("sixteen digits kept whole")
            << entry << "1,000,000,000,000,000.00"
            << entry + blanks(3) + "1,000,000,000,000,000.00";
        QTest::newRow("26 characters, one blank")
            << entry << "100,000,000,000,000,000.00" << entry + " 100,000,000,000,000,000.00";
        QTest::newRow("27 characters still one blank")
            << entry << "-100,000,000,000,000,000.00" << entry + " -100,000,000,000,000,000.00";
        QTest::newRow("very long") << entry << "-9,999,999,999,999,800,000,000,000,000.00"
                                   << entry + " -9,999,999,999,999,800,000,000,000,000.00";
        QTest::newRow("long entry column moves the total")
            << "%123,456,789,012,000.00"
            << "12,345,678,901,200.00"
            << "%123,456,789,012,000.00" + blanks(6) + "12,345,678,901,200.00";
        QTest::newRow("overflow line") << "E99,999,999,999,999.99"
                                       << "∞"
                                       << "E99,999,999,999,999.99" + blanks(26) + "∞";
    }
    void tapeLine()
    {
        QFETCH(QString, entryColumn);
        QFETCH(QString, total);
        QFETCH(QString, line);
        QCOMPARE(TapeLine(entryColumn, total), line);
    }
};

QTEST_MAIN(TapeLineTest)
#include "tst_tapeline.moc"
