#include "app/platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLibrary>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace {

// Finding the default printer asks the scheduler for every destination and
// fetches the printer's description, which costs about as much as the page
// itself. The pages of one printout are handed over back to back, so the
// printer found for a page serves the pages that follow it within a moment;
// a printout also stays on one printer that way.
constexpr int PrinterKeptMs = 2000;

struct KeptPrinter {
    std::unique_ptr<QPrinter> printer;
    QDeadlineTimer expiry;
};

KeptPrinter& Kept() {
    static KeptPrinter kept;
    return kept;
}

// The printer must go before the print support plugin, at the application's end.
void ReleaseKeptPrinter() {
    Kept().printer.reset();
}

QPrinter* PrinterForPage() {
    KeptPrinter& kept = Kept();
    if (kept.printer && !kept.expiry.hasExpired())
        return kept.printer.get();
    kept.printer.reset();

    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (printerInfo.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(printerInfo, QPrinter::HighResolution);
    if (!printer->isValid())
        return nullptr;
    static const bool releaseRegistered = (qAddPostRoutine(ReleaseKeptPrinter), true);
    Q_UNUSED(releaseRegistered);
    kept.printer = std::move(printer);
    return kept.printer.get();
}

void KeepPrinter(bool printed) {
    KeptPrinter& kept = Kept();
    if (printed)
        kept.expiry.setRemainingTime(PrinterKeptMs);
    else
        kept.printer.reset();
}

// The tape is printed in "Courier"; only the family is set, so the size and
// style stay those the painter starts with on the printer. Should the name not
// resolve to a fixed-pitch face, the system's fixed font family is used, since
// the printed columns only line up in one.
void UsePrintFont(QPainter& painter) {
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
bool SchedulerTookLastJob() {
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
bool PrintRows(QPrinter& printer, const QStringList& rows) {
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

bool Platform::printDocument(const QStringList& rows) {
    QPrinter* printer = PrinterForPage();
    if (!printer)
        return false;
    const bool printed = PrintRows(*printer, rows);
    KeepPrinter(printed);
    return printed;
}
