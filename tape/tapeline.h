#pragma once

#include <QString>

// The layout of a tape line: the entry column (a marker, blanks and an amount
// ending at column 22) and the running total right-aligned in the next 27.

inline constexpr int EntryColumnWidth = 22;
inline constexpr int RunningTotalWidth = 27;

// The entry column for `marker` ("+", "T", "+M", ...) and a formatted amount.
// An amount too long for the column follows the marker with no blanks, so that
// no step is ever left off the tape.
QString EntryColumn(const QString& marker, const QString& amount);

// A whole line: the entry column, then the running total right-aligned in its
// 27 characters. A total longer than that is written whole, one blank after
// the entry column.
QString TapeLine(const QString& entryColumn, const QString& runningTotal);

// The entry column of an overflow line, whatever the regional settings.
QString OverflowText();

// Lines written straight onto the tape, without a running total.
QString StartLine();     // the first line of a fresh tape: 18 blanks
QString SeparatorLine(); // 23 underscores, closing a total
QString BlankLine();     // 23 blanks
