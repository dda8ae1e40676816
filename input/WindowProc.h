#pragma once

#include "input/WindowMessages.h"

#include <cstdint>

namespace Vextal {

// The procedure of the viewer's window. Every message goes to captureMouse
// first; then key-downs and key-ups update the window's key state table,
// size messages track minimising and resize the camera viewports, a close
// request posts WM_QUIT and clears the input state's programRunning (without
// destroying the window), losing the keyboard focus clears the key state
// table, and the screen saver and monitor power-down are refused. Everything
// else goes to the window system's default processing, whose result is
// returned. Needs an input state whose windowSystem is set.
LResult windowProc(void* hwnd, std::uint32_t message, WParam wParam, LParam lParam);

} // namespace Vextal
