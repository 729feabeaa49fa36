#include "keys/taxrate.h"

#include "core/amountformat.h"

#include <cmath>
#include <limits>

namespace {

// Rounds to the nearest integer, ties to the even one, whatever the floating
// point rounding mode is.
double RoundHalfToEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor; // exact
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0)) {
        return floor + 1;
    }
    return floor;
}

} // namespace

std::int16_t TaxRateFromAnswer(const std::optional<QString>& answer, std::int16_t currentRate)
{
    if (!answer) {
        return currentRate;
    }
    const double value = ParseLeadingNumber(*answer);
    if (!std::isfinite(value)) {
        return currentRate;
    }
    const double rounded = RoundHalfToEven(value);
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return currentRate;
    }
    const auto rate = static_cast<std::int16_t>(rounded);
    return rate == 0 ? DefaultTaxRate : rate;
}
