#pragma once

namespace Vextal {

// Clears colour and depth, then draws the scene once per listed camera of the
// input state into
// its viewport (identity modelview, applyCamera, drawScene). A viewport
// without area is skipped. The buffer swap is the caller's.
void drawViews();

// Hands the frame's drawing to OpenGL (glFlush), before the buffer swap.
void flushFrame();

} // namespace Vextal
