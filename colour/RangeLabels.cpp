#include "colour/RangeLabels.h"

#include <cstdio>

namespace Vextal {

std::string withDigits(double value, int digits) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

int digitsApart(std::span<const double> values, int least) {
    int digits = least;
    for (std::size_t k = 1; k < values.size(); ++k)
        while (digits < 17 && values[k] != values[k - 1] &&
               withDigits(values[k], digits) == withDigits(values[k - 1], digits))
            ++digits;
    return digits;
}

} // namespace Vextal
