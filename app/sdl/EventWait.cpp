#include "app/sdl/EventWait.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <poll.h>

namespace Vextal {

namespace {

// Another window system's longest sleep while a descriptor is also watched.
constexpr int stepMilliseconds = 250;

// The X display of the window whose context is current, or null.
Display* x11Display() {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return nullptr;
    return info.info.x11.display;
}

bool eventQueued() {
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

// Pumping read everything the server had sent; what it sends next, or the
// descriptor, wakes the poll. A signal interrupts it, and the next pump
// turns the signal into SDL's quit event.
void pollDisplayAndDescriptor(Display* display, int descriptor, int timeoutMilliseconds) {
    if (eventQueued())
        return;
    XFlush(display);
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {descriptor, POLLIN, 0}};
    ::poll(watched, 2, timeoutMilliseconds);
}

} // namespace

void waitForEvent(int descriptor, int timeoutMilliseconds) {
    if (descriptor < 0) {
        if (timeoutMilliseconds < 0)
            SDL_WaitEvent(nullptr);
        else
            SDL_WaitEventTimeout(nullptr, timeoutMilliseconds);
        return;
    }
    if (Display* display = x11Display()) {
        pollDisplayAndDescriptor(display, descriptor, timeoutMilliseconds);
        return;
    }
    pollfd watched{descriptor, POLLIN, 0};
    if (::poll(&watched, 1, 0) > 0)
        return;
    SDL_WaitEventTimeout(nullptr, timeoutMilliseconds < 0
                                      ? stepMilliseconds
                                      : std::min(timeoutMilliseconds, stepMilliseconds));
}

} // namespace Vextal
