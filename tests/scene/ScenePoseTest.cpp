#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "support/MeshCompare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace Vextal;

namespace {

const std::string plain = "\"sss\nslice 16 rotate 24\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 0.8 0.24\n";

} // namespace

// A quarter turn about z, scale 2, moved by (1, 2, 3): (x, y, z) becomes
// (1 - 2y, 2 + 2x, 3 + 2z), and every normal (nx, ny, nz) becomes (-ny, nx, nz).
TEST(ScenePose, placesEveryVertexAndTurnsEveryNormal) {
    PolygonsIndexedNormal built, posed;
    ASSERT_TRUE(loadSceneText(plain + "render\n", built).rendered());
    const SceneLoadResult loaded =
        loadSceneText(plain + "pose 0 0 5 1.5707963 1 2 3 2\nrender\n", posed);
    ASSERT_TRUE(loaded.rendered());
    ASSERT_TRUE(loaded.values.pose);
    EXPECT_EQ(loaded.values.pose->axis, (std::array<float, 3>{0, 0, 1}));
    ASSERT_EQ(posed.vertexCount, built.vertexCount);
    for (std::uint32_t k = 0; k < built.vertexCount; ++k) {
        const Vec3 p = built.vertices[k], q = posed.vertices[k];
        EXPECT_NEAR(q.x, 1 - 2 * p.y, 1e-5);
        EXPECT_NEAR(q.y, 2 + 2 * p.x, 1e-5);
        EXPECT_NEAR(q.z, 3 + 2 * p.z, 1e-5);
        const Vec3 n = built.normals[k], m = posed.normals[k];
        EXPECT_NEAR(m.x, -n.y, 1e-6);
        EXPECT_NEAR(m.y, n.x, 1e-6);
        EXPECT_NEAR(m.z, n.z, 1e-6);
    }
    // The canonical text keeps the pose, and loads to the same mesh.
    PolygonsIndexedNormal again;
    const SceneLoadResult reloaded = loadSceneText(sceneText(loaded.values), again);
    EXPECT_EQ(reloaded.values, loaded.values);
    EXPECT_TRUE(VextalTest::sameMeshAnyNaN(again, posed));
}

// A pose that cannot place anything leaves the surface as built, bit for bit,
// and an earlier valid pose stands.
TEST(ScenePose, refusedPoseChangesNothing) {
    PolygonsIndexedNormal built;
    ASSERT_TRUE(loadSceneText(plain + "render\n", built).rendered());
    for (const char* refused :
         {"pose 0 0 1 0.5 0 0 0 0\n", "pose 0 0 1 0.5 0 0 0 -1\n", "pose 0 0 0 0.5 0 0 0 1\n",
          "pose 0 0 1 nan 0 0 0 1\n", "pose 0 0 1 0.5 1e39 0 0 1\n"}) {
        PolygonsIndexedNormal mesh;
        const SceneLoadResult loaded = loadSceneText(plain + refused + "render\n", mesh);
        if (!loaded.rendered())
            continue; // 1e39 is no float: the load stops, as for any such value
        EXPECT_FALSE(loaded.values.pose) << refused;
        EXPECT_TRUE(VextalTest::sameMeshAnyNaN(mesh, built)) << refused;
    }
    PolygonsIndexedNormal kept;
    const SceneLoadResult loaded =
        loadSceneText(plain + "pose 1 0 0 0 0 0 0 3\npose 0 0 1 1 0 0 0 0\nrender\n", kept);
    ASSERT_TRUE(loaded.values.pose);
    EXPECT_EQ(loaded.values.pose->scale, 3.0f);
}

// The curvature coloured on a posed surface is the posed surface's: twice
// the size, a quarter of the Gaussian and half of the mean curvature.
TEST(ScenePose, curvatureFollowsThePosesScale) {
    PolygonsIndexedNormal built, posed;
    const SceneLoadResult a = loadSceneText(plain + "render\n", built);
    const SceneLoadResult b = loadSceneText(plain + "pose 1 0 0 0.7 1 2 3 2\nrender\n", posed);
    ASSERT_TRUE(a.rendered() && b.rendered());
    for (const ColourMode mode : {ColourMode::gaussian, ColourMode::mean}) {
        const std::vector<float> at1 = vertexValues(a.values, built, mode);
        const std::vector<float> at2 = vertexValues(b.values, posed, mode);
        ASSERT_EQ(at1.size(), at2.size());
        const double factor = mode == ColourMode::gaussian ? 0.25 : 0.5;
        for (std::size_t i = 0; i < at1.size(); ++i)
            if (std::isfinite(at1[i])) {
                ASSERT_NEAR(at2[i], at1[i] * factor, 1e-6 * (1 + std::fabs(at1[i]))) << i;
            }
    }
}
