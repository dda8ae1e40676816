#pragma once

#include "primitives/SuperShapeCoefficients.h"
#include "scene/SceneLoader.h"

#include <array>
#include <cstdint>

namespace Vextal {

struct ScenePrimitives;
class PolygonsIndexedNormal;

// Every value a scene file can set, as a load leaves it: the selected
// surface's grid and switches, the superformula target's coefficient records
// and the spherical harmonic's coefficients.
struct SceneParameters {
    SurfaceKind surface = SurfaceKind::toric;
    float phiMin = 0, phiMax = 0, thetaMin = 0, thetaMax = 0;
    std::uint8_t sliceCount = 0;
    std::uint8_t rotateCount = 0;
    bool closed = true;
    SuperShapeCoefficients coef1{};
    SuperShapeCoefficients coef2{};
    std::array<float, 8> coefh{};
};

SceneParameters parametersOf(const ScenePrimitives& scene);

// The parameters between two scenes of the same surface: every number moved
// the fraction `along` (0 gives from, 1 gives to) of the way, the slice and
// rotate counts rounded to the nearest whole count; the surface and closed
// come from `from`.
SceneParameters blendParameters(const SceneParameters& from, const SceneParameters& to,
                                double along);

// Replaces the mesh with the tessellation of the surface the parameters
// describe and its normals, as a load that reached "render" with them would.
void tessellateParameters(const SceneParameters& parameters, PolygonsIndexedNormal& mesh);

} // namespace Vextal
