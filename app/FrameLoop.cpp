#include "app/FrameLoop.h"

#include "app/FrameNeed.h"
#include "app/Platform.h"
#include "app/SceneWatch.h"
#include "app/ViewerColouring.h"
#include "app/ViewerState.h"
#include "base/EscapedText.h"
#include "camera/Camera.h"
#include "input/InputState.h"
#include "input/KeyState.h"
#include "input/WindowProc.h"
#include "render/DrawViews.h"
#include "render/RenderState.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneLoader.h"
#include "scene/SceneState.h"

#include <cstdio>

namespace Vextal {

void reloadSavedScene() {
    SceneState& scene = sceneState();
    const SceneLoadResult loaded =
        loadSceneFile(scene.scenePath.c_str(), scene.sceneMesh, scene.sceneFileMemory);
    if (loaded.rendered())
        scene.meshValues = loaded.values;
    else
        std::fprintf(stderr, "%s; keeping the last surface\n",
                     printable(explainFailedLoad(scene.scenePath.c_str(), loaded)).c_str());
}

void applyKeyActions(const std::int32_t* keys) {
    RenderState& render = renderState();
    if (keyHeld(keys, VK_R))
        loadScene();
    if (keyHeld(keys, VK_P))
        render.wireframe = true;
    if (keyHeld(keys, VK_F))
        render.wireframe = false;
    if (keyHeld(keys, VK_N))
        render.showNormals = true;
    if (keyHeld(keys, VK_E))
        render.showNormals = false;
}

namespace {

// A save of the watched file: the overlay decides what it loads, or the
// file is loaded as R would.
bool takeSave(ViewerState& state) {
    SceneWatch* watch = state.sceneWatch.get();
    if (!watch || !watch->saved())
        return false;
    if (state.overlay)
        state.overlay->sceneFileSaved();
    else
        reloadSavedScene();
    return true;
}

void drawViewsAndOverlay(GLWindow& window, FrameNeed& need, Overlay* overlay) {
    Platform& system = platform();
    const std::uint32_t start = system.ticks();
    drawViews();
    if (overlay)
        overlay->drawOver(need.lastFrameMilliseconds);
    flushFrame();
    system.swapBuffers(window.hdc);
    need.lastFrameMilliseconds = system.ticks() - start;
}

} // namespace

bool drawFrame(GLWindow& window, FrameNeed& need) {
    Platform& system = platform();
    ViewerState& state = viewerState();
    // Taken before the reload and stored after the camera update, so the time
    // a reload takes counts in the next frame's motion.
    const std::uint32_t now = system.ticks();
    const std::uint32_t elapsed = now - window.lastTick; // unsigned: right across the wrap
    if (takeSave(state))
        need.request();
    const InputState& input = inputState();
    applyKeyActions(input.keyTable);
    if (state.overlay && keyHeld(input.keyTable, VK_R))
        state.overlay->sceneFileRead();
    updateCamera(elapsed);
    window.lastTick = now;
    if (state.overlay && state.overlay->wantsFrame())
        need.request();
    // After the overlay's loads, whose values it hands over when asked.
    if (state.colouring) {
        takeColourKey(*state.colouring, input.keyTable);
        if (refreshColours(*state.colouring, state.scene, state.render))
            need.request();
    }
    const RenderState& render = renderState();
    if (!need.needed(input.keyTable, render, input.cameraList))
        return false;
    drawViewsAndOverlay(window, need, state.overlay);
    need.drawn(render, input.cameraList);
    return true;
}

namespace {

// Sleeps until a message arrives or the watched scene file may have been
// saved; the time asleep moves nothing.
void waitForChange(GLWindow& window) {
    Platform& system = platform();
    const SceneWatch* watch = viewerState().sceneWatch.get();
    system.waitMessage(watch ? watch->descriptor() : -1, watch ? watch->retryMilliseconds() : -1);
    window.lastTick = system.ticks();
}

} // namespace

void pumpMessages(GLWindow& window) {
    Platform& system = platform();
    FrameNeed need;
    Message message;
    for (;;) {
        if (system.peekMessage(window.hwnd, message)) {
            if (message.message == WM_QUIT)
                return;
            windowProc(message.hwnd, message.message, message.wParam, message.lParam);
            need.noteMessage(message);
        } else if (!window.visible) {
            system.waitMessage(-1, -1);
        } else if (!drawFrame(window, need)) {
            waitForChange(window);
        }
    }
}

} // namespace Vextal
