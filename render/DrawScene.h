#pragma once

namespace Vextal {

// Draws one view of the scene state's sceneMesh, with the camera's view
// already on the modelview matrix: the lit surface (as lines in wireframe
// mode), the red normal segments when asked for, and in wireframe mode the
// three axes; the switches are those of the render state.
// Sets everything it depends on at its start, so views do not affect each other.
void drawScene();

} // namespace Vextal
