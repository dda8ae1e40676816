#include "render/RenderFixture.h"

#include "camera/Quaternion.h"
#include "input/KeyState.h"
#include "render/ApplyCamera.h"
#include "render/InitRendering.h"
#include "render/OGLRenderer.h"
#include "scene/SceneLoader.h"
#include "support/ReferenceWireframeDrawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace Vextal;
using namespace VextalTest;

namespace {

const char* sphere = "\"sh slice 48 rotate 48 thetarange 0 3.14159265 render";
const char* defaultSpheric = "\"sss render";

bool isLitSurface(Rgba c) {
    return !isBlack(c) && !isPureRed(c) && !isPureGreen(c) && !isPureBlue(c);
}

void expectColour(GLenum face, GLenum name, float r, float g, float b, float a) {
    GLfloat value[4];
    glGetMaterialfv(face, name, value);
    EXPECT_FLOAT_EQ(value[0], r);
    EXPECT_FLOAT_EQ(value[1], g);
    EXPECT_FLOAT_EQ(value[2], b);
    EXPECT_FLOAT_EQ(value[3], a);
}

} // namespace

TEST_F(RenderTest, startUpListsOneCameraAndSetsTheFixedState) {
    startWith(defaultSpheric);
    ASSERT_EQ(cameraCount, 1);
    EXPECT_EQ(cameras[0]->pixelWidth, 800);
    EXPECT_EQ(cameras[0]->pixelHeight, 600);
    EXPECT_EQ(cameras[0]->translation.z, -5.0f);
    EXPECT_EQ(input.keyTable, keys);
    EXPECT_EQ(sceneMesh.vertexCount, 92u);

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[3], 0.5f);
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    expectColour(GL_FRONT, GL_DIFFUSE, 0.8f, 0.8f, 0.5f, 1.0f);
    expectColour(GL_BACK, GL_AMBIENT, 0.8f, 0.8f, 0.5f, 1.0f);
    expectColour(GL_FRONT, GL_SPECULAR, 1, 1, 1, 1);
    GLfloat light[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, light);
    EXPECT_FLOAT_EQ(light[2], 1.1f);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, light);
    EXPECT_FLOAT_EQ(light[0], 0.6f);
}

TEST_F(RenderTest, aFifthCameraIsNeverListed) {
    startWith(defaultSpheric);
    for (int i = 0; i < 5; ++i)
        listNewCamera();
    EXPECT_EQ(cameraCount, maxCameras);
}

TEST_F(RenderTest, filledFrameShowsOnlyTheLitSurface) {
    startWith(defaultSpheric);
    const Picture picture = drawFrame();
    EXPECT_TRUE(isLitSurface(picture.at(400, 300)));
    EXPECT_TRUE(isBlack(picture.at(5, 5)));
    EXPECT_GT(picture.count(isLitSurface), 10000);
    EXPECT_EQ(picture.count(isPureRed), 0);
    EXPECT_EQ(picture.count(isPureGreen), 0);
    EXPECT_EQ(picture.count(isPureBlue), 0);
}

TEST_F(RenderTest, wireframeShowsTheAxesAndFilledHidesThem) {
    startWith(defaultSpheric);
    wireframe = true;
    cameras[0]->pendingRotation.x = 0.8f; // so the z axis does not point at the eye
    const Picture lines = drawFrame();
    EXPECT_GT(lines.count(isPureRed), 50);
    EXPECT_GT(lines.count(isPureGreen), 20);
    EXPECT_GT(lines.count(isPureBlue), 20);
    EXPECT_GT(lines.count(isLitSurface), 500);

    wireframe = false;
    const Picture filled = drawFrame();
    EXPECT_EQ(filled.count(isPureGreen), 0);
    EXPECT_EQ(filled.count(isPureRed), 0);
}

TEST_F(RenderTest, normalsShowAsRedSegmentsOnlyWhenAsked) {
    startWith(defaultSpheric);
    showNormals = true;
    const Picture withNormals = drawFrame();
    EXPECT_GT(withNormals.count(isPureRed), 100);
    EXPECT_EQ(withNormals.count(isPureGreen), 0); // normals never bring the axes

    showNormals = false;
    EXPECT_EQ(drawFrame().count(isPureRed), 0);
}

