#include "tape/printlayout.h"

#include <QStringView>

#include <array>

namespace {

// The entry part of a tape line lies within its first 23 characters; the print
// without totals keeps only those.
constexpr qsizetype EntryPartLength = 23;

struct ColumnFormat {
    int columns;
    bool entryPartOnly;
    std::array<QStringView, 3> closers;
};

ColumnFormat FormatFor(PrintTotals totals)
{
    if (totals == PrintTotals::With)
        return {2, false, {u"  !", u"  !", u""}};
    return {3, true, {u" !", u"  !", u"  !"}};
}

QString BuildRow(const QStringList& lines, qsizetype first, const ColumnFormat& format)
{
    QString row;
    for (int column = 0; column < format.columns; ++column) {
        const qsizetype index = first + qsizetype(column) * PrintRowsPerPage;
        if (index >= lines.size())
            break;
        const QString& line = lines.at(index);
        row += format.entryPartOnly ? QStringView(line).left(EntryPartLength) : QStringView(line);
        row += format.closers[column];
    }
    return row;
}

} // namespace

QList<QStringList> LayoutPrintPages(const QStringList& tapeLines, PrintTotals totals)
{
    const ColumnFormat format = FormatFor(totals);
    const qsizetype linesPerPage = qsizetype(format.columns) * PrintRowsPerPage;

    QList<QStringList> pages;
    pages.reserve((tapeLines.size() + linesPerPage - 1) / linesPerPage);
    for (qsizetype first = 0; first < tapeLines.size(); first += linesPerPage) {
        QStringList rows;
        rows.reserve(PrintRowsPerPage);
        for (qsizetype i = first; i < first + PrintRowsPerPage; ++i)
            rows.append(BuildRow(tapeLines, i, format));
        pages.append(rows);
    }
    return pages;
}
