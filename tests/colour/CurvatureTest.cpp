#include "colour/ColourMaps.h"
#include "colour/SurfaceCurvature.h"
#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace Vextal;

namespace {

std::string example(const char* name) {
    return std::string(VEXTAL_SOURCE_DIR) + "/examples/" + name;
}

struct Loaded {
    SceneLoadResult result;
    PolygonsIndexedNormal mesh;
};

void load(const char* name, Loaded& loaded) {
    loaded.result = loadSceneFile(example(name).c_str(), loaded.mesh);
    ASSERT_TRUE(loaded.result.rendered());
}

} // namespace

// Every vertex of the unit sphere, the poles' neighbours included, has
// K = H = 1 from the formula's derivatives, in the diverging map's end
// colour (the range is -1..1); the two poles, where the phi derivative
// vanishes, have no curvature and show grey.
TEST(Curvature, UnitSphereIsOneEverywhere) {
    Loaded sphere;
    load("sphere.vextal", sphere);
    const RingGrid& grid = sphere.mesh.ringGrid();
    for (ColourMode mode : {ColourMode::gaussian, ColourMode::mean}) {
        const VertexColours colours =
            colourVertices(sphere.result.values, sphere.mesh, {mode, std::nullopt});
        ASSERT_EQ(colours.values.size(), sphere.mesh.vertexCount);
        for (std::uint32_t i = 0; i < sphere.mesh.vertexCount; ++i) {
            const bool pole = i == grid.endPole() || i == grid.startPole();
            if (pole) {
                EXPECT_TRUE(std::isnan(colours.values[i]));
                EXPECT_EQ(colours.colours[i].g, nonFiniteGrey.g);
                continue;
            }
            EXPECT_NEAR(colours.values[i], 1.0, 1e-6) << colourModeName(mode) << " vertex " << i;
            EXPECT_EQ(colours.colours[i].r, divergingMap.back().r);
        }
        EXPECT_EQ(colours.low, -1.0f);
        EXPECT_EQ(colours.high, 1.0f);
    }
}

// A torus of tube radius r about a circle of radius R: K = 1 / (r (R + r))
// on the outer equator, -1 / (r (R - r)) on the inner, H = (R + 2 r cos t) /
// (2 r (R + r cos t)).
TEST(Curvature, TorusEquators) {
    SceneValues torus;
    torus.surface = SurfaceKind::toric;
    const double big = 1.5, small = 0.4;
    torus.coef1 = {1, 1, 1, 0, float(big), 1};
    torus.coef2 = {1, 1, 1, 0, float(small), 1};
    const double r = double(float(small)), R = double(float(big));
    for (double phi : {0.0, 1.0, -2.5}) {
        const Curvature outer = curvatureAt(torus, 0.0, phi);
        EXPECT_NEAR(outer.gaussian, 1 / (r * (R + r)), 1e-6);
        EXPECT_NEAR(outer.mean, (R + 2 * r) / (2 * r * (R + r)), 1e-6);
        const Curvature inner = curvatureAt(torus, std::acos(-1.0), phi);
        EXPECT_NEAR(inner.gaussian, -1 / (r * (R - r)), 1e-6);
        EXPECT_NEAR(outer.areaElement, r * (R + r), 1e-6);
    }
}
