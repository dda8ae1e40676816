#pragma once

#include "fit/SurfaceFit.h"

#include <array>

namespace Vextal {

// x^n for whole n, with 0^0 = 1 as pow gives it and the harmonic's search
// tables take it.
inline double wholePower(double x, int n) {
    double out = 1;
    for (int k = 0; k < n; ++k)
        out *= x;
    return out;
}

// The distance, in the shape's frame, from q to the closest point of the
// spherical harmonic of numbers m (m0 .. m7) near the point the ray from the
// centre through q meets: damped Gauss-Newton steps on the squared distance
// over (theta, phi) from that hit, so never farther than the hit itself.
// Infinite where the surface gives no hit.
double harmonicClosestDistance(const std::array<double, 8>& m, const double* q);

} // namespace Vextal
