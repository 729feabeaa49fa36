#pragma once

#include <QString>

// What the keys do, as a user expects it, for checking the calculator after a
// key press: which operator applies to an entry and what total it gives.

// "+", "-", "*" or "/".
bool isArithmetic(const QString& op);

// Whether the plain evaluation applies `op` to the entry: "/" only divides by
// a positive entry, "%" and no operator apply nothing.
bool applies(const QString& op, double entry);

// The total after `op` is applied to `total` and the entry.
double applyPlain(const QString& op, double total, double entry);

// The total after `entry` percent of `total` is taken with `op`; after "/" the
// total is taken as `entry` percent of the whole (200 ÷ 10 % gives 2000).
double applyPercent(const QString& op, double total, double entry);

// The key a typed character presses, or -1.
int keyTypedBy(char16_t c);

// The entry with `c` appended, unless the entry field is full.
QString appended(const QString& entry, QChar c);
