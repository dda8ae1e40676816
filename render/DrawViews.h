#pragma once

namespace Vextal {

// Clears colour and depth, then draws the scene once per listed camera of the
// input state into
// its viewport (identity modelview, applyCamera, drawScene). A viewport
// without area is skipped. The buffer swap is the caller's.
void drawViews();

} // namespace Vextal
