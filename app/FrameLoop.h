#pragma once

#include "input/GLWindow.h"

#include <cstdint>

namespace Vextal {

class FrameNeed;

// The frame's key actions, in this order: R reloads the scene, P and F set and
// clear wireframe, N and E set and clear the normals (so the clearing key wins
// when both of a pair are held).
void applyKeyActions(const std::int32_t* keys);

// Loads the scene file again after a save: one that does not reach "render"
// keeps the surface shown and says why on stderr, with the line it stopped on.
void reloadSavedScene();

// One frame: take the tick, reload the scene file when it was saved and the
// viewer watches it (or tell the overlay, which decides), apply the keys,
// move the current camera by the elapsed time; then, when need says the
// picture may differ from the last one drawn (or the overlay wants a frame),
// draw every view, the overlay over them, flush and swap. Returns whether it
// drew.
bool drawFrame(GLWindow& window, FrameNeed& need);

// Takes this window's messages and draws a frame whenever none is waiting
// and the picture may have changed, until the quit message arrives. Sleeps
// while the window is not visible, and while nothing changes (waking for a
// save too when the scene file is watched); motion then counts from the end
// of the sleep.
void pumpMessages(GLWindow& window);

} // namespace Vextal
