#pragma once

#include <cstdint>

namespace Vextal {

// What tessellate() works out once per ring: theta, radiusTheta(theta) and
// std::sin / std::cos of theta, the same calls position() makes.
struct GridRing {
    double theta;
    double radius;
    double sine;
    double cosine;
};

// The same per column, one array entry per column j = 0 .. count - 1. phi
// restarts at phiMin on every ring and advances by the same additions, so
// every ring has these very values in column j.
struct GridColumns {
    std::uint32_t count;
    const double* phi;
    const double* radius; // radiusPhi(phi)
    const double* sine;   // std::sin(phi)
    const double* cosine; // std::cos(phi)
};

} // namespace Vextal
