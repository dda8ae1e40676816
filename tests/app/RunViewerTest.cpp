#include "app/RunViewer.h"
#include "app/FrameLoop.h"
#include "app/ViewerState.h"
#include "camera/CameraList.h"
#include "input/KeyState.h"
#include "input/WindowMessages.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "render/OffscreenContext.h"
#include "support/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Vextal;
using VextalTest::ScriptedPlatform;

namespace {

// Runs the viewer in a fresh state against the scripted window system, in a
// temporary working directory holding a conf.txt. The scripted contexts are
// stand-ins: the drawing goes to a real offscreen OpenGL context, current
// throughout.
class RunViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(offscreen.create(800, 600)) << offscreen.error();
        dir.write("conf.txt", "\"sss slice 4 rotate 4 render");
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        previous = cwd;
        ASSERT_EQ(::chdir(dir.path("").c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(::chdir(previous.c_str()), 0); }

    void send(std::uint32_t message, WParam wParam = 0, LParam lParam = 0) {
        system.queue.push_back({system.lastWindow, message, wParam, lParam});
    }
    // Sends the close request once the given number of frames has been drawn.
    void closeAfterFrames(int count) {
        system.onIdle = [this, count] {
            if (system.frames == count)
                send(WM_CLOSE);
        };
    }
    void expectEverythingReleased() {
        EXPECT_EQ(system.liveWindows, 0);
        EXPECT_EQ(system.liveSurfaces, 0);
        EXPECT_EQ(system.liveContexts, 0);
        EXPECT_EQ(system.currentContexts, 0);
        EXPECT_EQ(system.log.back(), "unregister");
    }

    OffscreenContext offscreen;
    VextalTest::TempDir dir;
    ScriptedPlatform system;
    ViewerState state{system};
    std::string previous;
};

} // namespace

TEST_F(RunViewerTest, classThatCannotBeRegisteredShowsTwoBoxesAndExitsMinusOne) {
    system.failAt = ScriptedPlatform::Step::registerClass;
    EXPECT_EQ(runViewer(nullptr), -1);
    ASSERT_EQ(system.messageBoxes.size(), 2u);
    EXPECT_EQ(system.messageBoxes[0], "Error: RegisterClassEx Failed!");
    EXPECT_EQ(system.messageBoxes[1], "Error: Error Registering Window Class!");
    EXPECT_EQ(system.log, std::vector<std::string>{"register"});
}

TEST_F(RunViewerTest, everyFailedCreationStepLeavesNothingBehindAndExitsWithAnError) {
    using Step = ScriptedPlatform::Step;
    for (Step step : {Step::createWindow, Step::getDeviceContext, Step::choosePixelFormat,
                      Step::setPixelFormat, Step::createContext, Step::makeCurrent}) {
        ScriptedPlatform failing;
        failing.failAt = step;
        ViewerState fresh(failing);
        EXPECT_EQ(runViewer(nullptr), 1) << int(step);
        EXPECT_EQ(failing.messageBoxes,
                  std::vector<std::string>{"Error: Error Creating OpenGL Window"});
        EXPECT_EQ(failing.liveWindows + failing.liveSurfaces + failing.liveContexts, 0)
            << int(step);
        EXPECT_EQ(failing.log.back(), "unregister");
        EXPECT_EQ(failing.frames, 0);
        EXPECT_EQ(inputState().programRunning, 0);
    }
    EXPECT_EQ(inputState().cameraList.cameraCount, 0);
}

TEST_F(RunViewerTest, failedMakeCurrentReleasesInReverseOrder) {
    system.failAt = ScriptedPlatform::Step::makeCurrent;
    runViewer(nullptr);
    const std::vector<std::string> expected{
        "register",          "createWindow",   "getDeviceContext",
        "choosePixelFormat", "setPixelFormat", "createContext",
        "makeCurrent",       "deleteContext",  "releaseDeviceContext",
        "destroyWindow",     "unregister"};
    EXPECT_EQ(system.log, expected);
}

