#include "app/sdl/SdlPlatform.h"

#include "app/sdl/BoxSignals.h"
#include "app/sdl/EventWait.h"
#include "app/sdl/SdlMessages.h"
#include "app/sdl/SdlPanel.h"
#include "app/sdl/X11Errors.h"
#include "input/WindowProc.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Vextal {

namespace {

SDL_Window* sdlWindow(void* handle) {
    return static_cast<SDL_Window*>(handle);
}

// Without a display SDL quietly falls back to drivers that show nothing; the
// viewer would then run unseen. Only a real windowing system will do.
bool isWindowingDriver(const char* driver) {
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

bool isX11Driver(const char* driver) {
    return driver && std::strcmp(driver, "x11") == 0;
}

// Whether SDL_InitSubSystem may open an X display: SDL_VIDEODRIVER, when set,
// overrides the hint, and may list several drivers.
bool x11MayBeTried() {
    const char* drivers = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return drivers && std::strstr(drivers, "x11") != nullptr;
}

bool environmentNames(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// Opens SDL's video on the displays the environment names, X11 first as SDL
// itself prefers. No other driver is tried: the libraries behind them would
// complain on stderr about displays that are not there before the viewer
// could say what is wrong.
bool openNamedDisplay() {
    const struct {
        const char* variable;
        const char* driver;
    } displays[] = {{"DISPLAY", "x11"}, {"WAYLAND_DISPLAY", "wayland"}};
    bool named = false;
    for (const auto& display : displays) {
        if (!environmentNames(display.variable))
            continue;
        named = true;
        SDL_SetHint(SDL_HINT_VIDEODRIVER, display.driver);
        // Before SDL opens the display, so that SDL passes on what it does
        // not handle itself; under Wayland no X code runs.
        if (x11MayBeTried())
            tolerateVanishedWindows();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return true;
    }
    if (named)
        std::fprintf(stderr, "vextal: no window system: %s\n", SDL_GetError());
    else
        std::fprintf(stderr, "vextal: no display to open a window on (neither DISPLAY nor "
                             "WAYLAND_DISPLAY is set)\n");
    return false;
}

unsigned long x11WindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return info.info.x11.window;
}

// One refresh of the display the window is on; 60 Hz when it reports no rate.
std::chrono::nanoseconds refreshInterval(SDL_Window* window) {
    SDL_DisplayMode mode{};
    int hertz = 0;
    if (SDL_GetWindowDisplayMode(window, &mode) == 0)
        hertz = mode.refresh_rate;
    if (hertz <= 0 &&
        SDL_GetCurrentDisplayMode(std::max(SDL_GetWindowDisplayIndex(window), 0), &mode) == 0)
        hertz = mode.refresh_rate;
    if (hertz <= 0)
        hertz = 60;
    return std::chrono::nanoseconds(1'000'000'000 / hertz);
}

} // namespace

SdlPlatform::~SdlPlatform() {
    SDL_Quit();
}

void SdlPlatform::setWindowRecord(void* hwnd, GLWindow* record) {
    records[hwnd] = record;
}

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
LResult SdlPlatform::defaultProcessing(void*, std::uint32_t, WParam, LParam) {
    return 0;
}

bool SdlPlatform::registerClass(const Application&) {
    if (!openNamedDisplay())
        return false;
    if (!isWindowingDriver(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "vextal: no display to open a window on (video driver \"%s\")\n",
                     SDL_GetCurrentVideoDriver());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // SDL keeps the screen saver and display power-down off while it runs.
    // X's own events reach translateEvent too: SDL has no event of its own
    // for a window that another client destroyed. A Wayland compositor
    // destroys no client's window.
    if (isX11Driver(SDL_GetCurrentVideoDriver()))
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    quitEventType = SDL_RegisterEvents(1);
    return quitEventType != std::uint32_t(-1);
}

void SdlPlatform::unregisterClass(const Application&) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void* SdlPlatform::createWindow(const Application&, const char* title, int width, int height,
                                GLWindow* record, const PixelFormatRequest& request) {
    // SDL fixes the drawing surface's format when it makes the window, from
    // these attributes; each size is a least, so the closest format offered
    // is taken.
    SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, request.colourBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, request.depthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, request.doubleBuffer ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow(title, 0, 0, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE |
                                              SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window) {
        std::fprintf(stderr, "vextal: cannot create the window: %s\n", SDL_GetError());
        return nullptr;
    }
    const unsigned long x11Window = x11WindowOf(window);
    if (x11Window != 0)
        watchViewerWindow(x11Window);
    sizeFollowsSwap = x11Window == 0;
    windowGoneTold = false;
    CreateStruct creation{record};
    windowProc(window, WM_CREATE, 0, reinterpret_cast<LParam>(&creation));
    return window;
}

void SdlPlatform::destroyWindow(void* hwnd) {
    if (panel)
        panel->windowDestroyed();
    records.erase(hwnd);
    SDL_DestroyWindow(sdlWindow(hwnd));
}

// Four steps of window creation cannot fail under SDL: an SDL window is its
// own drawing surface (getting and releasing it does nothing), and its pixel
// format was chosen and set when createWindow made it from the request; the
// format is named 1.
void* SdlPlatform::getDeviceContext(void* hwnd) {
    return hwnd;
}

void SdlPlatform::releaseDeviceContext(void*, void*) {}

int SdlPlatform::choosePixelFormat(void*, const PixelFormatRequest&) {
    return 1;
}

bool SdlPlatform::setPixelFormat(void*, int, const PixelFormatRequest&) {
    return true;
}

void* SdlPlatform::createContext(void* hdc) {
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow(hdc));
    if (!context)
        std::fprintf(stderr, "vextal: cannot create the OpenGL context: %s\n", SDL_GetError());
    return context;
}

bool SdlPlatform::makeCurrent(void* hdc, void* context) {
    if (SDL_GL_MakeCurrent(sdlWindow(hdc), context) != 0)
        return false;
    // Motion is scaled by elapsed time, so this only saves CPU. Where the
    // display refuses it (under Xvfb), frames are paced to its refresh rate.
    if (context) {
        const bool synced = SDL_GL_SetSwapInterval(1) == 0;
        pacer.setInterval(synced ? std::chrono::nanoseconds(0) : refreshInterval(sdlWindow(hdc)));
    }
    return true;
}

void SdlPlatform::deleteContext(void* context) {
    SDL_GL_DeleteContext(context);
}

void SdlPlatform::showWindow(void* hwnd) {
    SDL_ShowWindow(sdlWindow(hwnd));
}

void SdlPlatform::swapBuffers(void* hdc) {
    SDL_GL_SwapWindow(sdlWindow(hdc));
    pacer.frameShown();
    if (redrawAfterSwap) {
        redrawAfterSwap = false;
        SDL_Event exposed{};
        exposed.type = SDL_WINDOWEVENT;
        exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
        exposed.window.windowID = SDL_GetWindowID(sdlWindow(hdc));
        SDL_PushEvent(&exposed);
    }
}

bool SdlPlatform::peekMessage(void* hwnd, Message& message) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (panel && panel->takeEvent(event))
            continue;
        if (translateEvent(event, sdlWindow(hwnd), quitEventType, heldButtons, message)) {
            redrawAfterSwap = redrawAfterSwap || (sizeFollowsSwap && message.message == WM_SIZE);
            return true;
        }
    }
    // Requests naming the window failed, in a swap or while the events were
    // read: another client destroyed it. The viewer ends as on a close request.
    if (viewerWindowDestroyed() && !windowGoneTold) {
        windowGoneTold = true;
        message = Message{hwnd};
        message.message = WM_CLOSE;
        return true;
    }
    return false;
}

void SdlPlatform::waitMessage(int descriptor, int timeoutMilliseconds) {
    // Leaves the event queued for the next peekMessage.
    waitForEvent(descriptor, timeoutMilliseconds);
}

std::uint32_t SdlPlatform::ticks() {
    return SDL_GetTicks();
}

void SdlPlatform::messageBox(const char* text, const char* caption) {
    // Without a display the box cannot appear; the text must still reach the user.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    // Without a display named there is nowhere to show it, and trying would
    // have libraries print their own complaints after the viewer's text.
    if (!environmentNames("DISPLAY") && !environmentNames("WAYLAND_DISPLAY"))
        return;
    const SignalsEndTheBox signalsEndTheBox;
    // A signal that came just before is waiting as SDL's quit event.
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_PumpEvents();
        if (SDL_HasEvent(SDL_QUIT))
            SignalsEndTheBox::end();
    }
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption, text, nullptr);
}

} // namespace Vextal
