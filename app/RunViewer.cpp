#include "app/RunViewer.h"

#include "app/FrameLoop.h"
#include "app/GLWindowLifecycle.h"
#include "app/Platform.h"
#include "app/ViewerState.h"
#include "input/InputState.h"
#include "input/KeyState.h"
#include "render/InitRendering.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneState.h"

#include <cstdio>

namespace Vextal {

namespace {

// The start-up with the scene state's file; a file that does not load says
// why once, when the viewer was asked to, and what is shown meanwhile: the
// panel draws a missing file as a new scene from the loader's defaults.
void startRendering(GLWindow& window, bool firstWindow) {
    ViewerState& state = viewerState();
    const std::string& path = state.scene.scenePath;
    const SceneLoadResult loaded = initRendering(window.keys, RenderingStart{path.c_str()});
    if (state.overlay)
        state.overlay->sceneFileRead();
    if (firstWindow && state.explainBrokenStart && !loaded.rendered()) {
        const bool shown = state.scene.sceneMesh.triangleCount > 0;
        std::fprintf(stderr, "%s; %s\n", explainFailedLoad(path.c_str(), loaded).c_str(),
                     shown ? "the panel starts a new scene from the defaults"
                           : "nothing is shown until it is saved again");
    }
}

} // namespace

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
    for (bool firstWindow = true; programRunning; firstWindow = false) {
        if (!createGLWindow(window)) {
            system.messageBox("Error Creating OpenGL Window", "Error");
            programRunning = 0;
            // A window that never opened is a failure, not a normal end.
            exitCode = exitWindowNotCreated;
            break;
        }
        startRendering(window, firstWindow);
        pumpMessages(window);
        destroyGLWindow(window);
    }
    system.unregisterClass(application);
    inputState().keyTable = nullptr; // the table lives on this stack frame
    return exitCode;
}

} // namespace Vextal
