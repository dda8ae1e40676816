#pragma once

namespace Vextal {

inline constexpr int exitClassNotRegistered = -1;
inline constexpr int exitWindowNotCreated = 1;

// The whole run, in the current viewer state (app/ViewerState.h): registers
// the window class, then opens a window, sets up
// rendering and pumps messages and frames until a quit message; opens a new
// window when the quit came while the run flag is still set. Returns the exit
// code: 0 after a close request, -1 when the window class cannot be
// registered, 1 when no window or context can be made.
int runViewer(void* instance);

} // namespace Vextal
