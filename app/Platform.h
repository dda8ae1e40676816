#pragma once

#include "input/GLWindow.h"
#include "input/WindowMessages.h"
#include "input/WindowSystem.h"

#include <cstdint>

namespace Vextal {

// One message taken from the queue, as the window procedure receives it.
struct Message {
    void* hwnd = nullptr;
    std::uint32_t message = WM_NULL;
    WParam wParam = 0;
    LParam lParam = 0;
};

// What the window's drawing surface must offer: double-buffered RGBA with a
// depth buffer. The system accepts the closest format it has.
struct PixelFormatRequest {
    std::int32_t colourBits = 16;
    std::int32_t depthBits = 16;
    bool doubleBuffer = true;
};

// What the viewer asks of the window system, beyond what the window
// procedure asks (WindowSystem). The product uses the SDL implementation;
// tests use a scripted stand-in.
class Platform : public WindowSystem {
public:
    // The window class: the window system's start-up and shut-down.
    virtual bool registerClass(const Application& application) = 0;
    virtual void unregisterClass(const Application& application) = 0;

    // A hidden, resizable top-level window with the caption, a client area of
    // width x height at the screen's top-left corner. WM_CREATE, carrying
    // record as creation parameter, reaches windowProc before this returns.
    // A window system that fixes the drawing surface's format when it makes
    // the window takes the request here. Null when it cannot be made.
    virtual void* createWindow(const Application& application, const char* title, int width,
                               int height, GLWindow* record, const PixelFormatRequest& request) = 0;
    virtual void destroyWindow(void* hwnd) = 0;
    virtual void showWindow(void* hwnd) = 0;

    // The window's drawing surface, its pixel format and the OpenGL context.
    virtual void* getDeviceContext(void* hwnd) = 0;
    virtual void releaseDeviceContext(void* hwnd, void* hdc) = 0;
    virtual int choosePixelFormat(void* hdc, const PixelFormatRequest& request) = 0; // 0: none
    virtual bool setPixelFormat(void* hdc, int format, const PixelFormatRequest& request) = 0;
    virtual void* createContext(void* hdc) = 0;
    // Makes context current on this thread; a null context detaches the current one.
    virtual bool makeCurrent(void* hdc, void* context) = 0;
    virtual void deleteContext(void* context) = 0;
    virtual void swapBuffers(void* hdc) = 0;

    // Takes the next message for hwnd, if one is waiting.
    virtual bool peekMessage(void* hwnd, Message& message) = 0;
    // Sleeps until a message arrives, leaving it queued; wakes as well when
    // descriptor (unless -1) can be read, and after timeoutMilliseconds
    // (unless -1). Returns at once when a message is already waiting.
    virtual void waitMessage(int descriptor, int timeoutMilliseconds) = 0;
    // Milliseconds on a 32-bit counter that wraps.
    virtual std::uint32_t ticks() = 0;
    // A warning box with an OK button and no owner window; blocks until dismissed.
    virtual void messageBox(const char* text, const char* caption) = 0;
};

// The platform of the current viewer state (app/ViewerState.h).
Platform& platform();

} // namespace Vextal