TEST_F(RenderTest, lineWidthIsRestoredAfterAWireframeView) {
    startWith(defaultSpheric);
    wireframe = true;
    drawFrame();
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 3.0f);

    // Wireframe and normals of the next view are drawn 1 pixel wide again.
    wireframe = false;
    showNormals = true;
    const int thin = drawFrame().count(isPureRed);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    glLineWidth(3.0f);
    sceneRenderer.renderNormals(&sceneMesh);
    const Picture wide{800, 600, offscreen.readPixels()};
    EXPECT_GT(wide.count(isPureRed), thin);
}

TEST_F(RenderTest, emptyMeshDrawsNothingButTheAxes) {
    startWith(defaultSpheric);
    sceneMesh.release();
    showNormals = true;
    wireframe = true;
    const Picture picture = drawFrame();
    EXPECT_EQ(picture.count(isLitSurface), 0);
    EXPECT_GT(picture.count(isPureGreen), 50);
}

namespace {

// Mean column of the brightest pixels: where the highlight sits.
double highlightColumn(const Picture& picture) {
    int best = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const Rgba c = picture.at(x, y);
            best = std::max(best, c.r + c.g + c.b);
        }
    double sum = 0;
    int n = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const Rgba c = picture.at(x, y);
            if (c.r + c.g + c.b >= best - 6) {
                sum += x;
                ++n;
            }
        }
    return sum / n;
}

} // namespace

TEST_F(RenderTest, theLightStaysFixedToTheSurfaceWhileTheCameraTurns) {
    startWith(sphere);
    const double before = highlightColumn(drawFrame());
    // Half a turn about the vertical axis: a light fixed to the surface turns
    // with it, so the highlight moves to the other side of the picture.
    cameras[0]->pendingRotation.y = 3.14159265f;
    const double after = highlightColumn(drawFrame());
    EXPECT_LT((before - 400) * (after - 400), 0) << before << " " << after;
}

TEST_F(RenderTest, everyViewportShowsTheWholeScene) {
    startWith(sphere);
    listNewCamera();
    initCamera(*cameras[0], 0, 0, 0.5f, 1);
    initCamera(*cameras[1], 0.5f, 0, 0.5f, 1);
    cameras[0]->translation.z = cameras[1]->translation.z = -8.0f;
    resizeViewports(800, 600);
    const Picture picture = drawFrame();
    EXPECT_TRUE(isLitSurface(picture.at(200, 300)));
    EXPECT_TRUE(isLitSurface(picture.at(600, 300)));
    EXPECT_TRUE(isBlack(picture.at(400, 300)));
}

TEST_F(RenderTest, aViewportWithoutAreaIsSkipped) {
    startWith(sphere);
    resizeViewports(800, 0);
    cameras[0]->pendingRotation.x = 0.5f;
    const Picture picture = drawFrame();
    EXPECT_EQ(picture.count(isLitSurface), 0);
    EXPECT_EQ(cameras[0]->pendingRotation.x, 0.5f);
}

TEST_F(RenderTest, applyCameraLoadsTheMatricesOfItsArithmetic) {
    startWith(defaultSpheric);
    Camera& camera = *cameras[0];
    camera.translation = {0.25f, -0.5f, -7.0f};
    camera.viewport = {0.25f, 0.0f, 0.5f, 1.0f};
    computePixelViewport(camera, 800, 600);
    camera.pendingRotation = {0.3f, -0.7f, 0.2f};
    Camera arithmetic = camera;
    const CameraTurn turn = advanceOrientation(arithmetic);
    ASSERT_GT(turn.angleDegrees, 1.0f);

    glLoadIdentity();
    ASSERT_TRUE(applyCamera(camera));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 200);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 600);

    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(22.5 * 3.14159265358979 / 180.0);
    EXPECT_NEAR(projection[0], f / (400.0 / 600.0), 1e-5);
    EXPECT_NEAR(projection[5], f, 1e-5);
    EXPECT_NEAR(projection[10], -101.0 / 99.0, 1e-5);
    EXPECT_NEAR(projection[14], -200.0 / 99.0, 1e-5);

    // Modelview = translation x rotation by the new orientation.
    const Quaternion& q = camera.orientation;
    const double rotation[9] = {1 - 2 * (q.y * q.y + q.z * q.z), 2 * (q.x * q.y + q.w * q.z),
                                2 * (q.x * q.z - q.w * q.y),     2 * (q.x * q.y - q.w * q.z),
                                1 - 2 * (q.x * q.x + q.z * q.z), 2 * (q.y * q.z + q.w * q.x),
                                2 * (q.x * q.z + q.w * q.y),     2 * (q.y * q.z - q.w * q.x),
                                1 - 2 * (q.x * q.x + q.y * q.y)};
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            EXPECT_NEAR(modelview[column * 4 + row], rotation[column * 3 + row], 1e-5)
                << column << "," << row;
    EXPECT_NEAR(modelview[12], 0.25, 1e-6);
    EXPECT_NEAR(modelview[13], -0.5, 1e-6);
    EXPECT_NEAR(modelview[14], -7.0, 1e-6);
    EXPECT_EQ(camera.pendingRotation.x, 0.0f);
    EXPECT_EQ(camera.orientation.w, arithmetic.orientation.w);
}

