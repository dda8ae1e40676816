#pragma once

#include "camera/CameraList.h"
#include "input/InputState.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "render/DrawScene.h"
#include "render/OffscreenContext.h"
#include "render/RenderState.h"
#include "scene/SceneState.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace VextalTest {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// A picture read back from the offscreen context, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    Rgba at(int x, int y) const {
        const std::uint8_t* p = &bytes[(std::size_t(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    int count(const std::function<bool(Rgba)>& wanted) const {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += wanted(at(x, y)) ? 1 : 0;
        return n;
    }
};

inline bool isPureRed(Rgba c) {
    return c.r == 255 && c.g == 0 && c.b == 0;
}
inline bool isPureGreen(Rgba c) {
    return c.r == 0 && c.g == 255 && c.b == 0;
}
inline bool isPureBlue(Rgba c) {
    return c.r == 0 && c.g == 0 && c.b == 255;
}
inline bool isBlack(Rgba c) {
    return c.r == 0 && c.g == 0 && c.b == 0;
}

// An 800 x 600 offscreen context and a fresh state of the viewer's drawing
// (scene, input and render parts, their members reached under their own
// names), with the viewer's start-up done on a scene written to conf.txt in a
// temporary working directory, which is left afterwards.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes conf.txt and runs the rendering start-up on it.
    void startWith(const std::string& scene);
    Picture drawFrame();

    Vextal::OffscreenContext offscreen;
    TempDir dir;
    std::int32_t keys[256] = {};

    Vextal::SceneState scene;
    Vextal::InputState input;
    Vextal::RenderState render;
    Vextal::PolygonsIndexedNormal& sceneMesh = scene.sceneMesh;
    Vextal::Camera* (&cameras)[Vextal::maxCameras] = input.cameraList.cameras;
    std::uint8_t& cameraCount = input.cameraList.cameraCount;
    std::uint32_t& windowHeight = input.cameraList.windowHeight;
    bool& wireframe = render.wireframe;
    bool& showNormals = render.showNormals;
    Vextal::OGLRenderer& sceneRenderer = render.sceneRenderer;

private:
    std::string previousDirectory;
};

} // namespace VextalTest
