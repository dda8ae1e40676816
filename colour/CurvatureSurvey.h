#pragma once

#include "primitives/SurfaceValues.h"

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
    double gaussianTotalError = 0;   // an upper estimate of its error (GaussianTotal)
    bool settled = false;            // the total is known well enough to tell its turns
    long eulerCharacteristic = 0;    // gaussianTotal / 2 pi, rounded
    // The formula has kinks (a superformula exponent n2 or n3 of 1 or less),
    // or the settled total is no whole number of turns (a pole where the
    // surface tears, a tip): curvature concentrated there is missing from the
    // total, which then says nothing of the surface's topology.
    bool concentrated = false;
};

CurvatureSurvey surveyCurvature(const SceneValues& values, const PolygonsIndexedNormal& mesh);

} // namespace Vextal
