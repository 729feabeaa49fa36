#pragma once

#include <QString>

#include <cmath>
#include <cstdint>

// The calculator's whole state. The window owns the one instance; every handler
// reads and writes it directly.
struct CalculatorState {
    double Accumulator = 0;   // the running total
    double MemoryValue = 0;   // the memory register
    QString PendingOperator;  // applied when the next operator or "=" comes
    QString LastOperator;     // the operator being applied now
    QString TapeText;         // the number of the tape line being built
    std::int16_t TaxRate = 0; // percent, set to 18 at start-up
    std::int16_t DecimalPointTyped = 0;
    double EntryValue = 0; // the value of the entry field's text
    std::int16_t CreditsKeyCount = 0;
};

// The largest total the result display shows; above it (or when the total is
// not a finite number) the overflow display takes over.
inline constexpr double ResultDisplayLimit = 999999999999999.0;

// The largest total written as a total line "T".
inline constexpr double TotalLineLimit = 99999999999999.0;

// A total that is not a finite number is never shown or written as a total: it
// counts as above both limits, so the overflow display resets it to 0.
inline bool ExceedsResultDisplay(double total)
{
    return !std::isfinite(total) || total > ResultDisplayLimit;
}

inline bool ExceedsTotalLine(double total)
{
    return !std::isfinite(total) || total > TotalLineLimit;
}
