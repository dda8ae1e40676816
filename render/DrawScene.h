#pragma once

namespace Vextal {

// Display switches, set by the frame loop from the keys (P/F, N/E).
extern bool wireframe;
extern bool showNormals;

// Draws one view of sceneMesh, with the camera's view already on the
// modelview matrix: the lit surface (as lines in wireframe mode), the red
// normal segments when asked for, and in wireframe mode the three axes.
// Sets everything it depends on at its start, so views do not affect each other.
void drawScene();

} // namespace Vextal
