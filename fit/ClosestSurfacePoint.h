#pragma once

#include "fit/FitStarts.h"

namespace Vextal {

// The distance, in the points' units, from p to the closest point of the
// posed spheric or toroidal superformula surface s. The search starts where
// the ray the residual follows meets the surface and refines the surface's
// (theta, phi) by damped Gauss-Newton steps on the squared distance, so it
// finds the closest point near that ray's: never farther than the ray's own
// hit, which is kept where the refinement fails. Infinite where the surface
// gives no hit.
double closestSurfaceDistance(const FitStart& s, SurfaceKind surface, const FitPoint& p);

} // namespace Vextal
