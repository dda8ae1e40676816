#include "app/GLWindowLifecycle.h"

#include "app/Platform.h"
#include "camera/CameraList.h"
#include "input/KeyState.h"

namespace Vextal {

namespace {

void releaseSurfaceAndWindow(Platform& system, GLWindow& window) {
    system.releaseDeviceContext(window.hwnd, window.hdc);
    window.hdc = nullptr;
    system.destroyWindow(window.hwnd);
    window.hwnd = nullptr;
}

} // namespace

bool registerWindowClass(Application& application) {
    if (platform().registerClass(application))
        return true;
    platform().messageBox("RegisterClassEx Failed!", "Error");
    return false;
}

bool createGLWindow(GLWindow& window) {
    Platform& system = platform();
    // Double-buffered RGBA with a depth buffer; the closest format offered is taken.
    PixelFormatRequest request;
    request.colourBits = window.bitsPerPixel;
    request.depthBits = 16;
    request.doubleBuffer = true;

    window.hwnd = system.createWindow(*window.application, window.title, window.width,
                                      window.height, &window, request);
    if (!window.hwnd)
        return false;
    window.hdc = system.getDeviceContext(window.hwnd);
    if (!window.hdc) {
        system.destroyWindow(window.hwnd);
        window.hwnd = nullptr;
        return false;
    }
    const int format = system.choosePixelFormat(window.hdc, request);
    if (format == 0 || !system.setPixelFormat(window.hdc, format, request)) {
        releaseSurfaceAndWindow(system, window);
        return false;
    }
    window.hglrc = system.createContext(window.hdc);
    if (!window.hglrc) {
        releaseSurfaceAndWindow(system, window);
        return false;
    }
    if (!system.makeCurrent(window.hdc, window.hglrc)) {
        system.deleteContext(window.hglrc);
        window.hglrc = nullptr;
        releaseSurfaceAndWindow(system, window);
        return false;
    }
    system.showWindow(window.hwnd);
    window.visible = 1;
    // After showing: whatever size messages showing produced, the viewports
    // start from the requested size.
    resizeViewports(std::uint32_t(window.width), std::uint32_t(window.height));
    clearKeyTable(window.keys);
    window.lastTick = system.ticks();
    return true;
}

void destroyGLWindow(GLWindow& window) {
    if (!window.hwnd)
        return;
    Platform& system = platform();
    if (window.hdc) {
        system.makeCurrent(window.hdc, nullptr);
        if (window.hglrc) {
            system.deleteContext(window.hglrc);
            window.hglrc = nullptr;
        }
        system.releaseDeviceContext(window.hwnd, window.hdc);
        window.hdc = nullptr;
    }
    system.destroyWindow(window.hwnd);
    window.hwnd = nullptr;
}

} // namespace Vextal
