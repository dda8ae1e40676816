#pragma once

#include <cstdint>

namespace Vextal {

// The program's identity towards the window system.
struct Application {
    void* instance = nullptr;
    const char* className = nullptr; // "OpenGL"
};

// Everything that describes the one window. The handles are opaque to the
// core: the platform layer keeps its window in hwnd (and hdc) and its OpenGL
// context in hglrc; each is null while it does not exist.
struct GLWindow {
    std::int32_t* keys = nullptr; // the key state table, keyTableSize entries
    void* hwnd = nullptr;
    void* hdc = nullptr;
    void* hglrc = nullptr;
    Application* application = nullptr;
    const char* title = nullptr;
    std::int32_t width = 0; // client area, pixels
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::uint32_t visible = 0;  // 1 while shown and not minimised
    std::uint32_t lastTick = 0; // millisecond tick of the last frame
};

} // namespace Vextal
