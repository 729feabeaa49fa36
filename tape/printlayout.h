#pragma once

#include <QList>
#include <QStringList>

// Whether the printed tape keeps the running-total column of each line.
enum class PrintTotals { With, Without };

inline constexpr int PrintRowsPerPage = 60;

// Lays the tape out for printing: the lines fill each page of 60 rows column by
// column, two columns of whole lines with totals, three columns of each line's
// first 23 characters without. Every page has exactly 60 rows, empty ones
// included; an empty tape gives no page.
QList<QStringList> LayoutPrintPages(const QStringList& tapeLines, PrintTotals totals);
