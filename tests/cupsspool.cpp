// Reading back what the CUPS scheduler was given to print.
#include "cupsspool.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cmath>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString SpoolDir = u"/var/spool/cups"_s;
} // namespace

// The spool is readable by root only; other users go through sudo.
bool UseSudo() { return geteuid() != 0; }

std::optional<QByteArray> Run(const QString& program, const QStringList& arguments, bool asRoot)
{
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

QString TestQueue() { return qEnvironmentVariable("PRINTER"); }

QString CannotRunReason()
{
    if (TestQueue().isEmpty())
        return u"PRINTER names no queue to print to (CTest sets it to the test's queue)"_s;
    const auto scheduler = Run(u"lpstat"_s, {u"-r"_s});
    if (!scheduler || !scheduler->contains("scheduler is running"))
        return u"the CUPS scheduler is not running (scripts/cups-queue.sh could not start it)"_s;
    if (!Run(u"ls"_s, {SpoolDir}, true))
        return u"the CUPS spool %1 cannot be read (needs root or sudo without a password)"_s.arg(
            SpoolDir);
    return {};
}

QMap<int, QString> SpooledDocuments()
{
    QMap<int, QString> documents;
    const QString queue = TestQueue();
    const auto jobs = Run(u"lpstat"_s, {u"-W"_s, u"all"_s, u"-o"_s, queue});
    const auto listing = Run(u"ls"_s, {SpoolDir}, true);
    if (queue.isEmpty() || !jobs || !listing)
        return documents;
    // "serit-test-12  root  9216  Mon ..." for job 12, whose document is d00012-001.
    const QRegularExpression job(u"^"_s + QRegularExpression::escape(queue) + u"-(\\d+) "_s);
    const QList<QByteArray> files = listing->split('\n');
    for (const QByteArray& line : jobs->split('\n')) {
        const auto match = job.match(QString::fromUtf8(line));
        if (!match.hasMatch())
            continue;
        const int number = match.captured(1).toInt();
        const QString file = u"d%1-001"_s.arg(number, 5, 10, QLatin1Char('0'));
        if (files.contains(file.toLatin1()))
            documents.insert(number, SpoolDir + u'/' + file);
    }
    return documents;
}

QMap<int, QString> NewDocuments(const QMap<int, QString>& before, int wanted)
{
    QMap<int, QString> added;
    const QDeadlineTimer deadline(60000);
    while (added.size() < wanted && !deadline.hasExpired()) {
        QThread::msleep(100);
        added = SpooledDocuments();
        for (int job : before.keys())
            added.remove(job);
    }
    return added;
}

QList<PrintedWord> ReadWords(const QString& pdf)
{
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
QStringList RebuildRows(const QList<PrintedWord>& words, QPointF corner, int lastRow)
{
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

QStringList Trimmed(QStringList rows)
{
    for (QString& row : rows)
        while (row.endsWith(u' '))
            row.chop(1);
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}
