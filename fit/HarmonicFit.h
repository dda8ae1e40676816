#pragma once

#include "fit/SurfaceFit.h"

namespace Vextal {

// Fits the spherical harmonic to the points: its eight numbers are whole
// (frequencies 0 to 6, exponents 0 to 8), searched over for each start of
// the pose, and the pose and scale are then solved by least squares.
SurfaceFitResult fitHarmonic(const std::vector<FitPoint>& points, const SurfaceFitOptions& options);

// Each point's distance to the closest point of a posed harmonic surface
// (near where the ray from its centre meets it), as the fit reports it.
std::vector<double> harmonicPointDistances(const std::vector<FitPoint>& points,
                                           const SceneValues& scene);

} // namespace Vextal
