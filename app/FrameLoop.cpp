#include "app/FrameLoop.h"

#include "app/Platform.h"
#include "app/SceneWatch.h"
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
    if (!loaded.rendered())
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

void drawFrame(GLWindow& window) {
    Platform& system = platform();
    // Taken before the reload and stored after the camera update, so the time
    // a reload takes counts in the next frame's motion.
    const std::uint32_t now = system.ticks();
    const std::uint32_t elapsed = now - window.lastTick; // unsigned: right across the wrap
    if (SceneWatch* watch = viewerState().sceneWatch.get(); watch && watch->saved())
        reloadSavedScene();
    applyKeyActions(inputState().keyTable);
    updateCamera(elapsed);
    window.lastTick = now;
    drawViews();
    flushFrame();
    system.swapBuffers(window.hdc);
}

void pumpMessages(GLWindow& window) {
    Platform& system = platform();
    Message message;
    for (;;) {
        if (system.peekMessage(window.hwnd, message)) {
            if (message.message == WM_QUIT)
                return;
            windowProc(message.hwnd, message.message, message.wParam, message.lParam);
        } else if (!window.visible) {
            system.waitMessage();
        } else {
            drawFrame(window);
        }
    }
}

} // namespace Vextal
