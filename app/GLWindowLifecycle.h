#pragma once

#include "input/GLWindow.h"

namespace Vextal {

// Starts the window system for the application's window class. Shows
// "RegisterClassEx Failed!" and returns false when it cannot.
bool registerWindowClass(Application& application);

// Makes the window (hidden), its drawing surface, pixel format and OpenGL
// context, makes the context current, shows the window, sizes the viewports
// to the requested client size, clears the key table and starts the tick.
// On any failure releases what it had made, in reverse order, leaves hwnd,
// hdc and hglrc null and returns false.
bool createGLWindow(GLWindow& window);

// Detaches and deletes the context, releases the surface and destroys the
// window. Safe when no window exists.
void destroyGLWindow(GLWindow& window);

} // namespace Vextal
