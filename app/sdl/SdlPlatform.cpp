#include "app/sdl/SdlPlatform.h"

#include "input/WindowProc.h"
#include "app/sdl/SdlMessages.h"
#include "app/sdl/X11Errors.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>

namespace Vextal {

namespace {

SDL_Window* sdlWindow(void* handle) { return static_cast<SDL_Window*>(handle); }

// Without a display SDL quietly falls back to drivers that show nothing; the
// viewer would then run unseen. Only a real windowing system will do.
bool isWindowingDriver(const char* driver) {
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

} // namespace

SdlPlatform::~SdlPlatform() { SDL_Quit(); }

void SdlPlatform::setWindowRecord(void* hwnd, GLWindow* record) { records[hwnd] = record; }

GLWindow* SdlPlatform::windowRecord(void* hwnd) {
    const auto found = records.find(hwnd);
    return found == records.end() ? nullptr : found->second;
}

void SdlPlatform::postQuit(void* hwnd) {
    SDL_Event event{};
    event.type = quitEventType;
    event.user.windowID = SDL_GetWindowID(sdlWindow(hwnd));
    SDL_PushEvent(&event);
}

// SDL does the window system's own work (moving, resizing, decorations) by
// itself; nothing is left to do for unhandled messages.
LResult SdlPlatform::defaultProcessing(void*, std::uint32_t, WParam, LParam) { return 0; }

bool SdlPlatform::registerClass(const Application&) {
    tolerateVanishedWindows();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vextal: no window system: %s\n", SDL_GetError());
        return false;
    }
    if (!isWindowingDriver(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "vextal: no display to open a window on (video driver \"%s\")\n",
                     SDL_GetCurrentVideoDriver());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // SDL keeps the screen saver and display power-down off while it runs.
    quitEventType = SDL_RegisterEvents(1);
    return quitEventType != std::uint32_t(-1);
}

void SdlPlatform::unregisterClass(const Application&) { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

void* SdlPlatform::createWindow(const Application&, const char* title, int width, int height,
                                GLWindow* record, const PixelFormatRequest& request) {
    // SDL fixes the drawing surface's format when it makes the window, from
    // these attributes; each size is a least, so the closest format offered
    // is taken.
    SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, request.colourBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, request.depthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, request.doubleBuffer ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window =
        SDL_CreateWindow(title, 0, 0, width, height,
                         SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN |
                             SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window) {
        std::fprintf(stderr, "vextal: cannot create the window: %s\n", SDL_GetError());
        return nullptr;
    }
    CreateStruct creation{record};
    windowProc(window, WM_CREATE, 0, reinterpret_cast<LParam>(&creation));
    return window;
}

void SdlPlatform::destroyWindow(void* hwnd) {
    records.erase(hwnd);
    SDL_DestroyWindow(sdlWindow(hwnd));
}

// Four steps of window creation cannot fail under SDL: an SDL window is its
// own drawing surface (getting and releasing it does nothing), and its pixel
// format was chosen and set when createWindow made it from the request; the
// format is named 1.
void* SdlPlatform::getDeviceContext(void* hwnd) { return hwnd; }

void SdlPlatform::releaseDeviceContext(void*, void*) {}

int SdlPlatform::choosePixelFormat(void*, const PixelFormatRequest&) { return 1; }

bool SdlPlatform::setPixelFormat(void*, int, const PixelFormatRequest&) { return true; }

void* SdlPlatform::createContext(void* hdc) {
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow(hdc));
    if (!context)
        std::fprintf(stderr, "vextal: cannot create the OpenGL context: %s\n", SDL_GetError());
    return context;
}

bool SdlPlatform::makeCurrent(void* hdc, void* context) {
    if (SDL_GL_MakeCurrent(sdlWindow(hdc), context) != 0)
        return false;
    // Motion is scaled by elapsed time, so this only saves CPU; refused under Xvfb.
    if (context)
        SDL_GL_SetSwapInterval(1);
    return true;
}

void SdlPlatform::deleteContext(void* context) { SDL_GL_DeleteContext(context); }

void SdlPlatform::showWindow(void* hwnd) { SDL_ShowWindow(sdlWindow(hwnd)); }

void SdlPlatform::swapBuffers(void* hdc) { SDL_GL_SwapWindow(sdlWindow(hdc)); }

bool SdlPlatform::peekMessage(void* hwnd, Message& message) {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (translateEvent(event, sdlWindow(hwnd), quitEventType, heldButtons, message))
            return true;
    return false;
}

void SdlPlatform::waitMessage() {
    // Leaves the event queued for the next peekMessage.
    SDL_WaitEvent(nullptr);
}

std::uint32_t SdlPlatform::ticks() { return SDL_GetTicks(); }

void SdlPlatform::messageBox(const char* text, const char* caption) {
    // Without a display the box cannot appear; the text must still reach the user.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption, text, nullptr);
}

} // namespace Vextal
