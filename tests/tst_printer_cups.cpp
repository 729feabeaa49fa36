// Prints through the real printer code to the CUPS PDF queue that
// scripts/cups-queue.sh made and PRINTER names, and reads the documents back
// from the scheduler's spool.
#include "cupsspool.h"

#include "app/platform/platform.h"
#include "tape/printlayout.h"

#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int SkipExitCode = 77;

QStringList TotalsDocument()
{
    QStringList tape{QString(18, u' ')};
    for (int i = 1; i < 70; ++i) {
        const QString entry = QString::number(i * 1234.5, 'f', 2);
        tape.append(u"+"_s + entry.rightJustified(21) +
                    QString::number(i * 9876.5, 'f', 2).rightJustified(27));
    }
    tape[40] = QString(23, u'_');
    return LayoutPrintPages(tape, PrintTotals::With).first();
}

QStringList ShortDocument()
{
    return {QString(), u"   Döküm toplamli olsun mu ?  ş İ ğ Ç"_s,           QString(),
            QString(), u"T          1,234.50 !_______________________  !"_s, u"x"_s};
}

// Printing in a child process lets a test change how CUPS and fontconfig are
// found, which they read once per process.
constexpr const char* PrintShortDocumentOption = "--print-short-document";
enum ChildResult { Printed = 0, NotPrinted = 1, ChildFailed = 2 };

int PrintShortDocumentInChild(const QProcessEnvironment& environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(PrintShortDocumentOption)});
    if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::NormalExit)
        return ChildFailed;
    return child.exitCode();
}

} // namespace

class TestPrinterCups : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void eachDocumentIsOneJobOfItsRows();
    void refusedJobIsReported();
    void noPrinterPrintsNothing();
    void fallsBackToFixedPitchFace();

private:
    QPointF m_corner;
};

void TestPrinterCups::initTestCase()
{
    // Never print test pages on a real printer.
    QCOMPARE(QPrinterInfo::defaultPrinterName(), TestQueue());
    QPrinter printer(QPrinterInfo::defaultPrinter());
    m_corner = printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
}

void TestPrinterCups::eachDocumentIsOneJobOfItsRows()
{
    const QList<QStringList> documents{TotalsDocument(), ShortDocument()};
    const QMap<int, QString> before = SpooledDocuments();
    QCOMPARE(Platform().printPages(documents), documents.size());

    const QMap<int, QString> added = NewDocuments(before, int(documents.size()));
    QVERIFY2(added.size() >= documents.size(), "the jobs did not reach the spool");
    for (const QStringList& rows : documents) {
        const QStringList expected = Trimmed(rows);
        QList<QStringList> printed;
        for (const QString& pdf : added)
            printed.append(
                Trimmed(RebuildRows(ReadWords(pdf), m_corner, int(expected.size()) - 1)));
        if (!printed.contains(expected))
            qWarning().noquote() << "expected:" << expected << "\nprinted:" << printed;
        QVERIFY2(printed.contains(expected), "no job of this run holds the document's rows");
    }
}

void TestPrinterCups::refusedJobIsReported()
{
    QVERIFY(Run(u"cupsreject"_s, {TestQueue()}, true));
    const auto acceptAgain = qScopeGuard([] { Run(u"cupsaccept"_s, {TestQueue()}, true); });
    const QMap<int, QString> before = SpooledDocuments();
    QCOMPARE(Platform().printPages({{u"refused"_s}}), 0);
    QCOMPARE(SpooledDocuments().keys(), before.keys());
}

void TestPrinterCups::noPrinterPrintsNothing()
{
    const QMap<int, QString> before = SpooledDocuments();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CUPS_SERVER"_s, u"/nonexistent/cups.sock"_s);
    environment.remove(u"PRINTER"_s);
    environment.remove(u"LPDEST"_s);
    QCOMPARE(PrintShortDocumentInChild(environment), NotPrinted);
    QCOMPARE(SpooledDocuments().keys(), before.keys());
}

void TestPrinterCups::fallsBackToFixedPitchFace()
{
    // Fontconfig is told to resolve "Courier" to a proportional face.
    QTemporaryDir dir;
    QFile config(dir.filePath(u"fonts.conf"_s));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <match target="pattern">
    <test qual="first" name="family"><string>Courier</string></test>
    <edit name="family" mode="assign" binding="strong"><string>DejaVu Sans</string></edit>
  </match>
</fontconfig>
)");
    config.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"FONTCONFIG_FILE"_s, config.fileName());

    const QMap<int, QString> before = SpooledDocuments();
    QCOMPARE(PrintShortDocumentInChild(environment), Printed);
    const QMap<int, QString> added = NewDocuments(before, 1);
    QVERIFY2(!added.isEmpty(), "the job did not reach the spool");
    const QStringList expected = Trimmed(ShortDocument());
    QCOMPARE(Trimmed(RebuildRows(ReadWords(added.last()), m_corner, int(expected.size()) - 1)),
             expected);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], PrintShortDocumentOption) == 0)
        return Platform().printPages({ShortDocument()}) == 1 ? Printed : NotPrinted;

    const QString reason = CannotRunReason();
    if (!reason.isEmpty()) {
        std::fprintf(stderr, "SKIP: %s\n", qPrintable(reason));
        return SkipExitCode;
    }
    TestPrinterCups test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printer_cups.moc"
