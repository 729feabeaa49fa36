#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// What the keys do, as a user expects it, written from the calculator's rules
// rather than from its code: the checker of the randomized test compares the
// window with these.

// "+", "-", "*" or "/".
bool isArithmetic(const QString& op);

// Whether the plain evaluation applies `op` to the entry: "/" only divides by
// a positive entry, "%" and no operator apply nothing.
bool applies(const QString& op, double entry);

// The total after `op` is applied to `total` and the entry.
double plainTotal(const QString& op, double total, double entry);

// `entry` percent of `total`, and the total after it is added, taken away or
// kept alone with "+", "-", "*"; after "/" the total is taken as `entry`
// percent of the whole (200 ÷ 10 % gives 2000). The floating-point steps are
// not taken in the program's order: compare with nearlyEqual(), which allows
// for the rounding of a few steps on numbers as large as `scale`, and `slack`.
double percentOf(double total, double entry);
double percentTotal(const QString& op, double total, double entry);
bool nearlyEqual(double actual, double expected, double scale, double slack = 0);

// The total after +TAX (`adding`) or −TAX at `rate` percent, multiplied or
// divided by the factor rate / 100 + 1; and the tax line's amount, the change
// of the total taken at 15 significant digits, so that the noise of the
// floating-point steps does not show.
double taxedTotal(bool adding, int rate, double total);
double taxAmount(double total, double taxed);

// The value of the entry field's text: its digits, up to a second decimal point.
double entryValue(const QString& entry);

// The tax rate after the rate box was answered with `answer` (none when it was
// cancelled or closed): the leading number, blanks ignored, rounded to the
// nearest whole number (halves to even); 0 gives 18, and what a 16-bit rate
// cannot hold keeps `rate`.
std::int16_t rateAfterAnswer(const std::optional<QString>& answer, std::int16_t rate);

// The key a typed character presses, or -1.
int keyTypedBy(char16_t c);

// The entry with `c` appended, unless the entry field is full.
QString appended(const QString& entry, QChar c);
