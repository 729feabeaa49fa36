// A long tape typed as a user types it, "1+" per line: every line is kept, the
// window stops growing at the one-fifth line, the newest line stays selected,
// and printing hands every line to the printer, 60 rows a page, under the busy
// pointer.
//
// SERIT_LONGTAPE_LINES sets how many calculation lines are written; the
// default, 100,000, goes well past 32,767, the most a 16-bit count could hold.

#include "amountoracle.h"
#include "formdriver.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QMessageBox>

namespace {

int calculationLines()
{
    return qEnvironmentVariableIsSet("SERIT_LONGTAPE_LINES")
               ? qEnvironmentVariableIntValue("SERIT_LONGTAPE_LINES")
               : 100000;
}

// The tape holds the start line, then line n (from 1) adds 1 to a total of n.
QString expectedLine(int index)
{
    if (index == 0)
        return QString(18, u' ');
    static QStringList totals; // formatted once, for the tape and both printouts
    while (totals.size() <= index)
        totals.append(OracleFormat(double(totals.size())));
    return tapeLine(QStringLiteral("+"), QStringLiteral("1.00"), totals.at(index));
}

// Row `row` of the page that starts at tape line `first`: the lines of the
// row's columns side by side, each closed by "  !", except that without totals
// each line is cut to 23 characters and the first column is closed by " !".
QString expectedRow(int count, int first, int row, QMessageBox::StandardButton totals)
{
    const int columns = totals == QMessageBox::Yes ? 2 : 3;
    QString text;
    for (int column = 0; column < columns; ++column) {
        const int index = first + row + 60 * column;
        if (index >= count)
            continue;
        if (totals == QMessageBox::Yes)
            text += expectedLine(index) + QStringLiteral("  !");
        else
            text += expectedLine(index).left(23) +
                    (column == 0 ? QStringLiteral(" !") : QStringLiteral("  !"));
    }
    return text;
}

} // namespace

class LongTapeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_lines = calculationLines();
        QVERIFY(m_lines > 16);
        m_driver = std::make_unique<FormDriver>();
        QElapsedTimer clock;
        clock.start();
        for (int line = 1; line <= m_lines; ++line) {
            m_driver->type(QStringLiteral("1+"));
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d lines typed in %lld ms", m_lines, clock.elapsed());
    }

    void tapeHoldsEveryLine()
    {
        const QStringList lines = m_driver->tapeLines();
        QCOMPARE(lines.size(), m_lines + 1);
        for (int index = 0; index < lines.size(); ++index) {
            if (lines.at(index) != expectedLine(index))
                QFAIL(qPrintable(
                    QStringLiteral("line %1 is \"%2\"").arg(index).arg(lines.at(index))));
        }
        QCOMPARE(m_driver->display("Label1"), OracleFormat(m_lines));
    }

    void windowStoppedGrowingAtTheOneFifthLine()
    {
        const Form1::Geometry g = m_driver->form().geometryTwips();
        QCOMPARE(g.windowTop, 2222.0);
        QCOMPARE(g.windowHeight, 8398.0);
        QCOMPARE(g.list1Top, 540.0);
        QCOMPARE(g.list1Height, 3628.0);
        QCOMPARE(g.picture1Top, 4143.0);
    }

    void newestLineIsSelectedAndInView()
    {
        TapeView* tape = m_driver->tape();
        QCOMPARE(tape->currentRow(), m_lines);
        const QRect last = tape->rowRect(m_lines);
        QVERIFY(last.top() >= 0 && last.bottom() < tape->viewport()->height());
    }

    // While the tape prints, the busy pointer shows, from the answer to the
    // question until the printer has every page; none when the question is
    // cancelled, and the usual pointer again afterwards, with or without a printer.
    void printsEveryLine_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("printer");
        QTest::addColumn<int>("linesPerPage"); // 0: nothing printed
        QTest::newRow("with totals") << QMessageBox::Yes << true << 120;
        QTest::newRow("without totals") << QMessageBox::No << true << 180;
        QTest::newRow("no printer") << QMessageBox::Yes << false << 0;
        QTest::newRow("cancelled") << QMessageBox::Cancel << true << 0;
    }
    void printsEveryLine()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, printer);
        QFETCH(int, linesPerPage);
        TestPlatform& platform = m_driver->platform();
        platform.printedJobs.clear();
        platform.pointersWhilePrinting.clear();
        platform.printerAvailable = printer;
        QString title;
        QStringList buttons;
        bool busyWhileAsked = true;
        const auto watch = FormDriver::answerNextModal([&, answer](QWidget* widget) {
            title = widget->windowTitle();
            buttons = buttonTexts(widget);
            busyWhileAsked = QGuiApplication::overrideCursor() != nullptr;
            if (auto* box = qobject_cast<QMessageBox*>(widget))
                QTest::mouseClick(box->button(answer), Qt::LeftButton);
            else
                widget->close();
        });
        QWidget* viewport = m_driver->tape()->viewport();
        QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, viewport->rect().center());
        QCOMPARE(title, QStringLiteral("D\u00F6k\u00FCm"));
        QCOMPARE(buttons, (QStringList{QStringLiteral("&Evet"), QStringLiteral("&Hay\u0131r"),
                                       QStringLiteral("\u0130ptal")}));
        QVERIFY(!busyWhileAsked);
        using Pointers = QList<Qt::CursorShape>;
        QCOMPARE(platform.pointersWhilePrinting,
                 answer == QMessageBox::Cancel ? Pointers{} : Pointers{Qt::WaitCursor});
        QVERIFY(!QGuiApplication::overrideCursor());

        const int count = m_lines + 1;
        const QList<QStringList>& pages = platform.printedJobs;
        QCOMPARE(pages.size(), linesPerPage ? (count + linesPerPage - 1) / linesPerPage : 0);
        for (int page = 0; page < pages.size(); ++page) {
            QCOMPARE(pages.at(page).size(), 60);
            for (int row = 0; row < 60; ++row) {
                const QString expected = expectedRow(count, page * linesPerPage, row, answer);
                if (pages.at(page).at(row) != expected)
                    QFAIL(qPrintable(QStringLiteral("page %1, row %2: \"%3\", expected \"%4\"")
                                         .arg(page)
                                         .arg(row)
                                         .arg(pages.at(page).at(row), expected)));
            }
        }

        // Printing changes nothing on the tape, nor which line is selected.
        QCOMPARE(m_driver->tape()->count(), count);
        QCOMPARE(m_driver->tape()->currentRow(), m_lines);
    }

    void cleanupTestCase() { m_driver.reset(); }

private:
    int m_lines = 0;
    std::unique_ptr<FormDriver> m_driver;
};

QTEST_MAIN(LongTapeTest)
#include "tst_longtape.moc"
