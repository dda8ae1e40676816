#include "render/RenderFixture.h"

#include "render/OGLRenderer.h"
#include "scene/SceneLoader.h"
#include "support/ReferenceNormalDrawing.h"

#include <GL/gl.h>

using namespace Vextal;
using namespace VextalTest;

namespace {

class NormalSegmentsTest : public RenderTest {
protected:
    Picture normalsOnly(bool perCorner) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        glColor3f(1, 0, 0);
        if (perCorner)
            drawNormalsOnePerCorner(sceneMesh);
        else
            sceneRenderer.renderNormals(&sceneMesh);
        return {offscreen.width(), offscreen.height(), offscreen.readPixels()};
    }
    void expectSamePicture() {
        const Picture fromArray = normalsOnly(false);
        const Picture perCorner = normalsOnly(true);
        EXPECT_GT(perCorner.count(isPureRed), 100);
        EXPECT_EQ(fromArray.bytes, perCorner.bytes);
    }
};

} // namespace

TEST_F(NormalSegmentsTest, arrayDrawShowsWhatOneSegmentPerCornerShows) {
    startWith("\"sss slice 40 rotate 40 render");
    drawFrame(); // the view of the first camera stays on the matrices
    expectSamePicture();
}

TEST_F(NormalSegmentsTest, segmentsFollowEveryReload) {
    startWith("\"sss slice 12 rotate 12 render");
    drawFrame();
    expectSamePicture();
    ASSERT_TRUE(
        loadSceneFile(dir.write("other.txt", "\"tss slice 20 rotate 30 render").c_str(), sceneMesh)
            .rendered());
    expectSamePicture();
}

TEST_F(NormalSegmentsTest, verticesNoTriangleUsesDrawNoSegment) {
    startWith("\"sss render");
    drawFrame();
    sceneMesh.allocate(2, 0);
    sceneMesh.vertices[1] = {0.5f, 0.0f, 0.0f};
    sceneMesh.normals[0] = sceneMesh.normals[1] = {1.0f, 0.0f, 0.0f};
    EXPECT_EQ(normalsOnly(false).count(isPureRed), 0);
}
