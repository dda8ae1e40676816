#pragma once

#include "scene/SceneValues.h"

#include <cstdint>

namespace Vextal {

class PolygonsIndexedNormal;

// The curvature of a loaded surface, for a person checking it: the extremes
// over the mesh's vertices where the values are finite (the poles of the
// parametrisation and sharp tips are not, and are counted), and the total
// curvature over the whole parameter domain with the Euler characteristic
// it implies (Gauss-Bonnet: the total is 2 pi chi on a closed surface).
struct CurvatureSurvey {
    double gaussianMin = 0, gaussianMax = 0, meanMin = 0, meanMax = 0; // NaN when none finite
    std::uint32_t pointsLeftOut = 0; // vertices with a curvature that is not finite
    double gaussianTotal = 0;        // the integral of K dA
    long eulerCharacteristic = 0;    // gaussianTotal / 2 pi, rounded
    // The formula has kinks (a superformula exponent n2 or n3 of 1 or less),
    // or the total is no whole number of turns (a pole where the surface
    // tears, a tip): curvature concentrated there is missing from the total,
    // which then says nothing of the surface's topology.
    bool concentrated = false;
};

CurvatureSurvey surveyCurvature(const SceneValues& values, const PolygonsIndexedNormal& mesh);

// The integral of K dA over the values' parameter domain, from the formula
// alone: Gauss-Legendre in both angles on a grid of its own, so the result
// does not depend on the file's grid; relative accuracy far better than
// 1e-4 on smooth surfaces. Points where K dA is not finite are left out.
double gaussianTotal(const SceneValues& values);

} // namespace Vextal
