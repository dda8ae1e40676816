#include "scene/SceneParameters.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneCommands.h"
#include "support/MeshCompare.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace Vextal;

namespace {

SceneParameters read(VextalTest::TempDir& dir, const char* text) {
    ScenePrimitives scene;
    EXPECT_TRUE(readSceneFile(dir.write("scene.vextal", text).c_str(), scene).rendered());
    return parametersOf(scene);
}

} // namespace

TEST(SceneParameters, rebuildTheMeshTheLoadBuilds) {
    VextalTest::TempDir dir;
    for (const char* text :
         {"\"tss slice 24 rotate 48 thetarange 3.14 -3.14 coef1 0.5 0.5 0.5 5 1 1 dontclose render",
          "\"sss slice 30 rotate 20 phirange -2 2 coef2 2 7 7 5 1 0.5 render",
          "\"sh slice 40 rotate 33 coefh 1 2 3 4 5 6 7 8 render"}) {
        const SceneParameters parameters = read(dir, text);
        PolygonsIndexedNormal loaded;
        PolygonsIndexedNormal rebuilt;
        ASSERT_TRUE(loadSceneFile(dir.path("scene.vextal").c_str(), loaded).rendered());
        tessellateParameters(parameters, rebuilt);
        EXPECT_TRUE(VextalTest::sameMesh(rebuilt, loaded)) << text;
    }
}

TEST(SceneParameters, blendMovesEveryNumberAndRoundsTheCounts) {
    VextalTest::TempDir dir;
    const SceneParameters from = read(dir, "\"sss slice 10 rotate 40 coef1 1 1 1 4 1 1 render");
    const SceneParameters to =
        read(dir, "\"sss slice 21 rotate 20 phirange -1 1 coef1 3 1 1 8 1 2 dontclose render");
    const SceneParameters half = blendParameters(from, to, 0.5);
    EXPECT_EQ(half.sliceCount, 16); // 15.5, rounded away from zero
    EXPECT_EQ(half.rotateCount, 30);
    EXPECT_FLOAT_EQ(half.coef1.n1, 2);
    EXPECT_FLOAT_EQ(half.coef1.m, 6);
    EXPECT_FLOAT_EQ(half.coef1.b, 1.5f);
    EXPECT_FLOAT_EQ(half.phiMax, (to.phiMax + from.phiMax) / 2);
    EXPECT_TRUE(half.closed); // from the first scene
    const SceneParameters end = blendParameters(from, to, 1);
    EXPECT_EQ(end.sliceCount, to.sliceCount);
    EXPECT_EQ(end.coef1.m, to.coef1.m);
    EXPECT_EQ(end.phiMin, to.phiMin);
}
