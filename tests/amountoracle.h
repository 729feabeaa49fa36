#pragma once

#include <QString>

// An independent rounding of amounts, the oracle of the formatting test and of
// the randomized test's checker. The shortest round-trip text is found by
// trying ever more digits with Qt's own conversions; a whole number is written
// out from it; a double exactly halfway between two such texts is recognised
// from its binary form and rounded at its exact value; all rounding is done in
// 128-bit integers. Infinities are "∞" and "-∞", not-a-number "NaN".
QString OracleFormat(double value);
