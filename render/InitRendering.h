#pragma once

#include "scene/SceneLoader.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace Vextal {

// Where the start-up reads the scene from and the size it draws at: the
// viewer's are its scene file and an 800 x 600 window.
struct RenderingStart {
    const char* scenePath = "conf.txt";
    std::uint32_t width = 800;
    std::uint32_t height = 600;
    MeshBuild build =
        {}; // the tools' --grid and --threads; the viewer's: the file's grid, one thread
    // Scene text held in memory, loaded instead of the file when set.
    std::optional<std::string_view> sceneText = std::nullopt;
};

// Start-up of a new OpenGL context: publishes the key state table as the
// input state's keyTable, lists one more camera (up to four) 5 units back
// covering the whole window, sizes the viewports to start.width x
// start.height, loads the scene from start.scenePath into the scene state's
// sceneMesh, then sets the fixed state (clear values,
// depth test, smooth shading, material, light 0). Needs a current context.
// The fixed state is set whatever the load gives; the result says how it went.
SceneLoadResult initRendering(std::int32_t* keys, const RenderingStart& start);

// The viewer's start-up: initRendering with the scene state's file at 800 x
// 600. Always succeeds.
bool initRendering(std::int32_t* keys);

// Appends a camera covering the whole window, 5 units back, while fewer than
// four are listed.
void listNewCamera();

// The fixed OpenGL state every frame relies on.
void setFixedRenderingState();

} // namespace Vextal
