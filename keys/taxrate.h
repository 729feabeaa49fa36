#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The tax rate after the user answered the tax-rate input box. No answer (the
// box was cancelled or closed) keeps `currentRate`. Otherwise the leading number
// of the text, "." as the decimal point, rounded to the nearest integer with
// ties to even (12.5 gives 12, 13.5 gives 14); a number that does not fit the
// rate's 16 bits, or is not finite, keeps `currentRate`; a rate of 0, which is
// also what empty or non-numeric text reads as, becomes the default 18.
std::int16_t TaxRateFromAnswer(const std::optional<QString>& answer, std::int16_t currentRate);

inline constexpr std::int16_t DefaultTaxRate = 18;
