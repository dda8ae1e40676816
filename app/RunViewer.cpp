#include "app/RunViewer.h"

#include "app/FrameLoop.h"
#include "app/GLWindowLifecycle.h"
#include "app/Platform.h"
#include "input/InputState.h"
#include "input/KeyState.h"
#include "render/InitRendering.h"

namespace Vextal {

int runViewer(void* instance) {
    Application application{instance, "OpenGL"};
    std::int32_t keys[keyTableSize] = {};
    GLWindow window;
    window.keys = keys;
    window.application = &application;
    window.title = ".:: Ul Vorel Tesa ::.";
    window.width = 800;
    window.height = 600;
    window.bitsPerPixel = 16;

    Platform& system = platform();
    std::int32_t& programRunning = inputState().programRunning;
    if (!registerWindowClass(application)) {
        system.messageBox("Error Registering Window Class!", "Error");
        return exitClassNotRegistered;
    }
    programRunning = 1;
    int exitCode = 0;
    while (programRunning) {
        if (!createGLWindow(window)) {
            system.messageBox("Error Creating OpenGL Window", "Error");
            programRunning = 0;
            // A window that never opened is a failure, not a normal end.
            exitCode = exitWindowNotCreated;
            break;
        }
        initRendering(window.keys);
        pumpMessages(window);
        destroyGLWindow(window);
    }
    system.unregisterClass(application);
    inputState().keyTable = nullptr; // the table lives on this stack frame
    return exitCode;
}

} // namespace Vextal
