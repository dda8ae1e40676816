#include "meshfiles/ShortestFloat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Vextal {

char* putShortestFloat(char* at, float value) {
    if (value == 0) {
        if (std::signbit(value))
            *at++ = '-';
        *at++ = '0';
        return at;
    }
    if (value < 0) {
        *at++ = '-';
        value = -value;
    }
    // The correctly rounded digits, fewest first, until they read back.
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*e", digits - 1, double(value));
        if (std::strtof(text, nullptr) == value)
            break;
    }
    // text is "D.DDDe+XX" or "De-XX": the digits and the exponent apart.
    char mantissa[16];
    int count = 0;
    const char* e = std::strchr(text, 'e');
    for (const char* c = text; c < e; ++c)
        if (*c != '.')
            mantissa[count++] = *c;
    const int exponent = std::atoi(e + 1);
    // Scientific: the digits with a point after the first, the exponent with
    // a sign and at least two digits.
    char scientific[24];
    int s = 0;
    scientific[s++] = mantissa[0];
    if (count > 1) {
        scientific[s++] = '.';
        std::memcpy(scientific + s, mantissa + 1, std::size_t(count - 1));
        s += count - 1;
    }
    s += std::snprintf(scientific + s, sizeof scientific - std::size_t(s), "e%c%02d",
                       exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
    // Fixed: the point where the exponent puts it, zeros to fill.
    char fixed[64];
    int f = 0;
    if (exponent < 0) {
        fixed[f++] = '0';
        fixed[f++] = '.';
        for (int k = 0; k < -exponent - 1; ++k)
            fixed[f++] = '0';
        std::memcpy(fixed + f, mantissa, std::size_t(count));
        f += count;
    } else {
        for (int k = 0; k <= std::max(exponent, count - 1); ++k) {
            if (k == exponent + 1)
                fixed[f++] = '.';
            fixed[f++] = k < count ? mantissa[k] : '0';
        }
    }
    const char* chosen = f <= s ? fixed : scientific;
    const int length = f <= s ? f : s;
    return std::copy(chosen, chosen + length, at);
}

} // namespace Vextal