namespace {

// Pixels where some channel differs by more than `fuzz` of 255.
int differing(const Picture& a, const Picture& b, int fuzz) {
    int n = 0;
    for (std::size_t k = 0; k < a.bytes.size(); k += 4)
        for (std::size_t c = k; c < k + 3; ++c)
            if (std::abs(int(a.bytes[c]) - int(b.bytes[c])) > fuzz) {
                ++n;
                break;
            }
    return n;
}

class WireframeTest : public RenderTest {
protected:
    // The wireframe of each edge drawn once against the triangles drawn
    // with the polygon mode set to lines, under the snapshot comparison's
    // tolerance: 2% per channel (5 of 255), at most 50 pixels beyond it.
    // Equally deep crossing lines may be drawn in another order, and an edge
    // drawn once ends on one pixel fewer. The scenes lie inside the view:
    // an edge the view cuts is clipped as a line here and as a side of its
    // triangle there, which may move a long line by a pixel.
    void expectPolygonModePicture() {
        wireframe = true;
        drawFrame(); // the first camera's pending turn is applied once
        const Picture edges = drawFrame();
        drawWireframeViewsWithPolygonMode(sceneMesh);
        const Picture polygonMode{800, 600, offscreen.readPixels()};
        EXPECT_GT(polygonMode.count(isLitSurface), 2000);
        EXPECT_LE(differing(edges, polygonMode, 5), 50)
            << differing(edges, polygonMode, 0) << " pixels differ at all";
    }
};

} // namespace

TEST_F(WireframeTest, edgesDrawnOnceShowThePolygonModePicture) {
    for (const char* scene :
         {"\"sss slice 255 rotate 255 coef1 2 7 7 5 1 1 coef2 2 2 2 4 1 0.3 render",
          "\"tss slice 40 rotate 30 thetarange -3.14159265 3.14159265 dontclose render", sphere}) {
        startWith(scene);
        cameras[0]->pendingRotation.x = 0.6f;
        cameras[0]->pendingRotation.y = 0.3f;
        expectPolygonModePicture();
        input.cameraList.freeCameras();
    }
}

TEST_F(WireframeTest, aMeshThatIsNoGridShowsThePolygonModePictureToo) {
    startWith("\"sss slice 30 rotate 20 coef1 2 7 7 5 1 1 render");
    // The same triangles, no longer written as a grid: the edges come from
    // the triangles themselves.
    PolygonsIndexedNormal copy;
    copy.allocate(sceneMesh.vertexCount, sceneMesh.triangleCount);
    std::copy_n(sceneMesh.vertices, sceneMesh.vertexCount, copy.vertices);
    std::copy_n(sceneMesh.triangles, sceneMesh.triangleCount, copy.triangles);
    sceneMesh.allocate(copy.vertexCount, copy.triangleCount);
    std::copy_n(copy.vertices, copy.vertexCount, sceneMesh.vertices);
    std::copy_n(copy.triangles, copy.triangleCount, sceneMesh.triangles);
    sceneMesh.computeNormals();
    ASSERT_EQ(sceneMesh.ringGrid().rings, 0u);
    expectPolygonModePicture();
}

TEST_F(WireframeTest, edgesFollowEveryReload) {
    startWith("\"sss slice 12 rotate 12 render");
    expectPolygonModePicture();
    ASSERT_TRUE(
        loadSceneFile(dir.write("other.txt", "\"tss slice 20 rotate 30 render").c_str(), sceneMesh)
            .rendered());
    expectPolygonModePicture();
}