TEST_F(RunViewerTest, closeRequestEndsTheRunWithStatusZeroAndReleasesEverything) {
    closeAfterFrames(3);
    EXPECT_EQ(runViewer(nullptr), 0);
    EXPECT_EQ(system.frames, 3);
    EXPECT_EQ(system.quitPostedTo.size(), 1u);
    // The window was made for double-buffered RGBA, 16 colour and 16 depth bits.
    EXPECT_EQ(system.requested.colourBits, 16);
    EXPECT_EQ(system.requested.depthBits, 16);
    EXPECT_TRUE(system.requested.doubleBuffer);
    EXPECT_EQ(inputState().cameraList.cameraCount, 1);
    EXPECT_EQ(sceneState().sceneMesh.vertexCount, 3u * 4u + 2u);
    expectEverythingReleased();
    EXPECT_EQ(inputState().keyTable, nullptr);
}

TEST_F(RunViewerTest, quitWhileStillRunningOpensANewWindowWithAnotherCamera) {
    system.onIdle = [this] {
        if (system.frames == 1 && system.quitPostedTo.empty() &&
            inputState().cameraList.cameraCount == 1) {
            // A key held in the first window must not count in the second.
            send(WM_KEYDOWN, VK_PRIOR);
            system.queue.push_back({system.lastWindow, WM_QUIT, 0, 0});
        } else if (inputState().cameraList.cameraCount == 2 && system.frames == 2) {
            EXPECT_EQ(inputState().keyTable[VK_PRIOR], 0);
            send(WM_CLOSE);
        }
    };
    EXPECT_EQ(runViewer(nullptr), 0);
    EXPECT_EQ(inputState().cameraList.cameraCount, 2);
    EXPECT_EQ(system.frames, 2);
    expectEverythingReleased();
}

TEST_F(RunViewerTest, minimisedWindowWaitsInsteadOfDrawingAndCatchesUpOnTime) {
    int phase = 0;
    system.onIdle = [&] {
        if (phase == 0 && system.frames == 1) {
            send(WM_SIZE, SIZE_MINIMIZED, 0);
            send(WM_KEYDOWN, VK_PRIOR); // Page Up held across the minimised time
            phase = 1;
        } else if (phase == 1 && system.log.back() == "waitMessage") {
            EXPECT_EQ(system.frames, 1);
            system.now = 1500;
            send(WM_SIZE, SIZE_RESTORED, makeLParam(640, 480));
            phase = 2;
        } else if (phase == 2 && system.frames == 2) {
            send(WM_CLOSE);
            phase = 3;
        }
    };
    EXPECT_EQ(runViewer(nullptr), 0);
    EXPECT_EQ(system.frames, 2);
    EXPECT_NE(std::find(system.log.begin(), system.log.end(), "waitMessage"), system.log.end());
    // The first frame after restoring moved by the whole 500 ms: 0.04 per ms.
    ASSERT_EQ(inputState().cameraList.cameraCount, 1);
    EXPECT_NEAR(inputState().cameraList.cameras[0]->translation.z, -5.0f + 20.0f, 1e-4f);
    EXPECT_EQ(inputState().cameraList.cameras[0]->pixelWidth, 640);
}

TEST(FrameKeyActions, clearingKeyWinsWhenBothOfAPairAreHeld) {
    RenderState render;
    std::int32_t keys[keyTableSize] = {};
    keys[VK_P] = keys[VK_F] = 1;
    keys[VK_N] = keys[VK_E] = 1;
    render.wireframe = render.showNormals = true;
    applyKeyActions(keys);
    EXPECT_FALSE(render.wireframe);
    EXPECT_FALSE(render.showNormals);
    keys[VK_F] = keys[VK_E] = 0;
    applyKeyActions(keys);
    EXPECT_TRUE(render.wireframe);
    EXPECT_TRUE(render.showNormals);
}

