// The real program, a real display and a real print queue: a calculation typed
// and clicked as a user does, the tape printed with a right click, and the
// printed rows read back from the scheduler's spool.

#include "cupsspool.h"
#include "realprogram.h"

#include "keys/keytable.h"

#include <QDeadlineTimer>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace {

constexpr int SkipExitCode = 77;
constexpr int Deadline = 60000;

// 200 + 10 % then 5 − 25 = : the tape's start line and five calculation lines,
// printed a line a row, each closed by a "!" column, with the running totals or
// cut to the entry column.
const QStringList PrintedWithTotals{
    QStringLiteral("                    !"),
    QStringLiteral("+               200.00                     200.00  !"),
    QStringLiteral("%                20.00                     200.00  !"),
    QStringLiteral("+                 5.00                     225.00  !"),
    QStringLiteral("-                25.00                     200.00  !"),
    QStringLiteral("T               200.00                     200.00  !")};
const QStringList PrintedWithoutTotals{
    QStringLiteral("                   !"),      QStringLiteral("+               200.00  !"),
    QStringLiteral("%                20.00  !"), QStringLiteral("+                 5.00  !"),
    QStringLiteral("-                25.00  !"), QStringLiteral("T               200.00  !")};

QString waitForWindow(const QString& name)
{
    const QDeadlineTimer deadline(Deadline);
    while (!deadline.hasExpired()) {
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
        QCOMPARE(QPrinterInfo::defaultPrinterName(), TestQueue());
        QPrinter printer(QPrinterInfo::defaultPrinter());
        m_corner = printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
    }

    void calculationIsPrintedAsTheTapeShowsIt()
    {
        RealProgram program;
        QVERIFY2(program.start(QStringLiteral(SERIT_PROGRAM)), qPrintable(program.output()));
        // Each calculation line makes the window taller; the next key is
        // clicked once the program has shown the line before.
        int height = program.geometry().height();
        program.typeText(QStringLiteral("200"));
        program.click(Key::Plus);
        QVERIFY((height = program.waitForTallerThan(height)) > 0);
        program.typeText(QStringLiteral("10%"));
        QVERIFY((height = program.waitForTallerThan(height)) > 0);
        program.typeText(QStringLiteral("5"));
        program.click(Key::Minus);
        QVERIFY((height = program.waitForTallerThan(height)) > 0);
        program.typeText(QStringLiteral("25"));
        program.pressKey(QStringLiteral("Return"));
        QVERIFY(program.waitForTallerThan(height) > 0);

        printTape(program, QStringLiteral("Return"), PrintedWithTotals);
        printTape(program, QStringLiteral("h"), PrintedWithoutTotals);

        program.click(Key::ClearEntryAndTape, 1, 2);
        QVERIFY2(program.waitForExit(Deadline), "the program did not end");
        QCOMPARE(program.exitCode(), 0);
    }

private:
    // Right-clicks the tape, answers the question with `answer` on the
    // keyboard, and compares the printed page with the expected rows.
    void printTape(RealProgram& program, const QString& answer, const QStringList& expected)
    {
        const QMap<int, QString> before = SpooledDocuments();
        program.clickAt(QPoint(40, 40), 3);
        const QString question = waitForWindow(QStringLiteral("^D\u00F6k\u00FCm$"));
        QVERIFY2(!question.isEmpty(), "the print question did not open");
        xdotool({QStringLiteral("key"), QStringLiteral("--window"), question, answer});

        const QMap<int, QString> added = NewDocuments(before, 1);
        QCOMPARE(added.size(), 1);
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
