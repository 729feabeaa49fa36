// The real program, a real display and a real print queue: a calculation typed
// and clicked as a user does, the tape printed with a right click, and the
// printed rows read back from the scheduler's spool.

#include "cupsspool.h"
#include "realprogram.h"

#include "keys/keytable.h"
#include "tape/printlayout.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace {

constexpr int SkipExitCode = 77;
const QString Queue = QStringLiteral("serit-test");

QString line(const QString& marker, const QString& amount, const QString& total)
{
    return marker.leftJustified(22 - amount.size()) + amount + total.rightJustified(27);
}

// 200 + 10 % then 5 − 25 = : the tape the calculation must write.
QStringList expectedTape()
{
    return {QString(18, u' '),
            line(QStringLiteral("+"), QStringLiteral("200.00"), QStringLiteral("200.00")),
            line(QStringLiteral("%"), QStringLiteral("20.00"), QStringLiteral("200.00")),
            line(QStringLiteral("+"), QStringLiteral("5.00"), QStringLiteral("225.00")),
            line(QStringLiteral("-"), QStringLiteral("25.00"), QStringLiteral("200.00")),
            line(QStringLiteral("T"), QStringLiteral("200.00"), QStringLiteral("200.00"))};
}

QString waitForWindow(const QString& name)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), name});
        if (!found.isEmpty())
            return found.section(QLatin1Char('\n'), 0, 0);
        QThread::msleep(50);
    }
    return {};
}

} // namespace

class EndToEndPrintTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Never print test pages on a real printer.
        QCOMPARE(QPrinterInfo::defaultPrinterName(), Queue);
        QPrinter printer(QPrinterInfo::defaultPrinter());
        m_corner = printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
    }

    void calculationIsPrintedAsTheTapeShowsIt()
    {
        RealProgram program;
        QVERIFY2(program.start(QStringLiteral(SERIT_PROGRAM)), qPrintable(program.output()));
        program.typeText(QStringLiteral("200"));
        program.click(Key::Plus);
        program.typeText(QStringLiteral("10%5"));
        program.click(Key::Minus);
        program.typeText(QStringLiteral("25"));
        program.pressKey(QStringLiteral("Return"));

        printTape(program, QStringLiteral("Return"), PrintTotals::With);
        printTape(program, QStringLiteral("n"), PrintTotals::Without);

        program.click(Key::ClearEntryAndTape, 1, 2);
        QVERIFY2(program.waitForExit(15000), "the program did not end");
        QCOMPARE(program.exitCode(), 0);
    }

private:
    // Right-clicks the tape, answers the question with `answer` on the
    // keyboard, and compares the printed page with the expected tape.
    void printTape(RealProgram& program, const QString& answer, PrintTotals totals)
    {
        const QMap<int, QString> before = SpooledDocuments();
        program.clickAt(QPoint(40, 40), 3);
        const QString question = waitForWindow(QStringLiteral("^D\u00F6k\u00FCm$"));
        QVERIFY2(!question.isEmpty(), "the print question did not open");
        xdotool({QStringLiteral("key"), QStringLiteral("--window"), question, answer});

        const QMap<int, QString> added = NewDocuments(before, 1);
        QCOMPARE(added.size(), 1);
        const QStringList expected = Trimmed(LayoutPrintPages(expectedTape(), totals).first());
        const QStringList printed =
            Trimmed(RebuildRows(ReadWords(added.first()), m_corner, int(expected.size()) - 1));
        if (printed != expected)
            qWarning().noquote() << "printed:" << printed << "\nexpected:" << expected;
        QCOMPARE(printed, expected);
    }

    QPointF m_corner;
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString reason = CannotRunReason();
    if (!reason.isEmpty()) {
        std::fprintf(stderr, "SKIP: %s\n", qPrintable(reason));
        return SkipExitCode;
    }
    EndToEndPrintTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_print.moc"