TEST_F(RunViewerTest, holdingRReloadsTheFileEveryFrame) {
    int handledFrame = -1;
    system.onIdle = [&] {
        if (handledFrame == system.frames)
            return; // one script step per frame
        handledFrame = system.frames;
        if (system.frames == 1) {
            send(WM_KEYDOWN, VK_R);
        } else if (system.frames == 2) {
            dir.write("conf.txt", "\"sss slice 5 rotate 4 render");
        } else if (system.frames == 3) {
            send(WM_KEYUP, VK_R);
            dir.write("conf.txt", "\"sss slice 6 rotate 4 render");
        } else if (system.frames == 5) {
            send(WM_CLOSE);
        }
    };
    EXPECT_EQ(runViewer(nullptr), 0);
    // The edit made while R was held arrived; the one after the release did not.
    EXPECT_EQ(sceneState().sceneMesh.vertexCount, 4u * 4u + 2u);
}

TEST_F(RunViewerTest, idleViewerDrawsOnlyChangesAndMotionCountsFromTheEndOfAWait) {
    system.waitsExpose = false;
    system.waitLasts = 60000; // every wait is a minute asleep
    const auto waits = [&] {
        return std::count(system.log.begin(), system.log.end(), "waitMessage");
    };
    int phase = 0;
    system.onIdle = [&] {
        if (phase == 0 && waits() == 2) {
            EXPECT_EQ(system.frames, 1); // nothing changed: the viewer slept
            send(WM_KEYDOWN, VK_PRIOR);
            phase = 1;
        } else if (phase == 1 && system.frames == 2) {
            system.now += 100; // held: frames follow back to back
            phase = 2;
        } else if (phase == 2 && system.frames == 3) {
            send(WM_KEYUP, VK_PRIOR);
            send(WM_KEYDOWN, VK_P); // held, but it changes the picture once
            phase = 3;
        } else if (phase == 3 && waits() == 4) {
            send(WM_CLOSE);
            phase = 4;
        }
    };
    EXPECT_EQ(runViewer(nullptr), 0);
    EXPECT_EQ(system.frames, 4);
    EXPECT_TRUE(renderState().wireframe);
    // 100 ms of Page Up at 0.04 per ms; the minutes asleep moved nothing.
    EXPECT_NEAR(inputState().cameraList.cameras[0]->translation.z, -5.0f + 4.0f, 1e-4f);
}

// With a colouring (--colour, --panel), each press of C moves to the next
// mode, and the colours follow every load; without one, C draws nothing new.
TEST_F(RunViewerTest, cCyclesTheColouringsOnlyWhenTheViewerHasOne) {
    for (const bool coloured : {false, true}) {
        if (coloured)
            state.colouring.emplace().mode = ColourMode::mean;
        const int first = system.frames;
        int handledFrame = -1;
        system.onIdle = [&] {
            if (handledFrame == system.frames)
                return;
            handledFrame = system.frames;
            if (system.frames == first + 1) {
                send(WM_KEYDOWN, VK_C);
            } else if (system.frames == first + 2) {
                send(WM_KEYUP, VK_C);
                dir.write("conf.txt", "\"sss slice 5 rotate 4 render");
                send(WM_KEYDOWN, VK_R);
            } else if (system.frames == first + 3) {
                send(WM_KEYUP, VK_R);
                send(WM_CLOSE);
            }
        };
        EXPECT_EQ(runViewer(nullptr), 0);
        const VertexColours& colours = renderState().meshColours;
        if (!coloured) {
            EXPECT_TRUE(colours.colours.empty());
            continue;
        }
        EXPECT_EQ(state.colouring->mode, ColourMode::height);
        EXPECT_EQ(colours.mode, "height");
        EXPECT_EQ(colours.colours.size(), sceneState().sceneMesh.vertexCount);
        EXPECT_EQ(colours.colours.size(), 4u * 4u + 2u);
    }
}
