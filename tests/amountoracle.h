#pragma once

#include <QString>

// An independent rounding for the oracle test, for magnitudes below 1e20. The
// shortest round-trip text is found by trying ever more digits with Qt's own
// conversions; a double exactly halfway between two such texts is recognised
// from its binary form and rounded at its exact value; all rounding is done in
// 128-bit integers.
QString OracleFormat(double value);
