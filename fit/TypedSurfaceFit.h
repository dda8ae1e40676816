#pragma once

#include "fit/SurfaceFit.h"

namespace Vextal {

// Fits a typed scene's named parameters (each within its range) and a pose
// to the points; the result's scene is the given one with the fitted values
// and the pose. options.fixed names parameters held at a value.
SurfaceFitResult fitTypedSurface(const std::vector<FitPoint>& points, const SceneValues& scene,
                                 const SurfaceFitOptions& options);

// Each point's distance to the closest point of a posed typed surface; when
// `stop` is set, the points not yet measured are left at 0.
std::vector<double> typedPointDistances(const std::vector<FitPoint>& points,
                                        const SceneValues& scene,
                                        const std::atomic<bool>* stop = nullptr);

} // namespace Vextal
