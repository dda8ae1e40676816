#include "colour/CurvatureSurvey.h"
#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>

using namespace Vextal;

namespace {

struct Loaded {
    PolygonsIndexedNormal mesh;
    SceneLoadResult result;
};

void load(const std::string& body, Loaded& out) {
    out.result = loadSceneText("\"xyz\n" + body + "render\n", out.mesh);
    ASSERT_TRUE(out.result.rendered()) << out.result.reason();
}

// Every vertex's curvature against a closed form of u and v, away from the
// rows a predicate leaves out.
void expectCurvature(const Loaded& s, ColourMode mode,
                     const std::function<double(double, double)>& expected,
                     const std::function<bool(double, double)>& skip = {}) {
    const SceneValues& v = s.result.values;
    const std::vector<float> values = vertexValues(v, s.mesh, mode);
    const RingGrid grid = gridOf(v, s.mesh);
    const VertexAngles angles = vertexAngles(v, grid);
    ASSERT_EQ(values.size(), std::size_t(grid.rings) * grid.columns);
    for (std::uint32_t i = 0; i < grid.rings; ++i)
        for (std::uint32_t j = 0; j < grid.columns; ++j) {
            const double u = angles.thetas[i], w = angles.phis[j];
            if (skip && skip(u, w))
                continue;
            const double want = expected(u, w);
            ASSERT_NEAR(values[grid.vertex(i, j)], want, 1e-6 * std::max(1.0, std::fabs(want)))
                << "u " << u << " v " << w;
        }
}

const char* sphere = "urange -1.5707963 1.5707963\nvrange -3.1415927 3.1415927\n"
                     "x cos(v) * cos(u)\ny sin(v) * cos(u)\nz sin(u)\n";

} // namespace

// Curvature comes from the formula's exact derivatives: the closed forms of
// classic surfaces hold at every vertex, up to the float the colouring stores.
TEST(FormulaCurvature, closedFormsHoldAtEveryVertex) {
    Loaded s;
    load(std::string("slice 24 rotate 32\n") + sphere, s);
    const auto poles = [](double u, double) { return std::fabs(std::cos(u)) < 1e-3; };
    expectCurvature(
        s, ColourMode::gaussian, [](double, double) { return 1.0; }, poles);
    expectCurvature(
        s, ColourMode::mean, [](double, double) { return 1.0; }, poles);

    Loaded pseudo; // the tractricoid, away from its rim at u = 0
    load("slice 40 rotate 32\nurange 0.05 3\nvrange 0 6.2831855\n"
         "x sin(v) / cosh(u)\ny cos(v) / cosh(u)\nz u - tanh(u)\n",
         pseudo);
    expectCurvature(pseudo, ColourMode::gaussian, [](double, double) { return -1.0; });

    Loaded catenoid;
    load("slice 30 rotate 30\nparam c 1.5 0.5 3\nurange 0 6.2831855\nvrange -2 2\n"
         "x c*cosh(v/c)*cos(u)\ny c*cosh(v/c)*sin(u)\nz v\n",
         catenoid);
    expectCurvature(catenoid, ColourMode::gaussian, [](double, double v) {
        const double c = 1.5, h = std::cosh(v / c);
        return -1 / (c * c * h * h * h * h);
    });

    Loaded helicoid;
    load("slice 30 rotate 30\nparam c 0.7 0 2\nurange -3 3\nvrange -2 2\n"
         "x v*cos(u)\ny v*sin(u)\nz c*u\n",
         helicoid);
    expectCurvature(helicoid, ColourMode::gaussian, [](double, double v) {
        const double c = 0.7, d = c * c + v * v;
        return -c * c / (d * d);
    });
}

// Gauss-Bonnet over closed typed surfaces: 0 for a torus, 4 pi for a sphere.
TEST(FormulaCurvature, gaussBonnetTotalsOfClosedSurfaces) {
    Loaded torus;
    load("urange 0 6.2831855\nvrange 0 6.2831855\n"
         "x (2 + cos(u)) * cos(v)\ny (2 + cos(u)) * sin(v)\nz sin(u)\n",
         torus);
    const CurvatureSurvey t = surveyCurvature(torus.result.values, torus.mesh);
    EXPECT_NEAR(t.gaussianTotal, 0, 1e-4);
    EXPECT_EQ(t.eulerCharacteristic, 0);
    Loaded s;
    load(sphere, s);
    const CurvatureSurvey k = surveyCurvature(s.result.values, s.mesh);
    EXPECT_NEAR(k.gaussianTotal, 4 * std::numbers::pi, 1e-4);
    EXPECT_EQ(k.eulerCharacteristic, 2);
}
