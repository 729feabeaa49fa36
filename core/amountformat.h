#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// How the calculator writes and reads amounts. All are pure functions.

// Writes `value` rounded to two decimals, a half away from zero, with no leading
// zero, the integer digits grouped in threes, and exactly two decimals, using
// the grouping and decimal separators of `locale`: 1234.5 gives "1,234.50" in
// English and "1.234,50" in Turkish, 0 gives ".00", -0.5 gives "-.50".
// The value is first taken as the shortest decimal text that reads back as the
// same double, and that text is rounded, so 1.005 gives "1.01" and 2.675 gives
// "2.68" as typed; a double exactly halfway between two such texts is taken at
// its exact value (124194910066811.625 gives "124,194,910,066,811.63"). Large
// values come out in full from that text: 1e20 gives
// "100,000,000,000,000,000,000.00". A negative value that rounds to zero shows
// as ".00". Infinities are written "∞" and "-∞", not-a-number "NaN".
QString FormatAmount(double value, const QLocale& locale = QLocale());

// Reads the number at the start of `text`: blanks (space, tab, line feed) are
// ignored wherever they stand; an optional sign, digits with at most one "." as
// the decimal point whatever the regional settings, and an optional exponent
// ("e" or "E", optional sign, digits; an "e" without digits is not read).
// Reading stops at the first character that does not fit; text that starts with
// no number gives 0. The result is the double nearest to what was read; beyond
// the range of a double it is an infinity of its sign, below it a zero of its
// sign. Radix prefixes ("0x10" reads as 0), "inf", "nan" and digits of other
// scripts are not numbers here. Runs in time linear in the length of `text`.
double ParseLeadingNumber(QStringView text);

// `value` rounded to `digits` significant decimal digits (1 to 17; fewer are
// taken as 1, more leave the value as it is), the nearest double to the rounded
// decimal. Zeros, infinities and not-a-number pass through; a finite value stays
// finite (rounding up past the largest double gives the largest double).
double RoundToSignificantDigits(double value, int digits);
