#pragma once

#include "fit/SurfaceFit.h"

#include <array>

namespace Vextal {

// The distance, in the shape's frame, from q to the closest point of the
// spherical harmonic of numbers m (m0 .. m7) near the point the ray from the
// centre through q meets: damped Gauss-Newton steps on the squared distance
// over (theta, phi) from that hit, so never farther than the hit itself.
// Infinite where the surface gives no hit.
double harmonicClosestDistance(const std::array<double, 8>& m, const double* q);

} // namespace Vextal
