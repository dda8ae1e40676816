#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "support/MeshCompare.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

using namespace Vextal;

// Every example, loaded from its file, written as canonical text and loaded
// again: the same values and the same mesh, bit for bit.
TEST(SceneText, canonicalTextLoadsBackToTheSameValuesAndMesh) {
    int examples = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VEXTAL_SOURCE_DIR) + "/examples")) {
        if (entry.path().extension() != ".vextal") // the Python examples' folder
            continue;
        PolygonsIndexedNormal fromFile, fromText;
        const SceneLoadResult file = loadSceneFile(entry.path().c_str(), fromFile);
        ASSERT_TRUE(file.rendered()) << entry.path();
        const std::string text = sceneText(file.values);
        const SceneLoadResult again = loadSceneText(text, fromText);
        ASSERT_TRUE(again.rendered()) << text;
        EXPECT_EQ(again.values, file.values) << text;
        EXPECT_TRUE(VextalTest::sameMeshAnyNaN(fromText, fromFile)) << entry.path();
        ++examples;
    }
    EXPECT_GT(examples, 10);
}

// The text keeps what was typed; the loader's rules decide what it becomes.
TEST(SceneText, typedValuesObeyTheFileRules) {
    SceneValues typed;
    typed.surface = SurfaceKind::spheric;
    typed.sliceCount = 300;
    typed.rotateCount = 2;
    typed.phiMin = 3;
    typed.phiMax = -1;
    typed.coef1 = {1, 1, 1, 4, 1, 1};
    typed.coef2 = {1, 1, 1, 4, 1, 1};
    PolygonsIndexedNormal mesh;
    const SceneLoadResult loaded = loadSceneText(sceneText(typed), mesh);
    ASSERT_TRUE(loaded.rendered());
    EXPECT_EQ(loaded.values.sliceCount, 44);
    EXPECT_EQ(loaded.values.rotateCount, 3);
    EXPECT_EQ(loaded.values.phiMin, -1.0f);
    EXPECT_EQ(loaded.values.phiMax, 3.0f);
    const std::uint32_t shown = mesh.vertexCount;

    typed.coef1[0] = std::numeric_limits<float>::infinity(); // no number a file can hold
    const SceneLoadResult refused = loadSceneText(sceneText(typed), mesh);
    EXPECT_EQ(refused.status, SceneLoadStatus::badValue);
    EXPECT_EQ(mesh.vertexCount, shown); // the last good surface stays
}
