#pragma once

#include <span>
#include <string>

namespace Vextal {

// The fewest significant digits, `least` at the fewest and 17 at the most (a
// double's), with which every two neighbouring values of `values` that
// differ print differently: the ends of a narrow range (1 and 1.0000001)
// would otherwise both read "1".
int digitsApart(std::span<const double> values, int least);

// The value in that many significant digits ("%.*g").
std::string withDigits(double value, int digits);

} // namespace Vextal
