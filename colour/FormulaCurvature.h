#pragma once

#include "colour/GaussBonnetTotal.h"
#include "mesh/Workers.h"
#include "primitives/SurfaceValues.h"

#include <cstdint>

namespace Vextal {

// The curvature of a typed surface from its formula's own derivatives: the
// expressions run over jets at the u and v of every vertex of its sheet of
// rows x columns (the load's grid), gaussian or mean curvature into out
// (NaN where not finite, or where the formula does not compile).
void formulaCurvatureValues(const SceneValues& values, std::uint32_t rows, std::uint32_t columns,
                            bool gaussian, float* out, const Workers& workers = {});

// The integral of K dA over the typed surface's u and v ranges, by
// Gauss-Legendre on a grid of its own (so independent of the file's grid);
// points where K dA is not finite are left out.
// The error estimate is what the sum on half as many panels differs by.
GaussianTotal formulaGaussianTotal(const SceneValues& values);

} // namespace Vextal
