#include "render/RenderFixture.h"

#include "input/KeyState.h"
#include "render/InitRendering.h"

#include <GL/gl.h>

using namespace Vextal;
using namespace VextalTest;

// The start-up from a named scene file at a chosen size, as vextal-snapshot uses it.

TEST_F(RenderTest, startUpFromANamedFileSizesTheViewportToThePicture) {
    const std::string scene = dir.write("sphere.txt", "\"sss render");
    const SceneLoadResult loaded = initRendering(keys, {scene.c_str(), 320, 240});
    EXPECT_TRUE(loaded.rendered());
    EXPECT_EQ(sceneMesh.vertexCount, 92u);
    ASSERT_EQ(cameraCount, 1);
    EXPECT_EQ(cameras[0]->pixelWidth, 320);
    EXPECT_EQ(cameras[0]->pixelHeight, 240);
    EXPECT_EQ(cameras[0]->translation.z, -5.0f);
    EXPECT_EQ(windowHeight, 240u);

    // Only the lower-left 320 x 240 of the 800 x 600 buffer is drawn into.
    const Picture picture = drawFrame();
    EXPECT_FALSE(isBlack(picture.at(160, 600 - 120)));
    EXPECT_TRUE(isBlack(picture.at(400, 300)));
}

TEST_F(RenderTest, startUpReportsAFailedLoadAndStillSetsTheFixedState) {
    const std::string cut = dir.write("cut.txt", "\"sss slice 5");
    for (const std::string& path : {dir.path("missing.txt"), cut}) {
        const SceneLoadResult loaded = initRendering(keys, {path.c_str(), 800, 600});
        EXPECT_FALSE(loaded.rendered()) << path;
        EXPECT_EQ(sceneMesh.vertexCount, 0u) << path;
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    }
    EXPECT_EQ(initRendering(keys, {cut.c_str(), 800, 600}).status,
              SceneLoadStatus::endedBeforeRender);
}
