#include "app/platform.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

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

} // namespace

bool Platform::printDocument(const QStringList& rows) {
    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (printerInfo.isNull())
        return false;
    QPrinter printer(printerInfo, QPrinter::HighResolution);
    if (!printer.isValid())
        return false;

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    UsePrintFont(painter);

    // The painter's origin is the top-left corner of the printable area.
    const QFontMetricsF metrics(painter.font(), painter.device());
    qreal baseline = metrics.ascent();
    for (const QString& row : rows) {
        painter.drawText(QPointF(0, baseline), row);
        baseline += metrics.lineSpacing();
    }
    return painter.end();
}
