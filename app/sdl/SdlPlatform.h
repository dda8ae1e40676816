#pragma once

#include "app/Platform.h"
#include "app/sdl/FramePacer.h"
#include "input/HeldButtons.h"

#include <cstdint>
#include <unordered_map>

namespace Vextal {

class SdlPanel;

// The window system of the product: SDL2 over X11 (or Wayland) with an OpenGL
// compatibility context. With the rest of app/sdl, the only code that
// includes SDL.
class SdlPlatform final : public Platform {
public:
    ~SdlPlatform() override;

    void setWindowRecord(void* hwnd, GLWindow* record) override;
    GLWindow* windowRecord(void* hwnd) override;
    void postQuit(void* hwnd) override;
    LResult defaultProcessing(void* hwnd, std::uint32_t message, WParam wParam,
                              LParam lParam) override;

    bool registerClass(const Application& application) override;
    void unregisterClass(const Application& application) override;
    void* createWindow(const Application& application, const char* title, int width, int height,
                       GLWindow* record, const PixelFormatRequest& request) override;
    void destroyWindow(void* hwnd) override;
    void* getDeviceContext(void* hwnd) override;
    void releaseDeviceContext(void* hwnd, void* hdc) override;
    int choosePixelFormat(void* hdc, const PixelFormatRequest& request) override;
    bool setPixelFormat(void* hdc, int format, const PixelFormatRequest& request) override;
    void* createContext(void* hdc) override;
    bool makeCurrent(void* hdc, void* context) override;
    void deleteContext(void* context) override;
    void showWindow(void* hwnd) override;
    void swapBuffers(void* hdc) override;
    bool peekMessage(void* hwnd, Message& message) override;
    void waitMessage(int descriptor, int timeoutMilliseconds) override;
    std::uint32_t ticks() override;
    void messageBox(const char* text, const char* caption) override;

    // The scene panel that hears the window's events first (--panel); not owned.
    void setPanel(SdlPanel* scenePanel) { panel = scenePanel; }

private:
    std::unordered_map<void*, GLWindow*> records;
    std::uint32_t quitEventType = 0;
    HeldButtons heldButtons;
    FramePacer pacer;
    bool windowGoneTold = false; // the close request for a destroyed window was given
    // Under Wayland a window takes a new size with the buffer after the next
    // swap, so the frame drawn just after a size change may fill one of the
    // old size: one more frame follows that swap.
    bool sizeFollowsSwap = false;
    bool redrawAfterSwap = false;
    SdlPanel* panel = nullptr;
};

} // namespace Vextal
