// Printing the tape, built as a module of its own: the print support and the
// CUPS libraries are loaded when the user first prints, not when the program starts.

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLibrary>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// The tape is printed in "Courier"; only the family is set, so the size and
// style stay those the painter starts with on the printer. Should the name not
// resolve to a fixed-pitch face, the system's fixed font family is used, since
// the printed columns only line up in one.
void UsePrintFont(QPainter& painter)
{
    QFont font = painter.font();
    font.setFamily(QStringLiteral("Courier"));
    painter.setFont(font);
    if (painter.fontInfo().fixedPitch())
        return;
    font.setFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    painter.setFont(font);
}

// Qt hands the finished document to CUPS but does not look at the answer, so a
// job that the scheduler refuses (the queue does not accept jobs, or holds too
// many) would pass as printed. The answer is left as libcups's last error.
bool SchedulerTookLastJob()
{
    using LastError = int (*)();
    static const auto lastError =
        reinterpret_cast<LastError>(QLibrary::resolve(QStringLiteral("cups"), 2, "cupsLastError"));
    if (!lastError)
        return true; // not printing through CUPS
    constexpr int FirstIppError = 0x0400;
    return lastError() < FirstIppError;
}

// One job: each row on a line of its own, from the top-left corner of the
// printable area, which is the painter's origin.
bool PrintRows(QPrinter& printer, const QStringList& rows)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    UsePrintFont(painter);

    const QFontMetricsF metrics(painter.font(), painter.device());
    qreal baseline = metrics.ascent();
    for (const QString& row : rows) {
        painter.drawText(QPointF(0, baseline), row);
        baseline += metrics.lineSpacing();
    }
    return painter.end() && SchedulerTookLastJob();
}

} // namespace

extern "C" Q_DECL_EXPORT int serit_print_pages(const QList<QStringList>& pages)
{
    if (pages.isEmpty())
        return 0;
    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (printerInfo.isNull())
        return 0;
    QPrinter printer(printerInfo, QPrinter::HighResolution);
    if (!printer.isValid())
        return 0;
    int printed = 0;
    for (const QStringList& rows : pages)
        printed += PrintRows(printer, rows) ? 1 : 0;
    return printed;
}
