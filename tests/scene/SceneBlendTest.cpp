#include "scene/SceneBlend.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "support/MeshCompare.h"

#include <gtest/gtest.h>

using namespace Vextal;

namespace {

SceneValues valuesOf(const char* text) {
    PolygonsIndexedNormal mesh;
    const SceneLoadResult loaded = loadSceneText(text, mesh);
    EXPECT_TRUE(loaded.rendered()) << text;
    return loaded.values;
}

} // namespace

TEST(SceneBlend, everyNumberMovesAndTheCountsAreRounded) {
    const SceneValues from = valuesOf("\"sss slice 10 rotate 40 coef1 1 1 1 4 1 1 render");
    const SceneValues to =
        valuesOf("\"sss slice 21 rotate 20 phirange -1 1 coef1 3 1 1 8 1 2 dontclose render");
    const SceneValues half = blendValues(from, to, 0.5);
    EXPECT_EQ(half.sliceCount, 16); // 15.5, rounded away from zero
    EXPECT_EQ(half.rotateCount, 30);
    EXPECT_FLOAT_EQ(half.coef1[0], 2);
    EXPECT_FLOAT_EQ(half.coef1[3], 6);
    EXPECT_FLOAT_EQ(half.coef1[5], 1.5f);
    EXPECT_FLOAT_EQ(half.phiMax, (from.phiMax + to.phiMax) / 2);
    EXPECT_TRUE(half.closed); // from the first scene
    EXPECT_EQ(blendValues(from, to, 0), from);
    SceneValues end = to;
    end.closed = from.closed;
    EXPECT_EQ(blendValues(from, to, 1), end);
}

TEST(SceneBlend, theEndsLoadAsTheScenesThemselves) {
    const char* text = "\"tss slice 24 rotate 48 thetarange 3.14 -3.14 coef1 0.5 0.5 0.5 5 1 1 "
                       "dontclose render";
    const SceneValues values = valuesOf(text);
    PolygonsIndexedNormal direct;
    PolygonsIndexedNormal blended;
    loadSceneText(text, direct);
    loadSceneText(sceneText(blendValues(values, valuesOf("\"tss render"), 0)), blended);
    EXPECT_TRUE(VextalTest::sameMesh(blended, direct));
}
