#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// How the calculator writes and reads amounts. Both are pure functions.

// Writes `value` rounded to two decimals, a half away from zero, with no leading
// zero, the integer digits grouped in threes, and exactly two decimals, using
// the grouping and decimal separators of `locale`: 1234.5 gives "1,234.50" in
// English and "1.234,50" in Turkish, 0 gives ".00", -0.5 gives "-.50".
// The value is first taken as the shortest decimal text that reads back as the
// same double, so 1.005 gives "1.01" as typed. A negative value that rounds to
// zero shows as ".00". Infinities are written "∞" and "-∞", not-a-number "NaN".
QString FormatAmount(double value, const QLocale& locale = QLocale());

// Reads the number at the start of `text`: blanks (space, tab, line feed) are
// ignored wherever they stand; an optional sign, digits with at most one "." as
// the decimal point whatever the regional settings, and an optional exponent
// ("e" or "E", optional sign, digits). Reading stops at the first character
// that does not fit; text that starts with no number gives 0. A number beyond
// the range of a double gives an infinity of its sign; radix prefixes and digits
// of other scripts are not numbers here.
double ParseLeadingNumber(QStringView text);
