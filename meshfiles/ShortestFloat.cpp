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
    // The fewest digits that read back, nearest the value among those: the
    // correctly rounded digits, or at a power of two, whose upper neighbours
    // lie twice as far apart as its lower ones, the next ones up or down.
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*e", digits - 1, double(value));
        if (std::strtof(text, nullptr) == value)
            break;
        const char* e = std::strchr(text, 'e');
        long long whole = 0;
        for (const char* c = text; c < e; ++c)
            if (*c != '.')
                whole = 10 * whole + (*c - '0');
        const int scale = std::atoi(e + 1) - (digits - 1);
        double best = 0;
        for (const long long candidate : {whole - 1, whole + 1}) {
            char near[32];
            std::snprintf(near, sizeof near, "%llde%d", candidate, scale);
            const double read = std::strtod(near, nullptr);
            if (std::strtof(near, nullptr) == value &&
                (best == 0 || std::fabs(read - value) < std::fabs(best - value)))
                best = read;
        }
        if (best != 0) {
            std::snprintf(text, sizeof text, "%.*e", digits - 1, best);
            break;
        }
    }
    // text is "D.DDDe+XX" or "De-XX": the digits and the exponent apart.
    char mantissa[16] = {};
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
    } else if (exponent + 1 > count) {
        // Past its digits to_chars writes the float's whole value, not zeros.
        f = std::snprintf(fixed, sizeof fixed, "%.0f", double(value));
    } else {
        for (int k = 0; k <= exponent; ++k)
            fixed[f++] = mantissa[k];
        if (count > exponent + 1) {
            fixed[f++] = '.';
            for (int k = exponent + 1; k < count; ++k)
                fixed[f++] = mantissa[k];
        }
    }
    const char* chosen = f <= s ? fixed : scientific;
    const int length = f <= s ? f : s;
    return std::copy(chosen, chosen + length, at);
}

} // namespace Vextal
