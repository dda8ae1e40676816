#pragma once

#include "fit/SurfaceFit.h"

#include <string>
#include <vector>

namespace Vextal {

// Writes the points as a binary PLY point cloud, each coloured by its
// distance to the fitted surface with the sequential colour map from 0 to
// 1% of the points' size (the report's "within 1%": the map's top colour
// is every point beyond it), with the distance itself as a property of its
// own. Whole or not at all; false with `error` set when it could not be
// written.
bool writeResidualPly(const std::string& path, const std::string& input,
                      const std::vector<FitPoint>& points, const SceneValues& scene,
                      std::string& error);

} // namespace Vextal
