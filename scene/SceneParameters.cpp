#include "scene/SceneParameters.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneCommands.h"

#include <cmath>

namespace Vextal {

SceneParameters parametersOf(const ScenePrimitives& scene) {
    const PrimitiveParametric& grid = *scene.selected;
    return {scene.kind,
            grid.phiMin,
            grid.phiMax,
            grid.thetaMin,
            grid.thetaMax,
            grid.sliceCount,
            grid.rotateCount,
            grid.closed,
            scene.superformula->coef1,
            scene.superformula->coef2,
            scene.harmonic.coefh};
}

namespace {

// The ends are the scenes' own values, even where a value is infinite.
float blend(float from, float to, double along) {
    if (along <= 0)
        return from;
    if (along >= 1)
        return to;
    return float(double(from) + (double(to) - double(from)) * along);
}

// Counts stay within 3 to 255 at both ends, so every blend of them does too.
std::uint8_t blendCount(std::uint8_t from, std::uint8_t to, double along) {
    return std::uint8_t(std::lround(double(from) + (double(to) - double(from)) * along));
}

SuperShapeCoefficients blend(const SuperShapeCoefficients& from, const SuperShapeCoefficients& to,
                             double along) {
    return {blend(from.n1, to.n1, along), blend(from.n2, to.n2, along),
            blend(from.n3, to.n3, along), blend(from.m, to.m, along),
            blend(from.a, to.a, along),   blend(from.b, to.b, along)};
}

} // namespace

SceneParameters blendParameters(const SceneParameters& from, const SceneParameters& to,
                                double along) {
    SceneParameters mixed = from;
    mixed.phiMin = blend(from.phiMin, to.phiMin, along);
    mixed.phiMax = blend(from.phiMax, to.phiMax, along);
    mixed.thetaMin = blend(from.thetaMin, to.thetaMin, along);
    mixed.thetaMax = blend(from.thetaMax, to.thetaMax, along);
    mixed.sliceCount = blendCount(from.sliceCount, to.sliceCount, along);
    mixed.rotateCount = blendCount(from.rotateCount, to.rotateCount, along);
    mixed.coef1 = blend(from.coef1, to.coef1, along);
    mixed.coef2 = blend(from.coef2, to.coef2, along);
    for (std::size_t k = 0; k < mixed.coefh.size(); ++k)
        mixed.coefh[k] = blend(from.coefh[k], to.coefh[k], along);
    return mixed;
}

void tessellateParameters(const SceneParameters& parameters, PolygonsIndexedNormal& mesh) {
    ScenePrimitives scene;
    for (const SceneSelector& selector : sceneSelectors())
        if (selector.surface == parameters.surface)
            scene.select(selector.token);
    PrimitiveParametric& grid = *scene.selected;
    grid.phiMin = parameters.phiMin;
    grid.phiMax = parameters.phiMax;
    grid.thetaMin = parameters.thetaMin;
    grid.thetaMax = parameters.thetaMax;
    grid.sliceCount = parameters.sliceCount;
    grid.rotateCount = parameters.rotateCount;
    grid.closed = parameters.closed;
    scene.superformula->setCoef1(parameters.coef1);
    scene.superformula->setCoef2(parameters.coef2);
    scene.harmonic.coefh = parameters.coefh;
    grid.tessellate(mesh);
    mesh.computeNormals();
}

} // namespace Vextal
