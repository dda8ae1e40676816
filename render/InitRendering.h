#pragma once

#include <cstdint>

namespace Vextal {

// Start-up of a new OpenGL context: publishes the key state table, lists one
// more camera (up to four) 5 units back covering the whole window, sizes the
// viewports to 800 x 600, loads the scene, then sets the fixed state (clear
// values, depth test, smooth shading, material, light 0). Needs a current
// context. Always succeeds.
bool initRendering(std::int32_t* keys);

// Appends a camera covering the whole window, 5 units back, while fewer than
// four are listed.
void listNewCamera();

// The fixed OpenGL state every frame relies on.
void setFixedRenderingState();

} // namespace Vextal
