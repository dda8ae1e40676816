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
    const SceneValues to = valuesOf("\"sss slice 21 rotate 20 phirange -1 1 thetarange -1 0.5 "
                                    "coef1 3 1 1 8 1 2 coef2 2 3 4 5 6 7 coefh 1 2 3 4 5 6 7 8 "
                                    "dontclose render");
    const SceneValues half = blendValues(from, to, 0.5);
    EXPECT_EQ(half.sliceCount, 16); // 15.5, rounded away from zero
    EXPECT_EQ(half.rotateCount, 30);
    EXPECT_EQ(blendValues(from, to, 0.45).sliceCount, 15); // 14.95
    const auto mid = [](float a, float b) { return (a + b) / 2; };
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_FLOAT_EQ(half.coef1[k], mid(from.coef1[k], to.coef1[k])) << k;
        EXPECT_FLOAT_EQ(half.coef2[k], mid(from.coef2[k], to.coef2[k])) << k;
    }
    for (std::size_t k = 0; k < 8; ++k)
        EXPECT_FLOAT_EQ(half.coefh[k], mid(from.coefh[k], to.coefh[k])) << k;
    EXPECT_FLOAT_EQ(half.phiMin, mid(from.phiMin, to.phiMin));
    EXPECT_FLOAT_EQ(half.phiMax, mid(from.phiMax, to.phiMax));
    EXPECT_FLOAT_EQ(half.thetaMin, mid(from.thetaMin, to.thetaMin));
    EXPECT_FLOAT_EQ(half.thetaMax, mid(from.thetaMax, to.thetaMax));
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
