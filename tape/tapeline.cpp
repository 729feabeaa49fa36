#include "tape/tapeline.h"

#include <algorithm>

QString EntryColumn(const QString& marker, const QString& amount)
{
    const qsizetype blanks =
        std::max<qsizetype>(0, EntryColumnWidth - marker.size() - amount.size());
    return marker + QString(blanks, QLatin1Char(' ')) + amount;
}

QString TapeLine(const QString& entryColumn, const QString& runningTotal)
{
    const qsizetype blanks = std::max<qsizetype>(1, RunningTotalWidth - runningTotal.size());
    return entryColumn + QString(blanks, QLatin1Char(' ')) + runningTotal;
}

QString OverflowText() { return QStringLiteral("E99,999,999,999,999.99"); }

QString StartLine() { return QString(18, QLatin1Char(' ')); }

QString SeparatorLine() { return QString(23, QLatin1Char('_')); }

QString BlankLine() { return QString(23, QLatin1Char(' ')); }
