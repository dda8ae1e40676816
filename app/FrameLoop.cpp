#include "app/FrameLoop.h"

#include "app/KeyState.h"
#include "app/Platform.h"
#include "app/WindowProc.h"
#include "camera/Camera.h"
#include "render/DrawScene.h"
#include "render/DrawViews.h"
#include "scene/SceneLoader.h"

#include <GL/gl.h>

namespace Vextal {

void applyKeyActions(const std::int32_t* keys) {
    if (keyHeld(keys, VK_R))
        loadScene();
    if (keyHeld(keys, VK_P))
        wireframe = true;
    if (keyHeld(keys, VK_F))
        wireframe = false;
    if (keyHeld(keys, VK_N))
        showNormals = true;
    if (keyHeld(keys, VK_E))
        showNormals = false;
}

void drawFrame(GLWindow& window) {
    Platform& system = platform();
    // Taken before the reload and stored after the camera update, so the time
    // a reload takes counts in the next frame's motion.
    const std::uint32_t now = system.ticks();
    const std::uint32_t elapsed = now - window.lastTick; // unsigned: right across the wrap
    applyKeyActions(keyTable);
    updateCamera(elapsed);
    window.lastTick = now;
    drawViews();
    glFlush();
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
