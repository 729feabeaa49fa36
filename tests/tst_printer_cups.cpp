// Prints through the real printer code to a CUPS PDF queue that
// scripts/cups-queue.sh has made the system default, and reads the documents
// back from the scheduler's spool.
#include "app/platform.h"
#include "tape/printlayout.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMap>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString Queue = u"serit-test"_s;
const QString SpoolDir = u"/var/spool/cups"_s;
constexpr int SkipExitCode = 77;

// The spool is readable by root only; other users go through sudo.
bool UseSudo() {
    return geteuid() != 0;
}

std::optional<QByteArray> Run(const QString& program, const QStringList& arguments,
                              bool asRoot = false) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s); // the answers are parsed
    process.setProcessEnvironment(environment);
    if (asRoot && UseSudo())
        process.start(u"sudo"_s, QStringList{u"-n"_s, program} + arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

// Why this machine cannot run the test, or nothing when it can.
QString CannotRunReason() {
    const auto scheduler = Run(u"lpstat"_s, {u"-r"_s});
    if (!scheduler || !scheduler->contains("scheduler is running"))
        return u"the CUPS scheduler is not running (scripts/cups-queue.sh could not start it)"_s;
    if (!Run(u"ls"_s, {SpoolDir}, true))
        return u"the CUPS spool %1 cannot be read (needs root or sudo without a password)"_s.arg(
            SpoolDir);
    return {};
}

// Documents that the scheduler holds, by job number.
QMap<int, QString> SpooledDocuments() {
    static const QRegularExpression name(u"^d(\\d+)-001$"_s);
    QMap<int, QString> documents;
    const auto listing = Run(u"ls"_s, {SpoolDir}, true);
    if (!listing)
        return documents;
    for (const QByteArray& entry : listing->split('\n')) {
        const auto match = name.match(QString::fromUtf8(entry));
        if (match.hasMatch())
            documents.insert(match.captured(1).toInt(), SpoolDir + u'/' + match.captured(0));
    }
    return documents;
}

QMap<int, QString> NewDocuments(const QMap<int, QString>& before, int wanted) {
    QMap<int, QString> added;
    const QDeadlineTimer deadline(20000);
    while (added.size() < wanted && !deadline.hasExpired()) {
        QThread::msleep(100);
        added = SpooledDocuments();
        for (int job : before.keys())
            added.remove(job);
    }
    return added;
}

struct PrintedWord {
    int page;
    double left, top, width;
    QString text;
};

QList<PrintedWord> ReadWords(const QString& pdf) {
    QList<PrintedWord> words;
    const auto tsv = Run(u"pdftotext"_s, {u"-tsv"_s, pdf, u"-"_s}, true);
    if (!tsv)
        return words;
    for (const QByteArray& line : tsv->split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 12 && fields.at(0) == "5")
            words.append({fields.at(1).toInt(), fields.at(6).toDouble(), fields.at(7).toDouble(),
                          fields.at(8).toDouble(), QString::fromUtf8(fields.at(11))});
    }
    return words;
}

// Rebuilds the rows of a one-page document from the positions of its words.
// The printable area's corner is the origin; the row pitch and the character
// width come from the document itself: the word in the last printed row, known
// from `lastRow`, and the width of the first word.
QStringList RebuildRows(const QList<PrintedWord>& words, QPointF corner, int lastRow) {
    if (words.isEmpty())
        return {};
    double lastTop = corner.y();
    for (const PrintedWord& word : words)
        lastTop = qMax(lastTop, word.top);
    const double pitch = lastRow > 0 ? (lastTop - corner.y()) / lastRow : 1.0;
    const double charWidth = words.first().width / words.first().text.size();

    QStringList rows;
    for (const PrintedWord& word : words) {
        const double row = (word.top - corner.y()) / pitch;
        const double column = (word.left - corner.x()) / charWidth;
        // Off the character grid: a sign of wrapping, scaling or a second font.
        if (word.page != 1 || std::abs(row - std::round(row)) > 0.1 ||
            std::abs(column - std::round(column)) > 0.1 || row < -0.5 || column < -0.5)
            return {u"word '%1' off the grid at row %2, column %3"_s.arg(word.text).arg(row).arg(
                column)};
        const int r = int(std::round(row));
        const int c = int(std::round(column));
        while (rows.size() <= r)
            rows.append(QString());
        QString& text = rows[r];
        text = text.leftJustified(c) + word.text;
    }
    return rows;
}

QStringList Trimmed(QStringList rows) {
    for (QString& row : rows)
        while (row.endsWith(u' '))
            row.chop(1);
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

QStringList TotalsDocument() {
    QStringList tape{QString(18, u' ')};
    for (int i = 1; i < 70; ++i) {
        const QString entry = QString::number(i * 1234.5, 'f', 2);
        tape.append(u"+"_s + entry.rightJustified(21) +
                    QString::number(i * 9876.5, 'f', 2).rightJustified(27));
    }
    tape[40] = QString(23, u'_');
    return LayoutPrintPages(tape, PrintTotals::With).first();
}

QStringList ShortDocument() {
    return {QString(), u"   Döküm toplamli olsun mu ?  ş İ ğ Ç"_s,           QString(),
            QString(), u"T          1,234.50 !_______________________  !"_s, u"x"_s};
}

// Printing in a child process lets a test change how CUPS and fontconfig are
// found, which they read once per process.
constexpr const char* PrintShortDocumentOption = "--print-short-document";
enum ChildResult { Printed = 0, NotPrinted = 1, ChildFailed = 2 };

int PrintShortDocumentInChild(const QProcessEnvironment& environment) {
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

void TestPrinterCups::initTestCase() {
    // Never print test pages on a real printer.
    QCOMPARE(QPrinterInfo::defaultPrinterName(), Queue);
    QPrinter printer(QPrinterInfo::defaultPrinter());
    m_corner = printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
}

void TestPrinterCups::eachDocumentIsOneJobOfItsRows() {
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

void TestPrinterCups::refusedJobIsReported() {
    QVERIFY(Run(u"cupsreject"_s, {Queue}, true));
    const auto acceptAgain = qScopeGuard([] { Run(u"cupsaccept"_s, {Queue}, true); });
    const QMap<int, QString> before = SpooledDocuments();
    QCOMPARE(Platform().printPages({{u"refused"_s}}), 0);
    QCOMPARE(SpooledDocuments().keys(), before.keys());
}

void TestPrinterCups::noPrinterPrintsNothing() {
    const QMap<int, QString> before = SpooledDocuments();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"CUPS_SERVER"_s, u"/nonexistent/cups.sock"_s);
    environment.remove(u"PRINTER"_s);
    environment.remove(u"LPDEST"_s);
    QCOMPARE(PrintShortDocumentInChild(environment), NotPrinted);
    QCOMPARE(SpooledDocuments().keys(), before.keys());
}

void TestPrinterCups::fallsBackToFixedPitchFace() {
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

int main(int argc, char** argv) {
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
